#include "tests/support/table_checker.h"

#include <cstring>
#include <sstream>
#include <utility>
#include <vector>

#include "engine/byte_classes.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {

namespace {

using ::testing::AssertionFailure;
using ::testing::AssertionResult;
using ::testing::AssertionSuccess;

std::string Describe(const ElementRecord& r) {
  std::ostringstream o;
  o << "{start " << r.start << ", length " << r.length << ", start tag " << r.StartTagLength() << ", end tag "
    << r.EndTagLength() << ", level " << r.Level() << ", flags 0x" << std::hex << r.Flags() << std::dec
    << ", parent " << r.parent << ", firstChild " << r.firstChild << ", next " << r.nextSibling << ", prev "
    << r.prevSibling << "}";
  return o.str();
}

class Checker {
 public:
  explicit Checker(const XmlDocument& doc) : doc_(doc), size_(static_cast<std::int64_t>(doc.text.size())) {}

  AssertionResult Run() {
    if (doc_.capacity <= 0 || doc_.recordCount < 1 || doc_.recordCount > doc_.capacity)
      return Fail() << "record count " << doc_.recordCount << " outside capacity " << doc_.capacity;
    if (doc_.blockSlots < doc_.BlockCount())
      return Fail() << "blockSlots " << doc_.blockSlots << " below block count " << doc_.BlockCount();
    const ElementRecord& d = doc_.Rec(0);
    if (d.start != 0 || d.length != size_ || d.tagLengths != 0 || d.Level() != 0 || d.parent != 0 ||
        d.nextSibling != 0 || d.prevSibling != 0 || (d.Flags() & ~(ElemParseError | ElemInnerError)) != 0)
      return Fail() << "document record " << Describe(d) << " for a text of " << size_ << " bytes";
    seen_.assign(static_cast<std::size_t>(doc_.recordCount), false);
    seen_[0] = true;
    if (!failed_) WalkTree();
    if (!failed_) CheckFreeChain();
    if (!failed_) CheckNoneLost();
    if (!failed_) CheckPositions();
    if (!failed_) CheckMarks();
    if (!failed_) CompareWithFreshParse();
    if (!failed_) CheckCurrentNode();
    if (failed_) return failure_;
    return AssertionSuccess();
  }

 private:
  AssertionResult& Fail() {
    failed_ = true;
    failure_ = AssertionFailure();
    return failure_;
  }

  bool Valid(std::int32_t i) const { return i > 0 && i < doc_.recordCount; }

  // Visits every record reachable from 0 without recursion, checking each
  // sibling chain and the placement of each child in its parent.
  void WalkTree() {
    std::vector<std::int32_t> pending{0};
    while (!pending.empty() && !failed_) {
      const std::int32_t x = pending.back();
      pending.pop_back();
      const ElementRecord& parent = doc_.Rec(x);
      const std::int32_t first = parent.firstChild;
      if (first == 0) continue;
      std::int64_t contentBegin = 0, contentEnd = size_;
      if (x != 0) {
        contentBegin = parent.start + parent.StartTagLength();
        contentEnd = static_cast<std::int64_t>(parent.start) + parent.length - parent.EndTagLength();
      }
      std::int32_t previous = 0;
      std::int64_t lastEnd = contentBegin;
      for (std::int32_t c = first; c != 0; c = doc_.Rec(c).nextSibling) {
        if (!Valid(c)) {
          Fail() << "record " << x << " links child index " << c << " outside 1.." << doc_.recordCount - 1;
          return;
        }
        if (seen_[static_cast<std::size_t>(c)]) {
          Fail() << "record " << c << " reached twice (cycle or shared child), under " << x;
          return;
        }
        seen_[static_cast<std::size_t>(c)] = true;
        const ElementRecord& r = doc_.Rec(c);
        if (r.parent != x) {
          Fail() << "record " << c << " " << Describe(r) << " is a child of " << x;
          return;
        }
        if (r.Has(ElemFirstChild) != (c == first)) {
          Fail() << "record " << c << " " << Describe(r) << ": ElemFirstChild wrong (first child of " << x
                 << " is " << first << ")";
          return;
        }
        if (c != first && r.prevSibling != previous) {
          Fail() << "record " << c << " " << Describe(r) << ": prevSibling should be " << previous;
          return;
        }
        if (x != 0 && r.Level() < parent.Level() + 1) {
          Fail() << "record " << c << " level " << r.Level() << " not below parent " << x << " level "
                 << parent.Level();
          return;
        }
        if (!CheckTags(c, r)) return;
        if (r.start < lastEnd || r.start + static_cast<std::int64_t>(r.length) > contentEnd) {
          Fail() << "record " << c << " " << Describe(r) << " outside the content [" << lastEnd << ", "
                 << contentEnd << ") of record " << x << " after its previous sibling";
          return;
        }
        lastEnd = r.start + static_cast<std::int64_t>(r.length);
        previous = c;
        pending.push_back(c);
      }
      if (doc_.Rec(first).prevSibling != previous) {
        Fail() << "first child " << first << " of " << x << " names " << doc_.Rec(first).prevSibling
               << " as last child, the chain ends at " << previous;
        return;
      }
    }
  }

