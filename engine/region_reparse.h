// The part of the element table that one change of the text can alter, parsed
// again. The parse of a text is a walk from left to right whose state at any
// place is the stack of open start tags; after a change it is the same as
// before up to the change, and from some place after it, where the new walk
// stands again with the stack the old walk had there, it is the old walk
// moved by the change's size. Only the records that start in between differ.
//
// The walk is taken up at the end of a child (or the content start) of the
// innermost element that keeps its end tag around the change, the container.
// The stack there is read off the table rather than kept: its depth is a
// record's level, and the start tags still open in it are children of the
// container that lack an end tag, which the container's end tag closes. A
// new record in the region therefore keeps the container as its parent unless
// another new record holds it. The walk ends as soon as no new start tag is
// open and the old walk had none open either, at the start of an old record
// or at the container's end tag (which then closes whatever is still open,
// as it did before). Where an end tag in between could close a start tag
// open before the region, the region grows to the container's own parent;
// only at the start of the text does every question have its answer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/xml_document.h"

namespace orvel {

// The first and last of a chain of siblings being linked.
struct SiblingChain {
  std::int32_t first;
  std::int32_t last;
};

// One open start tag of a region's parse.
struct RegionSlot {
  std::int32_t record;  // 0 in a parse that makes no records
  std::int32_t start;
  std::int32_t startTag;
  std::int32_t nameLength;
  bool innerError;        // an error was met while it was the innermost open element
  SiblingChain children;  // linked under it so far
};

// An element of the old walk still open at a place: where the end tag that
// closes it starts, where it ends (when it has an end tag of its own).
struct OldOpen {
  std::int64_t closeAt;
  std::int64_t end;
  bool complete;
};

// The room a rebuild fills, kept by the document from one edit to the next
// and emptied, not freed, so that edits in a loop allocate nothing for it
// once it has grown.
struct RebuildRoom {
  std::vector<std::int32_t> records;                          // a plan's new records
  std::vector<std::pair<std::int32_t, ElementRecord>> taken;  // what a lease took from the free chain
  std::vector<RegionSlot> slots;                              // the region parse's open start tags
  std::vector<OldOpen> open;                                  // the old walk's open elements
  std::vector<std::int32_t> marks;                            // where the marks go
};

// The document's room, made on first use.
RebuildRoom& RoomOf(XmlDocument& doc);

// Records taken for a plan: from the free chain first, as AllocRecord takes
// them, and given back exactly as they were (content, chain and count) unless
// the plan is kept.
class RecordLease {
 public:
  explicit RecordLease(XmlDocument& doc) : doc_(doc), taken_(RoomOf(doc).taken) { taken_.clear(); }
  std::int32_t Take();
  void GiveBack() noexcept;
  void Keep() { taken_.clear(), fresh_ = 0; }

 private:
  XmlDocument& doc_;
  std::vector<std::pair<std::int32_t, ElementRecord>>& taken_;  // from the free chain, as they were
  std::int32_t fresh_ = 0;                                      // taken at recordCount
};

// The records that replace the children of container that start in
// [from, to) of the new text (with their subtrees), and the flags the change
// leaves on the container and the document.
struct RegionPlan {
  std::int32_t container = 0;  // 0: the document
  std::int32_t after = 0;      // the child of container that the region follows; 0: its front
  std::int32_t from = 0;
  std::int32_t to = 0;
  std::vector<std::int32_t> records;  // every new record, in text order
  std::int32_t first = 0;             // the new children of container, linked in order
  std::int32_t last = 0;
  bool containerError = false;  // ElemInnerError on the container
  bool documentError = false;   // ElemParseError on the document record
  std::int32_t errorMarks = -1;

  // The new record that starts at offset, or 0.
  std::int32_t RecordAt(const XmlDocument& doc, std::int32_t offset) const;
  // The parent that record (a new one) has once the plan is in the table.
  std::int32_t ParentOf(const XmlDocument& doc, std::int32_t record) const {
    const std::int32_t parent = doc.Rec(record).parent;
    return parent == kTopLevel ? container : parent;
  }
  // The parent field of the new children of container while they are planned.
  static constexpr std::int32_t kTopLevel = -1;
};

// Plans the table of the text as changed by change, reading the table as it
// was before it (nothing in the table changes but the records taken from
// lease). The change lies in the content or a tag of container, after its
// child before (hints that only make the search short). False when only a
// parse of the whole text can tell (a record's limits met, depths near the
// level limit): plan and lease are then as they were.
bool PlanRegion(XmlDocument& doc, const TextChange& change, const std::string& removed,
                std::int32_t container, std::int32_t before, RecordLease& lease, RegionPlan& plan);

// The number of records (the document record among them) that carry
// ElemOpen or ElemInnerError: a document holds a parse error exactly when it
// is not 0, as every error of a parse leaves one of these flags.
std::int32_t CountErrorMarks(const XmlDocument& doc);

}  // namespace orvel
