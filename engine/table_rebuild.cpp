#include "engine/table_rebuild.h"

#include <utility>

#include "engine/markup_parser.h"
#include "engine/read_guards.h"

namespace orvel {

namespace {

// Where a position or mark points, as an offset that outlives the table.
constexpr std::int32_t kDocumentLevel = -1;  // index 0: the document record
constexpr std::int32_t kGone = -2;           // a released record: its element was removed

// The record of a table built whole (its records lie in text order) whose
// element starts at offset, or 0.
std::int32_t RecordStartingAt(const XmlDocument& doc, std::int32_t offset) {
  std::int32_t low = 1, high = doc.recordCount - 1;
  while (low <= high) {
    const std::int32_t middle = low + (high - low) / 2;
    const std::int32_t start = doc.Rec(middle).start;
    if (start == offset) return middle;
    if (start < offset)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return 0;
}

std::int32_t StartOf(const XmlDocument& d, std::int32_t index) {
  if (index == 0) return kDocumentLevel;
  return IsLiveRecord(d, index) ? d.Rec(index).start : kGone;
}

std::int32_t IndexOf(const XmlDocument& d, std::int32_t start) {
  return start == kDocumentLevel ? 0 : start == kGone ? -1 : RecordStartingAt(d, start);
}

// Trades the element tables of a and b, nothing else.
void SwapTables(XmlDocument& a, XmlDocument& b) noexcept {
  std::swap(a.blocks, b.blocks);
  std::swap(a.capacity, b.capacity);
  std::swap(a.blockSlots, b.blockSlots);
  std::swap(a.recordCount, b.recordCount);
  std::swap(a.freeHead, b.freeHead);
  std::swap(a.tableFlags, b.tableFlags);
}

}  // namespace

TableRebuild::TableRebuild(XmlDocument& doc)
    : doc_(doc),
      text_(doc.text),
      status_(doc.status),
      recordCount_(doc.recordCount),
      freeHead_(doc.freeHead),
      parentPos_(doc.parentPos),
      mainPos_(doc.mainPos),
      childPos_(doc.childPos),
      nodeType_(doc.nodeType),
      nodeOffset_(doc.nodeOffset),
      nodeLength_(doc.nodeLength),
      revision_(doc.textRevision) {
  records_.reserve(static_cast<std::size_t>(recordCount_));
  for (std::int32_t i = 0; i < recordCount_; ++i) records_.push_back(doc.Rec(i));
  doc.marksHeld = true;
}

TableRebuild::~TableRebuild() {
  if (!kept_) Restore();
  doc_.marksHeld = false;
}

void TableRebuild::Rebuild() {
  XmlDocument& d = doc_;
  if (d.textRevision == revision_) return;
  // Where the positioned and marked elements start in the new text, as the
  // edit's own fix-up placed them.
  const std::int32_t parentAt = StartOf(d, d.parentPos);
  const std::int32_t mainAt = StartOf(d, d.mainPos);
  const std::int32_t childAt = StartOf(d, d.childPos);
  const std::int32_t nodeAt = d.nodeLength != 0 ? d.nodeOffset : -1;
  if (d.marks) {
    for (int b = 0; b < 7; ++b)
      for (int i = 0; i < d.marks->inUse[b]; ++i)
        markStarts_.push_back(StartOf(d, d.marks->buckets[b][i].saved));
  }
  std::unique_ptr<XmlDocument> fresh(new XmlDocument);
  fresh->docFlags = d.docFlags;
  BuildTable(*fresh, d.text);

  // Nothing below allocates. The status stays as the edit left it (the
  // first error of the markup it parsed, if any).
  SwapTables(d, *fresh);
  edited_ = std::move(fresh);
  d.attributeCache.Forget();

  // The innermost position found decides the ones around it, as a move to it would.
  std::int32_t child = IndexOf(d, childAt), main = IndexOf(d, mainAt), parent = IndexOf(d, parentAt);
  if (child > 0) {
    main = d.Rec(child).parent;
    if (main == 0) std::swap(main, child);  // a top-level element is no child
  }
  if (main > 0) parent = d.Rec(main).parent;
  d.SetPositions(parent > 0 ? parent : 0, main > 0 ? main : 0, child > 0 ? child : 0);
  if (nodeAt >= 0 && d.childPos == 0) {
    const std::int32_t kept = d.mainPos;
    d.mainPos = 0;  // the node is sought from the start of the parent's content
    if (!d.SeekNodeCovering(nodeAt)) d.SetPositions(d.parentPos, kept, 0);
  }
}

bool TableRebuild::HoldsElementAt(std::int32_t offset) const {
  return edited_ != nullptr && RecordStartingAt(doc_, offset) != 0;
}

void TableRebuild::Keep() {
  if (edited_) {
    for (std::int32_t& at : markStarts_) at = IndexOf(doc_, at);
    doc_.CompactMarks(&markStarts_);
  }
  kept_ = true;
  doc_.marksHeld = false;
  if (!edited_) doc_.PurgeMarks();  // the text stands as it was, but records may have gone
}

void TableRebuild::Restore() noexcept {
  XmlDocument& d = doc_;
  if (edited_) SwapTables(d, *edited_);
  // The table only grows, so the records fit where they were.
  for (std::int32_t i = 0; i < recordCount_; ++i) d.Rec(i) = records_[static_cast<std::size_t>(i)];
  d.recordCount = recordCount_;
  d.freeHead = freeHead_;
  d.parentPos = parentPos_;
  d.mainPos = mainPos_;
  d.childPos = childPos_;
  d.nodeType = nodeType_;
  d.nodeOffset = nodeOffset_;
  d.nodeLength = nodeLength_;
  d.text.swap(text_);
  d.status.swap(status_);
  d.attributeCache.Forget();
  ++d.textRevision;
}

}  // namespace orvel