  // The record's bytes: '<' name ... '>' [content "</" name ... '>'].
  bool CheckTags(std::int32_t i, const ElementRecord& r) {
    const std::int32_t startTag = r.StartTagLength(), endTag = r.EndTagLength();
    const std::int64_t end = static_cast<std::int64_t>(r.start) + r.length;
    const char* t = doc_.text.c_str();
    if (r.start < 0 || end > size_ || startTag < 2 || startTag > r.length || endTag < 0 ||
        startTag + endTag > r.length) {
      Fail() << "record " << i << " " << Describe(r) << " does not fit a text of " << size_ << " bytes";
      return false;
    }
    if (t[r.start] != '<' || t[r.start + startTag - 1] != '>' ||
        !bytes::Is(t[r.start + 1], bytes::kNameStart)) {
      Fail() << "record " << i << " " << Describe(r) << ": no start tag at its offsets: '"
             << std::string(t + r.start, static_cast<std::size_t>(startTag)) << "'";
      return false;
    }
    if ((r.tagLengths & 0x300000u) != 0) {
      Fail() << "record " << i << " has bits 20..21 of tagLengths set";
      return false;
    }
    if (endTag == 0) {
      if (r.length != startTag) {
        Fail() << "record " << i << " " << Describe(r) << ": no end tag but longer than its start tag";
        return false;
      }
      return true;
    }
    if (r.Has(ElemOpen)) {
      Fail() << "record " << i << " " << Describe(r) << ": ElemOpen with an end tag";
      return false;
    }
    const char* close = t + end - endTag;
    ScanCursor name(t, doc_.tableFlags);
    name.nameStart = static_cast<std::int32_t>(close - t) + 2;
    name.nameEnd = static_cast<std::int32_t>(bytes::SkipUntil(close + 2, bytes::kNameEnd) - t) - 1;
    const std::string startName(
        t + r.start + 1,
        static_cast<std::size_t>(bytes::SkipUntil(t + r.start + 1, bytes::kNameEnd) - (t + r.start + 1)));
    if (close[0] != '<' || close[1] != '/' || t[end - 1] != '>' || !NameMatches(name, startName.c_str())) {
      Fail() << "record " << i << " " << Describe(r) << ": end tag '"
             << std::string(close, static_cast<std::size_t>(endTag)) << "' does not close '" << startName
             << "'";
      return false;
    }
    return true;
  }

  void CheckFreeChain() {
    std::int32_t steps = 0;
    for (std::int32_t f = doc_.freeHead; f != 0; f = doc_.Rec(f).nextSibling) {
      if (!Valid(f) || seen_[static_cast<std::size_t>(f)] || doc_.Rec(f).levelFlags != ElemFreed ||
          ++steps > doc_.recordCount) {
        Fail() << "free chain broken at record " << f;
        return;
      }
      seen_[static_cast<std::size_t>(f)] = true;
    }
  }

  // Every record handed out is in the tree or on the free chain.
  void CheckNoneLost() {
    for (std::int32_t i = 1; i < doc_.recordCount; ++i)
      if (!seen_[static_cast<std::size_t>(i)]) {
        Fail() << "record " << i << " " << Describe(doc_.Rec(i))
               << " is neither in the tree nor on the free chain";
        return;
      }
  }

  // The current node is one that a walk of the parent's content meets (the
  // scanner's tokens, child elements stepped over whole), with its type and
  // length, right after the main element.
  void CheckCurrentNode() {
    if (doc_.nodeLength == 0) return;
    const std::int32_t parent = doc_.parentPos;
    const ElementRecord& p = doc_.Rec(parent);
    const std::int64_t endTag =
        parent != 0 ? static_cast<std::int64_t>(p.start) + p.length - p.EndTagLength() : -1;
    std::int32_t pos = parent != 0 ? p.start + p.StartTagLength() : 0;
    std::int32_t child = p.firstChild, before = 0;
    ScanCursor cursor(doc_.text.c_str(), doc_.docFlags);
    MarkupToken token;
    token.quiet = true;
    while (pos <= doc_.nodeOffset) {
      if (child != 0 && doc_.Rec(child).start == pos) {
        before = child;
        pos += doc_.Rec(child).length;
        child = doc_.Rec(child).nextSibling;
        continue;
      }
      cursor.pos = pos;
      const int scanned = ScanToken(cursor, token);
      if (scanned == ScanAtEnd || (scanned == ScanEndTag && pos == endTag)) break;
      if (pos == doc_.nodeOffset) {
        const int type = scanned == ScanEndTag                                ? NodeEndTag
                         : scanned == ScanBadMarkup || scanned == NodeElement ? NodeBadMarkup
                                                                              : scanned;
        if (type != doc_.nodeType || cursor.pos - pos != doc_.nodeLength || before != doc_.mainPos)
          Fail() << "current node type " << doc_.nodeType << " at " << pos << " length " << doc_.nodeLength
                 << " after element " << doc_.mainPos << ": the walk reads type " << type << " length "
                 << cursor.pos - pos << " after element " << before;
        return;
      }
      pos = cursor.pos;
    }
    Fail() << "current node type " << doc_.nodeType << " at " << doc_.nodeOffset << " length "
           << doc_.nodeLength << ": no node of the walk starts there";
  }

