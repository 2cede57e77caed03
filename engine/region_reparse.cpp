#include "engine/region_reparse.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/markup_parser.h"
#include "engine/read_guards.h"
#include "engine/scanner_fast.h"

namespace orvel {

RebuildRoom& RoomOf(XmlDocument& doc) {
  if (!doc.rebuildRoom) doc.rebuildRoom.reset(new RebuildRoom);
  return *doc.rebuildRoom;
}

std::int32_t RecordLease::Take() {
  if (doc_.freeHead != 0) {
    const std::int32_t r = doc_.freeHead;
    taken_.emplace_back(r, doc_.Rec(r));
    doc_.freeHead = doc_.Rec(r).nextSibling;
    return r;
  }
  doc_.ReserveOneRecord();
  ++fresh_;
  return doc_.recordCount++;
}

void RecordLease::GiveBack() noexcept {
  doc_.recordCount -= fresh_;
  fresh_ = 0;
  // The records left the chain from its head in this order: put back in reverse.
  for (auto r = taken_.rbegin(); r != taken_.rend(); ++r) {
    doc_.Rec(r->first) = r->second;
    doc_.freeHead = r->first;
  }
  taken_.clear();
}

std::int32_t RegionPlan::RecordAt(const XmlDocument& doc, std::int32_t offset) const {
  const auto found = std::lower_bound(records.begin(), records.end(), offset,
                                      [&](std::int32_t r, std::int32_t at) { return doc.Rec(r).start < at; });
  return found != records.end() && doc.Rec(*found).start == offset ? *found : 0;
}

std::int32_t CountErrorMarks(const XmlDocument& doc) {
  constexpr std::uint32_t kMarks = ElemOpen | ElemInnerError;
  std::int32_t n = doc.Rec(0).Has(ElemInnerError) ? 1 : 0;
  // Every record of the tree, in document order, through the links alone.
  std::int32_t x = doc.Rec(0).firstChild;
  while (x != 0) {
    const ElementRecord& r = doc.Rec(x);
    if (r.levelFlags & kMarks) ++n;
    if (r.firstChild != 0) {
      x = r.firstChild;
      continue;
    }
    while (x != 0 && doc.Rec(x).nextSibling == 0) x = doc.Rec(x).parent;
    if (x != 0) x = doc.Rec(x).nextSibling;
  }
  return n;
}

namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// A terminator counts only past the first bytes of a text ("<?>" does not end
// at its start): tokens that start within them may read otherwise elsewhere.
constexpr std::int32_t kFirstBytes = 4;
// Times the region may grow to a container's parent before it starts at the
// start of the text.
constexpr int kMostWidenings = 4;

std::int32_t EndOf(const ElementRecord& r) { return r.start + r.length; }
std::int32_t ContentStart(const XmlDocument& d, std::int32_t x) {
  return x == 0 ? 0 : d.Rec(x).start + d.Rec(x).StartTagLength();
}
// Where the end tag of x starts (x has one).
std::int32_t EndTagStart(const ElementRecord& r) { return r.start + r.length - r.EndTagLength(); }
std::int32_t PreviousSibling(const ElementRecord& r) { return r.Has(ElemFirstChild) ? 0 : r.prevSibling; }

// The innermost element from x up that keeps its end tag and holds the old
// text's [at, end) in its content; 0, the document, holds everything.
std::int32_t ContainerOf(const XmlDocument& d, std::int32_t x, std::int32_t at, std::int32_t end) {
  while (x > 0 && IsLiveRecord(d, x)) {
    const ElementRecord& r = d.Rec(x);
    if (r.EndTagLength() > 0 && ContentStart(d, x) <= at && end <= EndTagStart(r)) return x;
    x = r.parent;
  }
  return 0;
}

// The last child of c that ends at or before at, sought from near: a child
// of c, a record below one, or 0 (the front).
std::int32_t ChildBefore(const XmlDocument& d, std::int32_t c, std::int32_t near, std::int32_t at) {
  if (!IsLiveRecord(d, near)) near = 0;
  while (near != 0 && d.Rec(near).parent != c) near = d.Rec(near).parent;
  while (near != 0 && EndOf(d.Rec(near)) > at) near = PreviousSibling(d.Rec(near));
  for (std::int32_t next = near != 0 ? d.Rec(near).nextSibling : d.Rec(c).firstChild;
       next != 0 && EndOf(d.Rec(next)) <= at; next = d.Rec(next).nextSibling)
    near = next;
  return near;
}

// The old walk over the region, read off the old table: the records that
// start after the region's front in document order, which of them are still
// open at a place, and whether an end tag there closed one of them.
class OldWalk {
 public:
  OldWalk(const XmlDocument& d, std::int32_t container, std::int32_t after, std::vector<OldOpen>& open)
      : d_(d),
        container_(container),
        next_(after != 0 ? d.Rec(after).nextSibling : d.Rec(container).firstChild),
        open_(open) {
    open_.clear();
  }

