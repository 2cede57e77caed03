#include "engine/table_rebuild.h"

#include <utility>

#include "engine/markup_parser.h"
#include "engine/read_guards.h"

namespace orvel {

namespace {

constexpr std::int32_t kGone = -1;           // a position or mark whose element no longer exists
constexpr std::int32_t kDocumentLevel = -2;  // (by offset) index 0, the document record

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

// Where x starts, as a key that outlives the table: kDocumentLevel for the
// document record, kGone for a released record.
std::int32_t StartOf(const XmlDocument& d, std::int32_t x) {
  if (x == 0) return kDocumentLevel;
  return IsLiveRecord(d, x) ? d.Rec(x).start : kGone;
}

// The record of a table built whole that a key names, or kGone.
std::int32_t RecordOf(const XmlDocument& d, std::int32_t key) {
  if (key == kDocumentLevel) return 0;
  const std::int32_t r = key >= 0 ? RecordStartingAt(d, key) : 0;
  return r != 0 ? r : kGone;
}

// The offset of x's start, -1 for the document record (no element starts there).
std::int32_t StartOrDocument(const XmlDocument& d, std::int32_t x) { return x == 0 ? -1 : d.Rec(x).start; }

// Trades the element tables of a and b, nothing else.
void SwapTables(XmlDocument& a, XmlDocument& b) noexcept {
  std::swap(a.blocks, b.blocks);
  std::swap(a.capacity, b.capacity);
  std::swap(a.blockSlots, b.blockSlots);
  std::swap(a.recordCount, b.recordCount);
  std::swap(a.freeHead, b.freeHead);
  std::swap(a.tableFlags, b.tableFlags);
}

std::size_t MarksInUse(const XmlDocument& d) {
  std::size_t n = 0;
  if (d.marks)
    for (const std::int32_t k : d.marks->inUse) n += static_cast<std::size_t>(k);
  return n;
}

// Each mark in use, buckets in order and each from its front, as target(its record).
template <class Target>
void MarkTargets(const XmlDocument& d, Target target, std::vector<std::int32_t>& out) {
  out.clear();
  if (!d.marks) return;
  for (int b = 0; b < 7; ++b)
    for (int i = 0; i < d.marks->inUse[b]; ++i) out.push_back(target(d.marks->buckets[b][i].saved));
}

// Puts the positions on the elements found for them (kGone: none); the
// innermost one found decides the others, as a move to it would. A current
// node at nodeAt (-1: none) is sought again where the walk reads it.
void PlacePositions(XmlDocument& d, std::int32_t parent, std::int32_t main, std::int32_t child,
                    std::int32_t nodeAt) {
  if (child > 0) {
    main = d.Rec(child).parent;
    if (main == 0) std::swap(main, child);  // a top-level element is no child
  }
  if (main > 0) parent = d.Rec(main).parent;
  d.SetPositions(parent > 0 ? parent : 0, main > 0 ? main : 0, child > 0 ? child : 0);
  if (nodeAt < 0 || d.childPos != 0) return;
  const std::int32_t kept = d.mainPos;
  // The walk starts after the main element when it lies in front of the node.
  if (kept != 0 && static_cast<std::int64_t>(d.Rec(kept).start) + d.Rec(kept).length > nodeAt) d.mainPos = 0;
  if (d.SeekNodeCovering(nodeAt)) return;
  if (d.mainPos != 0) {
    d.mainPos = 0;
    if (d.SeekNodeCovering(nodeAt)) return;
  }
  d.SetPositions(d.parentPos, kept, 0);
}

}  // namespace

TableRebuild::TableRebuild(XmlDocument& doc) : doc_(doc), lease_(doc) {
  RebuildRoom& room = RoomOf(doc);
  plan_.records.swap(room.records);
  plan_.records.clear();
  marks_.swap(room.marks);
  doc.activeRebuild = this;
}

TableRebuild::~TableRebuild() {
  Finish();
  doc_.activeRebuild = nullptr;
  RebuildRoom& room = *doc_.rebuildRoom;
  plan_.records.swap(room.records);
  marks_.swap(room.marks);
}

void TableRebuild::ExpectElement(std::int32_t parent) {
  expect_ = kElement;
  expectedParent_ = parent;
}

void TableRebuild::ExpectNode(int type) {
  expect_ = kNode;
  expectedType_ = type;
}

void TableRebuild::Around(std::int32_t container, std::int32_t before) {
  container_ = container;
  before_ = before;
}

void TableRebuild::TextReplaced(std::string&& removed, const TextChange& before) {
  XmlDocument& d = doc_;
  changed_ = true;
  change_ = d.lastChange;
  lastChange_ = before;
  removed_ = std::move(removed);  // no copy: nothing may fail before the text can go back
  try {
    marks_.reserve(MarksInUse(d));
    if (!PlanRegion(d, change_, removed_, container_, before_, lease_, plan_)) {
      whole_.reset(new XmlDocument);
      whole_->docFlags = d.docFlags;
      BuildTable(*whole_, d.text);
    }
    // The edit's own new record, if it takes one, allocates nothing.
    d.ReserveOneRecord();
  } catch (...) {
    TakeBack();
    throw;
  }
  planned_ = true;
}

bool TableRebuild::Holds(std::int32_t offset, std::int32_t length) {
  if (!planned_ || expect_ == kNothing) return true;
  if (expect_ == kElement ? HoldsElement(offset) : HoldsNode(offset, length)) return true;
  TakeBack();
  return false;
}

// An element starts at offset, under the element that starts where the
// expected parent does (the parent may be one of the region's records).
bool TableRebuild::HoldsElement(std::int32_t offset) const {
  const std::int32_t parentAt = StartOrDocument(doc_, expectedParent_);
  if (whole_) {
    const std::int32_t r = RecordStartingAt(*whole_, offset);
    return r != 0 && StartOrDocument(*whole_, whole_->Rec(r).parent) == parentAt;
  }
  const std::int32_t r = plan_.RecordAt(doc_, offset);
  return r != 0 && StartOrDocument(doc_, plan_.ParentOf(doc_, r)) == parentAt;
}

// The token a walk reads over offset is of the expected type and covers the
// markup written at [offset, offset + length): exactly, or within a run of
// text for text and white space.
bool TableRebuild::HoldsNode(std::int32_t offset, std::int32_t length) const {
  ScanCursor cursor(doc_.text.c_str(), doc_.docFlags);
  cursor.pos = whole_ ? 0 : plan_.from;  // a place where a token starts
  MarkupToken token;
  token.quiet = true;
  for (;;) {
    const std::int32_t at = cursor.pos;
    const int type = ScanToken(cursor, token);
    if (type == ScanAtEnd) return false;
    if (cursor.pos <= offset) continue;
    const std::int32_t end = offset + length;
    const int textual = NodeText | NodeSpace;
    if ((expectedType_ & textual) == 0) return type == expectedType_ && at == offset && cursor.pos == end;
    return (type == NodeText || type == NodeSpace) && at <= offset && cursor.pos >= end;
  }
}

void TableRebuild::TakeBack() noexcept {
  lease_.GiveBack();
  plan_.records.clear();
  whole_.reset();
  planned_ = false;
  if (!changed_) return;
  changed_ = false;
  doc_.text.replace(static_cast<std::size_t>(change_.at), static_cast<std::size_t>(change_.written),
                    removed_);
  doc_.attributeCache.Forget();
  // The text is as before the change, and so is the count of its changes.
  --doc_.textRevision;
  doc_.lastChange = lastChange_;
}

void TableRebuild::RebuildWhole() {
  whole_.reset(new XmlDocument);
  whole_->docFlags = doc_.docFlags;
  BuildTable(*whole_, doc_.text);
  marks_.reserve(MarksInUse(doc_));
  planned_ = true;
}

void TableRebuild::Finish() {
  if (finished_ || !planned_) return;
  finished_ = true;
  if (whole_)
    SwapWhole();
  else
    SpliceRegion();
}

// The records of the region (as the edit's fix-up left them: its own and
// those it moved) leave the table, the planned ones take their place among
// the container's children, and what pointed into the region follows.
void TableRebuild::SpliceRegion() {
  XmlDocument& d = doc_;
  const RegionPlan& p = plan_;
  auto target = [&](std::int32_t x) {
    if (x == 0) return x;
    if (!IsLiveRecord(d, x)) return kGone;
    const std::int32_t at = d.Rec(x).start;
    if (at < p.from || at >= p.to) return x;
    const std::int32_t r = p.RecordAt(d, at);
    return r != 0 ? r : kGone;
  };
  const std::int32_t parent = target(d.parentPos), main = target(d.mainPos), child = target(d.childPos);
  const std::int32_t nodeAt = d.nodeLength != 0 ? d.nodeOffset : -1;
  const bool nodeStays =
      nodeAt >= 0 && parent == d.parentPos && main == d.mainPos && (nodeAt < p.from || nodeAt >= p.to);
  MarkTargets(d, target, marks_);

  const std::int32_t c = p.container;
  const std::int32_t oldFirst = d.Rec(c).firstChild;
  const std::int32_t oldLast = oldFirst != 0 ? d.Rec(oldFirst).prevSibling : 0;
  std::int32_t x = p.after != 0 ? d.Rec(p.after).nextSibling : oldFirst;
  while (x != 0 && d.Rec(x).start < p.to) x = d.ReleaseSubtree(x);
  const std::int32_t followers = x;

  std::int32_t previous = p.after;
  for (std::int32_t r = p.first; r != 0;) {
    ElementRecord& rec = d.Rec(r);
    const std::int32_t next = rec.nextSibling;
    rec.parent = c;
    rec.Clear(ElemFirstChild);
    rec.prevSibling = previous;
    if (previous != 0)
      d.Rec(previous).nextSibling = r;
    else
      d.Rec(c).firstChild = r;
    previous = r;
    r = next;
  }
  if (previous != 0)
    d.Rec(previous).nextSibling = followers;
  else
    d.Rec(c).firstChild = followers;
  if (followers != 0 && previous != 0) {
    d.Rec(followers).prevSibling = previous;
    d.Rec(followers).Clear(ElemFirstChild);
  }
  const std::int32_t first = d.Rec(c).firstChild;
  if (first != 0) {
    d.Rec(first).Set(ElemFirstChild);
    d.Rec(first).prevSibling = followers != 0 ? oldLast : previous;
  }
  if (p.containerError)
    d.Rec(c).Set(ElemInnerError);
  else
    d.Rec(c).Clear(ElemInnerError);
  if (p.documentError)
    d.Rec(0).Set(ElemParseError);
  else
    d.Rec(0).Clear(ElemParseError);
  d.errorMarks = p.errorMarks;
  lease_.Keep();

  if (!nodeStays) PlacePositions(d, parent, main, child, nodeAt);
  d.CompactMarks(&marks_);
}

// The table of the whole new text takes the place of the edit's; positions,
// the current node and marks go to the elements that start where theirs did.
void TableRebuild::SwapWhole() {
  XmlDocument& d = doc_;
  const std::int32_t parentAt = StartOf(d, d.parentPos);
  const std::int32_t mainAt = StartOf(d, d.mainPos);
  const std::int32_t childAt = StartOf(d, d.childPos);
  const std::int32_t nodeAt = d.nodeLength != 0 ? d.nodeOffset : -1;
  MarkTargets(
      d, [&](std::int32_t x) { return StartOf(d, x); }, marks_);
  SwapTables(d, *whole_);
  d.errorMarks = -1;
  for (std::int32_t& at : marks_) at = RecordOf(d, at);
  PlacePositions(d, RecordOf(d, parentAt), RecordOf(d, mainAt), RecordOf(d, childAt), nodeAt);
  d.CompactMarks(&marks_);
}

std::int32_t RebuildForFlags(XmlDocument& doc, std::int32_t index) {
  const std::int32_t at = StartOf(doc, index);
  TableRebuild rebuild(doc);
  rebuild.RebuildWhole();
  rebuild.Finish();
  const std::int32_t r = RecordOf(doc, at);
  return r > 0 ? r : 0;
}

}  // namespace orvel
