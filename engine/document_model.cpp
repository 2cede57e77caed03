// XmlDocument's life cycle and its element table: blocks of 65,536 records
// reached through a block-pointer array, grown one block per step.
#include <cstring>

#include "engine/region_reparse.h"
#include "engine/xml_document.h"

namespace orvel {

namespace {

void FreeRecordBlocks(XmlDocument& d) {
  const std::int32_t n = d.BlockCount();
  for (std::int32_t b = 0; b < n; ++b) delete[] d.blocks[b];
  delete[] d.blocks;
  d.blocks = nullptr;
}

}  // namespace

XmlDocument::XmlDocument() {
  // Fields start as declared: empty strings, no marks, no blocks, flags 0.
  try {
    ParseText(nullptr);
  } catch (...) {
    // A constructor that throws gets no destructor call: free the blocks here.
    FreeRecordBlocks(*this);
    throw;
  }
}

XmlDocument::~XmlDocument() { FreeRecordBlocks(*this); }

std::int32_t XmlDocument::AllocRecord() {
  // Records released by edits come back first, so that a component that edits
  // in a loop keeps a steady table.
  if (freeHead != 0) {
    const std::int32_t r = freeHead;
    freeHead = Rec(r).nextSibling;
    return r;
  }
  ReserveOneRecord();
  return recordCount++;
}

void XmlDocument::ReserveOneRecord() {
  if (freeHead != 0 || recordCount < capacity) return;
  ReserveRecords(0);
  // One and a half times a table of one record is still one record.
  if (recordCount == capacity) ReserveRecords(recordCount + 1);
}

bool XmlDocument::ReserveRecords(std::int32_t wanted) {
  if (wanted == 0) wanted = recordCount + (recordCount >> 1);
  if (capacity >= wanted) return true;

  const std::int32_t last = capacity == 0 ? 0 : (capacity - 1) >> kBlockShift;
  std::int32_t newLast = (wanted - 1) >> kBlockShift;
  if (newLast > last + 1) {
    newLast = last + 1;
    wanted = (last + 2) * kBlockRecords;
  }

  if (blockSlots <= newLast) {
    const std::int32_t slots = 2 * newLast + 4;
    ElementRecord** grown = new ElementRecord*[slots]();
    const std::int32_t used = BlockCount();
    if (used > 0) std::memcpy(grown, blocks, sizeof(ElementRecord*) * used);
    delete[] blocks;
    blocks = grown;
    blockSlots = slots;
  }

  const std::int32_t inLast = capacity - last * kBlockRecords;
  if (last < newLast && inLast < kBlockRecords) {
    // The last block is about to have a successor: it must be full first.
    ElementRecord* full = new ElementRecord[kBlockRecords];
    if (inLast > 0) std::memcpy(full, blocks[last], sizeof(ElementRecord) * inLast);
    delete[] blocks[last];
    blocks[last] = full;
  }

  ElementRecord* block = new ElementRecord[wanted - newLast * kBlockRecords];
  if (newLast == last && inLast > 0) {
    std::memcpy(block, blocks[last], sizeof(ElementRecord) * inLast);
    delete[] blocks[last];
  }
  blocks[newLast] = block;
  capacity = wanted;
  return true;
}

void XmlDocument::SetPositions(std::int32_t parent, std::int32_t main, std::int32_t child) {
  parentPos = parent;
  mainPos = main;
  childPos = child;
  nodeType = main != 0 ? 1 : 0;
  nodeOffset = 0;
  nodeLength = 0;
}

bool XmlDocument::IsDocumentValid() const {
  if (capacity == 0) return false;
  const ElementRecord& document = Rec(0);
  if (document.Has(ElemParseError) || document.firstChild == 0) return false;
  return Rec(document.firstChild).nextSibling == 0;
}

}  // namespace orvel