  // Passes every record that starts before p.
  void AdvanceTo(std::int64_t p) {
    while (next_ != 0 && d_.Rec(next_).start < p) {
      const ElementRecord& r = d_.Rec(next_);
      if (r.levelFlags & (ElemOpen | ElemInnerError)) ++marks;
      PopClosedBefore(r.start);
      if (r.EndTagLength() > 0) {
        open_.push_back({EndTagStart(r), EndOf(r), true});
      } else {
        lastEnd_ = EndOf(r);  // its start tag is all of it
        // One left open is closed by its parent's end tag; the container's
        // comes after the region.
        const std::int32_t parent = r.parent;
        if (r.Has(ElemOpen))
          open_.push_back({parent == container_ ? kNever : EndTagStart(d_.Rec(parent)), 0, false});
      }
      next_ = PreorderNext(next_);
    }
    PopClosedBefore(p);
  }
  // No record that started in the region is open.
  bool Empty() const { return open_.empty(); }
  bool StartsAt(std::int64_t p) const { return next_ != 0 && d_.Rec(next_).start == p; }
  // An element passed ends at p (the last one to end before p does).
  bool EndsAt(std::int64_t p) const { return lastEnd_ == p; }
  // The end tag at p closed an element of the region (the innermost one with
  // an end tag that is open).
  bool MatchedAt(std::int64_t p) const {
    for (auto o = open_.rbegin(); o != open_.rend(); ++o)
      if (o->complete) return o->closeAt == p;
    return false;
  }
  // The first record not passed.
  std::int32_t Next() const { return next_; }

  std::int32_t marks = 0;  // passed records that carry ElemOpen or ElemInnerError

 private:
  void PopClosedBefore(std::int64_t p) {
    for (; !open_.empty() && open_.back().closeAt < p; open_.pop_back())
      if (open_.back().complete) lastEnd_ = open_.back().end;
  }
  std::int32_t PreorderNext(std::int32_t x) const {
    if (d_.Rec(x).firstChild != 0) return d_.Rec(x).firstChild;
    for (; x != container_; x = d_.Rec(x).parent)
      if (d_.Rec(x).nextSibling != 0) return d_.Rec(x).nextSibling;
    return 0;
  }

  const XmlDocument& d_;
  const std::int32_t container_;
  std::int32_t next_;
  std::vector<OldOpen>& open_;  // closing places never grow toward the top
  std::int64_t lastEnd_ = -1;
};

// The parser's steps for a region: the same records, links, levels and
// flags as a parse of the whole text, for the tokens from the region's front
// on, with the open start tags of before the region left out. An error met
// while none of the region's own start tags is open is the container's (the
// start tags open there without end tag hand it on at its end tag).
class RegionParser {
 public:
  // lease null: the nesting and the errors are followed, no records are made.
  RegionParser(XmlDocument& doc, const char* text, std::int32_t baseDepth, RecordLease* lease,
               std::vector<std::int32_t>* records, std::vector<RegionSlot>& stack)
      : cursor(text, doc.docFlags),
        doc_(doc),
        baseDepth_(baseDepth),
        lease_(lease),
        records_(records),
        stack_(stack) {
    token.quiet = true;
    stack_.clear();
  }

  std::int32_t Depth() const { return static_cast<std::int32_t>(stack_.size()); }

