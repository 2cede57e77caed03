// The element table built again after an edit that a record-by-record fix-up
// cannot be trusted to follow: markup that does not parse cleanly, a start
// tag written without its end tag, and any edit of a document that holds a
// parse error (its recovery pairs tags by the text around them, so one edit
// may move elements far from it).
//
// Made before the edit's first change. The edit then runs as usual; its one
// change of the text comes here (ReplaceText) before any record changes, and
// the table of the new text is planned at once: the part that the change can
// alter is parsed again (RegionPlan), or, where that cannot be told, the
// whole text. An addition that does not read back as written is taken back
// there (Holds), the text included, before anything else has changed. After
// the edit's own fix-up, Finish puts the planned records in place of the
// region's; positions, the current node and marks move over to the elements
// that start at the same offsets, and the status stays as the edit left it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/region_reparse.h"
#include "engine/xml_document.h"

namespace orvel {

class TableRebuild {
 public:
  explicit TableRebuild(XmlDocument& doc);
  // Finishes a planned table that the edit did not finish.
  ~TableRebuild();
  TableRebuild(const TableRebuild&) = delete;
  TableRebuild& operator=(const TableRebuild&) = delete;

  // What the edit's new markup must read back as: an element under parent,
  // or a node of type (text and white space may join the text around them).
  void ExpectElement(std::int32_t parent);
  void ExpectNode(int type);
  // Where the edit's change lies: in the content or a tag of container,
  // after its child before (0: in front of its children). Only a hint.
  void Around(std::int32_t container, std::int32_t before);

  // The change ReplaceText just made (the document's lastChange), before
  // any record changed, with the bytes it removed and the change before it:
  // plans the table of the new text. On running out of memory the text is
  // put back.
  void TextReplaced(std::string&& removed, const TextChange& before);
  // True when the markup written at [offset, offset + length) reads back as
  // expected; otherwise the change is taken back and the edit must stop.
  bool Holds(std::int32_t offset, std::int32_t length);
  // After the edit's fix-up: the planned table takes the place of the one
  // the edit left, and positions, the current node and marks follow.
  void Finish();
  // Builds the table of the unchanged text with the document flags as they
  // are now; Finish then carries everything over.
  void RebuildWhole();

 private:
  bool HoldsElement(std::int32_t offset) const;
  bool HoldsNode(std::int32_t offset, std::int32_t length) const;
  void TakeBack() noexcept;
  void SpliceRegion();
  void SwapWhole();

  XmlDocument& doc_;
  TextChange change_;
  TextChange lastChange_;  // the document's last change before this one
  std::string removed_;
  bool changed_ = false;  // the text holds the change (taken back on a refusal)
  bool planned_ = false;  // a table of the new text waits for Finish
  bool finished_ = false;
  std::int32_t container_ = 0, before_ = 0;
  enum { kNothing, kElement, kNode } expect_ = kNothing;
  std::int32_t expectedParent_ = 0;
  int expectedType_ = 0;
  RecordLease lease_;
  RegionPlan plan_;
  std::unique_ptr<XmlDocument> whole_;  // the table of the whole new text, when no region would do
  std::vector<std::int32_t> marks_;     // room for the marks' new records, had before any change
};

// Ends an edit that ran under a rebuild, if one was made.
inline void FinishRebuild(std::optional<TableRebuild>& rebuild) {
  if (rebuild) rebuild->Finish();
}

// The table built with the flags the names now compare with; positions, the
// current node and marks follow by offset. Returns the record that starts
// where index did, or 0.
std::int32_t RebuildForFlags(XmlDocument& doc, std::int32_t index);

// Before an edit places anything: the table built anew if the flags the
// names compare with changed since it was built. Returns index, or the
// record that now starts where it did.
inline std::int32_t FollowDocumentFlags(XmlDocument& doc, std::int32_t index = 0) {
  return doc.NamesCompareOtherwise() ? RebuildForFlags(doc, index) : index;
}

}  // namespace orvel