  // A record in the tree (reached from 0), or 0.
  bool InTree(std::int32_t i) const {
    return i == 0 || (i > 0 && i < doc_.recordCount && seen_[static_cast<std::size_t>(i)] &&
                      doc_.Rec(i).levelFlags != ElemFreed);
  }

  // The positions name records in the tree, one level below the other, and a
  // current node lies in the parent's content after the main element.
  void CheckPositions() {
    const std::int32_t parent = doc_.parentPos, main = doc_.mainPos, child = doc_.childPos;
    if (!InTree(parent) || !InTree(main) || !InTree(child)) {
      Fail() << "positions " << parent << "/" << main << "/" << child << " name no record of the tree";
      return;
    }
    if ((main != 0 && doc_.Rec(main).parent != parent) ||
        (child != 0 && (main == 0 || doc_.Rec(child).parent != main))) {
      Fail() << "positions " << parent << "/" << main << "/" << child
             << " are not parent, child and grandchild";
      return;
    }
    if (doc_.nodeLength == 0) {
      if (doc_.nodeOffset != 0 || doc_.nodeType != (main != 0 ? 1 : 0))
        Fail() << "no current node, but node type " << doc_.nodeType << " offset " << doc_.nodeOffset;
      return;
    }
    const ElementRecord& p = doc_.Rec(parent);
    const std::int64_t begin = main != 0
                                   ? static_cast<std::int64_t>(doc_.Rec(main).start) + doc_.Rec(main).length
                                   : static_cast<std::int64_t>(p.start) + p.StartTagLength();
    const std::int64_t end = static_cast<std::int64_t>(p.start) + p.length - p.EndTagLength();
    const std::int64_t node = doc_.nodeOffset;
    if (child != 0 || doc_.nodeLength < 0 || node < begin || node + doc_.nodeLength > end ||
        doc_.nodeType < 2) {
      Fail() << "current node type " << doc_.nodeType << " at [" << node << ", " << node + doc_.nodeLength
             << ") outside [" << begin << ", " << end << ") or beside a child position " << child;
    }
  }

  // Marks in use stand at the front of their bucket and name live records.
  void CheckMarks() {
    if (!doc_.marks) return;
    for (int b = 0; b < 7; ++b) {
      const MarkEntry* bucket = doc_.marks->buckets[b].get();
      if (bucket == nullptr) continue;
      bool free = false;
      for (int i = 0;; ++i) {
        const bool inUse = (bucket[i].flags & MarkInUse) != 0;
        if (inUse && (free || !InTree(bucket[i].saved))) {
          Fail() << "mark '" << bucket[i].name << "' in bucket " << b << " slot " << i << " names record "
                 << bucket[i].saved << (free ? " behind a free slot" : ", which is not in the tree");
          return;
        }
        free = free || !inUse;
        if (bucket[i].flags & MarkLast) break;
      }
    }
  }

  // The same text parsed afresh (with the flags the table was built with:
  // after a change of the flags it follows at the next edit) must give the
  // same tree, record by record, and the same verdict.
  void CompareWithFreshParse() {
    XmlDocument fresh;
    fresh.docFlags = doc_.tableFlags;
    fresh.text = doc_.text;
    fresh.status.clear();
    if (fresh.ParseDocument() != doc_.IsDocumentValid()) {
      Fail() << "IsDocumentValid is " << doc_.IsDocumentValid() << ", a fresh parse says "
             << !doc_.IsDocumentValid() << " (" << fresh.status << ")";
      return;
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> pending{{0, 0}};
    while (!pending.empty()) {
      const std::int32_t a = pending.back().first, b = pending.back().second;
      pending.pop_back();
      const ElementRecord& ra = doc_.Rec(a);
      const ElementRecord& rb = fresh.Rec(b);
      if (ra.start != rb.start || ra.length != rb.length || ra.tagLengths != rb.tagLengths ||
          ra.levelFlags != rb.levelFlags || (ra.firstChild == 0) != (rb.firstChild == 0)) {
        Fail() << "record " << a << " " << Describe(ra) << " differs from a fresh parse's record " << b << " "
               << Describe(rb);
        return;
      }
      std::int32_t ca = ra.firstChild, cb = rb.firstChild;
      while (ca != 0 && cb != 0) {
        pending.emplace_back(ca, cb);
        ca = doc_.Rec(ca).nextSibling;
        cb = fresh.Rec(cb).nextSibling;
      }
      if (ca != 0 || cb != 0) {
        Fail() << "record " << a << " has " << (ca != 0 ? "more" : "fewer")
               << " children than the fresh parse's record " << b;
        return;
      }
    }
  }

  const XmlDocument& doc_;
  const std::int64_t size_;
  std::vector<bool> seen_;
  bool failed_ = false;
  AssertionResult failure_ = AssertionSuccess();
};

}  // namespace

AssertionResult CheckTable(const XmlDocument& doc) { return Checker(doc).Run(); }

}  // namespace test
}  // namespace orvel