  // Passes text and white space, which a parse ignores: the next token then
  // starts at '<' (or the text ends).
  void SkipToMarkup() {
    const char* p = cursor.text + cursor.pos;
    if (*p != '<') {
      const char* lt = std::strchr(p, '<');
      cursor.pos = static_cast<std::int32_t>((lt != nullptr ? lt : p + std::strlen(p)) - cursor.text);
    }
  }

  // The start tag in token; false when its level would be past the limit (a
  // parse skips such elements whole, which a region does not follow).
  bool StartTag(std::int32_t nameLength) {
    if (token.length > kMaxStartTagLength) {
      MarkError();
      return true;
    }
    const std::int32_t level = baseDepth_ + Depth();
    if (level > kMaxLevel) return false;
    const bool empty = (token.flags & TokenEmptyTag) != 0;
    std::int32_t r = 0;
    if (lease_ != nullptr) r = NewRecord(level);
    if (!empty) stack_.push_back({r, token.start, token.length, nameLength, false, SiblingChain{0, 0}});
    return true;
  }

  // The depth of the innermost open start tag of the region that the end tag
  // in the cursor closes, or -1.
  std::int32_t InnermostMatch() const {
    for (std::int32_t k = Depth() - 1; k >= 0; --k) {
      const RegionSlot& s = stack_[static_cast<std::size_t>(k)];
      if (EndTagMatches(cursor, cursor.text + s.start + 1, s.nameLength)) return k;
    }
    return -1;
  }

  // The end tag in token closes the start tag at depth k and, not ended,
  // those inside it.
  void CloseMatched(std::int32_t k) {
    CloseNotEndedAbove(k);
    const RegionSlot& s = stack_.back();
    if (s.record != 0) {
      ElementRecord& r = doc_.Rec(s.record);
      r.length = token.start + token.length - s.start;
      r.tagLengths =
          static_cast<std::uint32_t>(s.startTag) | (static_cast<std::uint32_t>(token.length) << 22);
      if (s.innerError) r.Set(ElemInnerError);
    }
    stack_.pop_back();
  }

  // Every open start tag of the region ends without end tag (the text ends,
  // or an end tag of an element around the region comes).
  void CloseAll() { CloseNotEndedAbove(-1); }

  void MarkError() {
    if (stack_.empty())
      errorsToContainer = true;
    else
      stack_.back().innerError = true;
  }

  ScanCursor cursor;
  MarkupToken token;
  SiblingChain top{0, 0};          // the new records whose parent is the container
  bool errorsToContainer = false;  // an error the container's ElemInnerError records

 private:
  std::int32_t NewRecord(std::int32_t level) {
    const std::int32_t r = lease_->Take();
    records_->push_back(r);
    SiblingChain& siblings = stack_.empty() ? top : stack_.back().children;
    const std::int32_t parent = stack_.empty() ? RegionPlan::kTopLevel : stack_.back().record;
    ElementRecord& rec = doc_.Rec(r);
    std::uint32_t flags = 0;
    rec.nextSibling = 0;
    rec.parent = parent;
    if (siblings.first == 0) {
      if (parent != RegionPlan::kTopLevel) doc_.Rec(parent).firstChild = r;
      siblings.first = r;
      rec.prevSibling = r;
      flags = ElemFirstChild;
    } else {
      doc_.Rec(siblings.last).nextSibling = r;
      rec.prevSibling = siblings.last;
      doc_.Rec(siblings.first).prevSibling = r;
    }
    siblings.last = r;
    rec.firstChild = 0;
    rec.levelFlags = flags | static_cast<std::uint32_t>(level);
    rec.start = token.start;
    rec.tagLengths = static_cast<std::uint32_t>(token.length);
    rec.length = token.length;  // a start tag left open keeps this length
    return r;
  }

  // Closes the open start tags deeper than k, innermost first, as elements
  // without end tag: each one's children follow it as siblings, and an
  // error met inside it is handed to the element around it. The parent links
  // of the children handed on are written once, at the end.
  void CloseNotEndedAbove(std::int32_t k) {
    std::int32_t outermost = 0;
    while (Depth() > k + 1) {
      outermost = stack_.back().record;
      CloseNotEnded();
    }
    if (outermost == 0) return;
    const std::int32_t parent = k >= 0 ? stack_[static_cast<std::size_t>(k)].record : RegionPlan::kTopLevel;
    for (std::int32_t c = doc_.Rec(outermost).nextSibling; c != 0; c = doc_.Rec(c).nextSibling)
      doc_.Rec(c).parent = parent;
  }

