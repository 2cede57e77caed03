// XmlDocument: one XML document as a byte string plus a flat table of
// element records that locate every element by offset and link them by index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/element_record.h"
#include "engine/scanner.h"

namespace orvel {

// Mark entry flags.
enum : std::uint32_t {
  MarkMain = 1,   // saved position is a main position
  MarkChild = 2,  // saved position is a child position (neither: parent position)
  MarkInUse = 4,
  MarkLast = 8    // last entry of its bucket array
};

struct MarkEntry {
  std::string name;
  std::int32_t saved = 0;
  std::uint32_t flags = 0;
};

// Seven buckets by byte sum modulo 7; each null or an array ending in MarkLast.
struct MarkTable {
  std::unique_ptr<MarkEntry[]> buckets[7];
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // ---- model -------------------------------------------------------------
  ElementRecord& Rec(std::int32_t i) { return blocks[i >> kBlockShift][i & kBlockMask]; }
  const ElementRecord& Rec(std::int32_t i) const { return blocks[i >> kBlockShift][i & kBlockMask]; }
  // Hands out index recordCount (growing the table first when full); fields are not cleared.
  std::int32_t AllocRecord();
  // Makes room for at least wanted records (0: one and a half times those in use),
  // adding at most one block per call.
  bool ReserveRecords(std::int32_t wanted);
  void SetPositions(std::int32_t parent, std::int32_t main, std::int32_t child);
  bool IsDocumentValid() const;
  // Number of block pointers in use for the current capacity.
  std::int32_t BlockCount() const { return capacity == 0 ? 0 : ((capacity - 1) >> kBlockShift) + 1; }

  // ---- parsing -----------------------------------------------------------
  // Parses cursor.text under record root; returns the first element created or 0.
  std::int32_t ParseMarkup(std::int32_t root, ScanCursor& cursor);
  // Replaces the text by a copy of text (null: empty) and parses it.
  bool ParseText(const char* text);
  // Rebuilds the table from text; keeps a load status found in status in front.
  bool ParseDocument();
  // Re-parses while setting each tag's leading tabs to its nesting depth;
  // a result too long for the offsets leaves everything but the status as it was.
  void ReindentDocument();
  // The length ReindentDocument would give the text; changes nothing.
  std::int64_t IndentedLength();

  // ---- navigation --------------------------------------------------------
  std::int32_t FindSibling(std::int32_t parent, std::int32_t ref, const char* name) const;
  bool SeekSiblingElement(const char* name);
  bool SeekChildElement(const char* name);
  bool EnterElement();
  bool LeaveElement();
  int SeekNode(int typeMask);
  void RewindChildren();
  void RewindSiblings();
  void RewindDocument();
  bool MarkPosition(const char* name);
  bool ReturnToMark(const char* name);

  // ---- reading -----------------------------------------------------------
  std::string TagName(std::int32_t x) const;
  std::string ReadNodeName() const;
  std::string Content(std::int32_t x) const;
  std::string InnerMarkup(std::int32_t x) const;
  std::string ElementMarkup(std::int32_t x) const;
  std::string AttributeValue(std::int32_t x, const char* name) const;
  std::string ReadAttributeName(int index) const;
  // Attribute scan from cursor.pos (just after '<' or "<?"): finds attribute
  // name's value (or its bare name), or with name null the index-th name.
  // When nothing is found pos stands where a new attribute would be inserted.
  // No byte at or after offset limit (the end of the tag) is read: the scan
  // ends there as at the end of the text. The cursor's docFlags carries
  // CursorQuoted when the token read last was quoted, and CursorCut besides
  // when its closing quote was not found before limit.
  static bool ScanAttributes(ScanCursor& cursor, const char* name, int index, std::int32_t limit);
  static constexpr std::int32_t CursorQuoted = 0x8000;
  static constexpr std::int32_t CursorCut = 0x10000;

  // ---- fields (order as documented) --------------------------------------
  std::string text;
  std::string status;
  std::int32_t parentPos = 0;
  std::int32_t mainPos = 0;
  std::int32_t childPos = 0;
  std::int32_t recordCount = 0;
  std::int32_t freeHead = 0;
  std::int32_t nodeType = 0;
  std::int32_t nodeOffset = 0;
  std::int32_t nodeLength = 0;
  std::int32_t docFlags = 0;
  std::unique_ptr<MarkTable> marks;
  ElementRecord** blocks = nullptr;
  std::int32_t capacity = 0;
  std::int32_t blockSlots = 0;
};

}  // namespace orvel