  void CloseNotEnded() {
    const RegionSlot s = stack_.back();
    stack_.pop_back();
    if (s.innerError) MarkError();
    if (s.record == 0) return;
    ElementRecord& rec = doc_.Rec(s.record);
    rec.Set(ElemOpen);
    const std::int32_t firstMoved = s.children.first;
    if (firstMoved == 0) return;
    rec.firstChild = 0;
    rec.nextSibling = firstMoved;
    ElementRecord& moved = doc_.Rec(firstMoved);
    const std::int32_t lastMoved = moved.prevSibling;
    moved.Clear(ElemFirstChild);
    moved.prevSibling = s.record;
    SiblingChain& around = stack_.empty() ? top : stack_.back().children;
    doc_.Rec(around.first).prevSibling = lastMoved;
    around.last = lastMoved;
  }

  XmlDocument& doc_;
  const std::int32_t baseDepth_;
  RecordLease* lease_;
  std::vector<std::int32_t>* records_;
  std::vector<RegionSlot>& stack_;
};

// How an attempt ended.
enum class Outcome {
  kAligned,  // the new walk stands where the old one stood: the plan holds
  kWiden,    // an end tag may close an element opened before the region
  kWhole     // beyond what a region follows: the whole text is parsed
};

// One attempt at a region: from the end of after (or the content start of
// container) to where the walks meet.
class Attempt {
 public:
  Attempt(XmlDocument& d, const TextChange& change, std::int32_t container, std::int32_t after,
          RecordLease& lease, RegionPlan& plan)
      : d_(d),
        change_(change),
        container_(container),
        after_(after),
        from_(after != 0 ? EndOf(d.Rec(after)) : ContentStart(d, container)),
        // The depth at from_: after a closed element as before it, after a
        // start tag left open one more, inside the container one below it.
        baseDepth_(after != 0       ? d.Rec(after).Level() + (d.Rec(after).Has(ElemOpen) ? 1 : 0)
                   : container != 0 ? d.Rec(container).Level() + 1
                                    : 0),
        endTagOld_(container != 0 ? EndTagStart(d.Rec(container)) : -1),
        endTagNew_(container != 0 ? endTagOld_ + change.Delta() : -1),
        plan_(plan),
        parser_(d, d.text.c_str(), baseDepth_, &lease, &plan.records, RoomOf(d).slots),
        old_(d, container, after, RoomOf(d).open) {}

  Outcome Run() {
    if (baseDepth_ > kMaxLevel) return Outcome::kWhole;
    RegionParser& p = parser_;
    p.cursor.pos = from_;
    for (;;) {
      p.SkipToMarkup();
      const std::int32_t q = p.cursor.pos;
      if (container_ != 0 && q > endTagNew_) return Outcome::kWiden;  // its end tag was taken into a token
      const std::int32_t at = q - change_.Delta();
      if (q >= change_.NewEnd() && q >= kFirstBytes && at >= kFirstBytes) {
        old_.AdvanceTo(at);
        // From a place where both walks start a token they read the same
        // tokens: the start or end of an old element, or an old end tag.
        const bool boundary = at == endTagOld_ || old_.StartsAt(at) || old_.EndsAt(at);
        synced_ = synced_ || boundary || old_.MatchedAt(at);
        if (p.Depth() == 0 && old_.Empty() && boundary) return Aligned(q);
      }
      std::int32_t nameLength = 0;
      const int type = ScanTokenInline(p.cursor, p.token, &nameLength);
      if (container_ != 0 && q < endTagNew_ && p.cursor.pos > endTagNew_) return Outcome::kWiden;
      switch (type) {
        case NodeElement:
          if (!p.StartTag(nameLength)) return Outcome::kWhole;
          break;
        case ScanEndTag: {
          if (p.token.length > kMaxEndTagLength) {
            p.MarkError();  // ignored, as a parse ignores it
            break;
          }
          const std::int32_t k = p.InnermostMatch();
          if (q == endTagNew_) {
            if (k >= 0) return Outcome::kWiden;  // a new start tag takes the container's end tag
            p.CloseAll();
            return Aligned(q);
          }
          if (k >= 0) {
            p.CloseMatched(k);
            break;
          }
          // No start tag of the region: one from before it may be closed,
          // unless the old walk read this end tag too and closed nothing
          // with it (what was open before the region is the same for both).
          if (!synced_ || old_.MatchedAt(q - change_.Delta())) return Outcome::kWiden;
          p.MarkError();
          break;
        }
        case ScanBadMarkup:
          p.MarkError();
          break;
        case ScanAtEnd:
          if (container_ != 0 || q < change_.NewEnd()) return Outcome::kWiden;
          p.CloseAll();
          old_.AdvanceTo(kNever);
          return Aligned(q);
        default:
          break;
      }
    }
  }

  // The plan's flags, once aligned: the container's error flag and the
  // document's, from what the region's old and new records carry.
  void Conclude(const std::string& removed) {
    RegionPlan& plan = plan_;
    const ElementRecord& c = d_.Rec(container_);
    const bool wasError = c.Has(ElemInnerError);
    plan.containerError =
        parser_.errorsToContainer || (wasError && (!OldRegionErrs(removed) || OutsideRegionErrs()));
    std::int32_t added = 0;
    for (const std::int32_t r : plan.records)
      if (d_.Rec(r).levelFlags & (ElemOpen | ElemInnerError)) ++added;
    const std::int32_t change = added - old_.marks + (plan.containerError ? 1 : 0) - (wasError ? 1 : 0);
    std::int32_t before = d_.Rec(0).Has(ElemParseError) ? d_.errorMarks : 0;
    if (before < 0 && added == 0 && !plan.containerError && change != 0) before = CountErrorMarks(d_);
    plan.errorMarks = before >= 0 ? before + change : -1;
    // Unknown only while the document held an error and still holds one.
    plan.documentError = before >= 0 ? plan.errorMarks > 0 : true;
  }

 private:
  Outcome Aligned(std::int32_t q) {
    if (q == endTagNew_) old_.AdvanceTo(endTagOld_);
    plan_.container = container_;
    plan_.after = after_;
    plan_.from = from_;
    plan_.to = q;
    plan_.first = parser_.top.first;
    plan_.last = parser_.top.last;
    alignedAt_ = q;
    return Outcome::kAligned;
  }

  // True when the old walk over the region met an error the container's flag
  // recorded: the old text of the region parsed as the new one was.
  bool OldRegionErrs(const std::string& removed) const {
    const std::int32_t end = alignedAt_ - change_.Delta();  // in the old text
    const std::string& t = d_.text;
    // Without markup the old text of the region held no error (an addition
    // behind white space, as most are).
    auto holdsMarkup = [](const char* p, std::size_t n) { return std::memchr(p, '<', n) != nullptr; };
    if (!holdsMarkup(t.data() + from_, static_cast<std::size_t>(change_.at - from_)) &&
        !holdsMarkup(removed.data(), removed.size()) &&
        !holdsMarkup(t.data() + change_.NewEnd(), static_cast<std::size_t>(alignedAt_ - change_.NewEnd())))
      return false;
    // The region keeps its place past the text's first bytes by a lead,
    // unless it is the text's start.
    const std::size_t lead = from_ > 0 ? kFirstBytes : 0;
    std::string old(lead, ' ');
    old.reserve(lead + static_cast<std::size_t>(end - from_) + 1);
    old.append(t, static_cast<std::size_t>(from_), static_cast<std::size_t>(change_.at - from_));
    old += removed;
    old.append(t, static_cast<std::size_t>(change_.NewEnd()),
               static_cast<std::size_t>(alignedAt_ - change_.NewEnd()));
    const std::size_t stop = old.size();
    if (static_cast<std::size_t>(alignedAt_) < t.size()) old += t[static_cast<std::size_t>(alignedAt_)];
    std::vector<RegionSlot> stack;
    RegionParser dry(d_, old.c_str(), baseDepth_, nullptr, nullptr, stack);
    dry.cursor.pos = static_cast<std::int32_t>(lead);
    for (;;) {
      dry.SkipToMarkup();
      if (static_cast<std::size_t>(dry.cursor.pos) >= stop) break;
      std::int32_t nameLength = 0;
      switch (ScanTokenInline(dry.cursor, dry.token, &nameLength)) {
        case NodeElement:
          if (!dry.StartTag(nameLength)) return true;  // past the limits: not followed
          break;
        case ScanEndTag: {
          const std::int32_t k = dry.token.length > kMaxEndTagLength ? -1 : dry.InnermostMatch();
          if (k >= 0)
            dry.CloseMatched(k);
          else
            dry.MarkError();  // nothing from before the region was closed before its end
          break;
        }
        case ScanBadMarkup:
          dry.MarkError();
          break;
        default:
          break;
      }
    }
    // What is still open was closed where the walks met: by the container's
    // end tag, or by the end of the text.
    dry.CloseAll();
    return dry.errorsToContainer;
  }

  // True when the container's content outside the region holds an error of
  // its own: malformed markup or an end tag between its children (each one
  // of them is an end tag that closed nothing), or a start tag too long for
  // a record.
  bool OutsideRegionErrs() const {
    const ElementRecord& c = d_.Rec(container_);
    const std::int32_t end = container_ != 0 ? endTagNew_ : static_cast<std::int32_t>(d_.text.size());
    const std::int32_t afterRegion = old_.Next();
    return ContentErrs(ContentStart(d_, container_), from_, c.firstChild, after_, 0) ||
           ContentErrs(alignedAt_, end, afterRegion, 0, change_.Delta());
  }

  // Scans [from, to) of the new text, stepping over the children from first
  // (through last, or to the end of the chain), whose offsets are shift
  // behind the new text's.
  bool ContentErrs(std::int32_t from, std::int32_t to, std::int32_t child, std::int32_t last,
                   std::int32_t shift) const {
    ScanCursor cursor(d_.text.c_str(), d_.docFlags);
    MarkupToken token;
    token.quiet = true;
    cursor.pos = from;
    while (cursor.pos < to) {
      if (child != 0 && d_.Rec(child).start + shift == cursor.pos) {
        cursor.pos += d_.Rec(child).length;
        child = child == last ? 0 : d_.Rec(child).nextSibling;
        continue;
      }
      const int type = ScanToken(cursor, token);
      if (type == ScanAtEnd) break;
      if (type == ScanBadMarkup || type == ScanEndTag || type == NodeElement) return true;
    }
    return false;
  }

  XmlDocument& d_;
  const TextChange& change_;
  const std::int32_t container_, after_, from_, baseDepth_;
  const std::int32_t endTagOld_, endTagNew_;  // the container's end tag; -1 for the document
  RegionPlan& plan_;
  RegionParser parser_;
  OldWalk old_;
  bool synced_ = false;  // the new walk's tokens start where the old walk's did
  std::int32_t alignedAt_ = 0;
};

}  // namespace

bool PlanRegion(XmlDocument& doc, const TextChange& change, const std::string& removed,
                std::int32_t container, std::int32_t before, RecordLease& lease, RegionPlan& plan) {
  std::int32_t c = ContainerOf(doc, container, change.at, change.OldEnd());
  std::int32_t after = ChildBefore(doc, c, c == container ? before : container, change.at);
  for (int widened = 0;; ++widened) {
    plan.records.clear();
    Attempt attempt(doc, change, c, after, lease, plan);
    const Outcome outcome = attempt.Run();
    if (outcome == Outcome::kAligned) {
      attempt.Conclude(removed);
      return true;
    }
    lease.GiveBack();
    plan.records.clear();
    if (outcome == Outcome::kWhole || (c == 0 && after == 0)) return false;
    if (c == 0 || widened >= kMostWidenings) {
      c = after = 0;  // from the start of the text nothing is open
    } else {
      const std::int32_t up = doc.Rec(c).parent;
      after = ChildBefore(doc, up, c, change.at);
      c = up;
    }
  }
}

}  // namespace orvel
