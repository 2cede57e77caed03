// The tree builder shared by ParseMarkup and ReindentDocument: reads tokens,
// links one record per start tag under the parse root, matches end tags
// against the stack of open start tags, and recovers from every error.
// A hook sees each white-space token (re-indentation edits the text there).
//
// Hooks say what the parse does besides reading the text:
//   kSeesContent  white-space tokens reach AfterSpace;
//   kEditsText    AfterSpace may edit the text before the cursor, so start-tag
//                 names are copied out of it;
//   kBuildsTable  records, flags and status messages are written; without it
//                 only the nesting is followed (re-indentation measures so).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/byte_classes.h"
#include "engine/open_name_index.h"
#include "engine/scanner_blocks.h"
#include "engine/scanner_fast.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

// The ends of a sibling chain being built, so that linking a new element
// does not walk through the records. ChildChain{} is the empty chain.
struct ChildChain {
  std::int32_t first;
  std::int32_t last;
};

// One level of the stack of open start tags. Slot k describes the element
// open at depth k and the chain of children being built at depth k (under the
// parse root for k = 0, else under the element of slot k - 1). Fields are
// written before they are read.
struct OpenSlot {
  std::int32_t nameAt;  // offset of the name in the name store
  std::int32_t nameLength;
  std::int32_t record;    // the open element's record, its start and start-tag length:
  std::int32_t start;     // kept here so that closing it reads no record, and the
  std::int32_t startTag;  // next element out is known without a load from the table
  ChildChain children;
};

// The token stack of a parse. The first 64 slots live in the object itself,
// so that a parse of usual depth allocates nothing; deeper slots live in
// segments of 1,024 added as the depth grows and never moved, so that growing
// copies nothing and never holds two arrays at once (a text of nested tags
// reaches depths that make the stack as large as the table). The start-tag
// names of the open elements are kept back to back, each with a NUL, in one
// string (re-indentation only).
class TokenStack {
 public:
  TokenStack() = default;
  TokenStack(const TokenStack&) = delete;
  TokenStack& operator=(const TokenStack&) = delete;

  OpenSlot& operator[](std::int32_t k) { return k < kInline ? first_[k] : Deep(k); }
  const OpenSlot& operator[](std::int32_t k) const { return k < kInline ? first_[k] : Deep(k); }
  void MakeRoomFor(std::int32_t top) {
    while (top >= size_) {
      segments_.emplace_back(new OpenSlot[kSegment]);
      size_ += kSegment;
    }
  }
  // Records the name of the element opened at depth k.
  void SetName(std::int32_t k, const char* name, std::int32_t n) {
    OpenSlot& slot = (*this)[k];
    slot.nameAt = k == 0 ? 0 : (*this)[k - 1].nameAt + (*this)[k - 1].nameLength + 1;
    slot.nameLength = n;
    const std::size_t need = static_cast<std::size_t>(slot.nameAt) + static_cast<std::size_t>(n) + 1;
    if (names_.size() < need) names_.resize(need + names_.size() + 64);  // size serves as capacity
    char* out = &names_[static_cast<std::size_t>(slot.nameAt)];
    for (std::int32_t i = 0; i < n; ++i) out[i] = name[i];
    out[n] = '\0';
  }
  const char* Name(std::int32_t k) const { return names_.c_str() + (*this)[k].nameAt; }

 private:
  static constexpr std::int32_t kInline = 64;
  static constexpr std::int32_t kSegmentShift = 10;
  static constexpr std::int32_t kSegment = 1 << kSegmentShift;

  OpenSlot& Deep(std::int32_t k) const {
    const std::int32_t i = k - kInline;
    return segments_[static_cast<std::size_t>(i >> kSegmentShift)][i & (kSegment - 1)];
  }

  OpenSlot first_[kInline];
  std::vector<std::unique_ptr<OpenSlot[]>> segments_;
  std::int32_t size_ = kInline;
  std::string names_;
};

// The hook of a parse that only builds the table.
struct NoSpaceHook {
  static constexpr bool kSeesContent = false;
  static constexpr bool kEditsText = false;
  static constexpr bool kBuildsTable = true;
  template <class Parser>
  void AfterSpace(ScanCursor&, Parser&) {}
};

// Writes a formatted message into status unless it already holds one.
void SetFirstError(std::string& status, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Step one of every full parse: positions, marks, record count, free chain
// and the document record reset; room reserved for textLength / 64 + 8 records.
void ResetForFullParse(XmlDocument& doc, std::size_t textLength);
inline void ResetForFullParse(XmlDocument& doc) { ResetForFullParse(doc, doc.text.size()); }

// Builds table's records and status from a parse of text, which need not be
// table's own text, with the document-level checks; positions, marks and the
// free chain start empty.
void BuildTable(XmlDocument& table, const std::string& text);

// What a full parse that ran out of memory leaves: the empty document, with
// the status "Out of memory". Allocates nothing.
void LeaveEmptyDocument(XmlDocument& doc) noexcept;

// NameMatches of the end tag in the cursor against the start-tag name
// name[0..size), whose end counts as its NUL: the name is compared where it
// stands, without a NUL-terminated copy.
inline bool EndTagMatches(const ScanCursor& cursor, const char* name, std::int32_t size) {
  const std::int32_t n = cursor.nameEnd - cursor.nameStart + 1;
  if (n > size) return false;  // the name's end would meet a byte of the range
  // Tag names are short: a plain loop beats a call to memcmp.
  const char* a = cursor.text + cursor.nameStart;
  if (cursor.docFlags & DocNoCase) {
    for (std::int32_t i = 0; i < n; ++i)
      if (bytes::Fold(a[i]) != bytes::Fold(name[i])) return false;
  } else {
    for (std::int32_t i = 0; i < n; ++i)
      if (a[i] != name[i]) return false;
  }
  return n >= size || bytes::Is(name[n > 0 ? n : 0], bytes::kNameFollow);
}

template <class SpaceHook>
class MarkupParser {
  static constexpr bool kTable = SpaceHook::kBuildsTable;

 public:
  MarkupParser(XmlDocument& doc, std::int32_t root, ScanCursor& cursor, SpaceHook& hook)
      : doc_(doc),
        root_(root),
        cursor_(cursor),
        hook_(hook),
        baseLevel_(kTable ? doc.Rec(root).Level() : 0),
        current_(root) {
    // The root may have children already: new elements follow them.
    const std::int32_t first = kTable ? doc.Rec(root).firstChild : 0;
    stack_[0].children = first != 0 ? ChildChain{first, doc.Rec(first).prevSibling} : ChildChain{};
  }

  std::int32_t Run() {
    cursor_.pos = 0;
    Status().clear();
    for (;;) {
      if (!SpaceHook::kSeesContent) SkipToMarkup();
      if (!SpaceHook::kEditsText && ClosesInnermost()) continue;
      std::int32_t nameLength = 0;
      switch (ScanTokenInline(cursor_, token_, &nameLength)) {
        case NodeElement:
          OnStartTag(nameLength);
          break;
        case ScanEndTag:
          OnEndTag();
          break;
        case ScanBadMarkup:
          MarkError();
          SetFirstError(Status(), "%s", token_.text.c_str());
          token_.quiet = true;  // only the first message is kept: the next are not written
          SkipLessThanRun();
          break;
        case NodeSpace:
          hook_.AfterSpace(cursor_, *this);
          break;
        case ScanAtEnd:
          CloseNotEndedDownTo(0, false);
          return first_;
        default:
          break;  // text, CDATA, instructions, comments, declarations stay in the text
      }
    }
  }

  std::int32_t Depth() const { return depth_; }
  // True when a tag was beyond the limits of a record (too long, too deep).
  bool HitLimit() const { return limitHit_; }

  // The depth of the outermost open element named exactly name[0..n), or -1.
  std::int32_t OutermostOpenNamed(const char* name, std::int32_t n) {
    if (depth_ <= kWalkDepth) {
      for (std::int32_t k = 0; k < depth_; ++k)
        if (stack_[k].nameLength == n && std::memcmp(NameBytes(k), name, static_cast<std::size_t>(n)) == 0)
          return k;
      return -1;
    }
    if (!exactNames_) exactNames_.reset(new OpenNameIndex(false, false));
    Cover(*exactNames_);
    return exactNames_->Outermost(name, n);
  }

 private:
  // Up to this depth the open elements are simply walked; deeper, the
  // lookups go through an index of their names, built on first need.
  static constexpr std::int32_t kWalkDepth = 16;

  std::string& Status() { return kTable ? doc_.status : scratchStatus_; }

  // The depth of the innermost open element that the end tag in the cursor
  // closes, or -1.
  std::int32_t InnermostMatch() {
    if (depth_ <= kWalkDepth) {
      for (std::int32_t k = depth_ - 1; k >= 0; --k)
        if (EndTagMatches(cursor_, NameBytes(k), stack_[k].nameLength)) return k;
      return -1;
    }
    if (!endTagNames_) endTagNames_.reset(new OpenNameIndex(true, (cursor_.docFlags & DocNoCase) != 0));
    Cover(*endTagNames_);
    return endTagNames_->Innermost(cursor_.text + cursor_.nameStart, cursor_.nameEnd - cursor_.nameStart + 1);
  }

  // Brings every open element into the index.
  void Cover(OpenNameIndex& index) {
    for (std::int32_t k = index.Covered(); k < depth_; ++k) index.Add(NameBytes(k), stack_[k].nameLength);
    if (depth_ > indexed_) indexed_ = depth_;
  }

  // After a pop: the closed element leaves the indexes (rarely built at all).
  void Popped() {
    if (depth_ < indexed_) Unindex();
  }
#if defined(__GNUC__)
  __attribute__((noinline, cold))
#endif
  void
  Unindex() {
    if (endTagNames_) endTagNames_->DropFrom(depth_);
    if (exactNames_) exactNames_->DropFrom(depth_);
    indexed_ = depth_;
  }

  // Text and white space between tags yield only tokens that the parse
  // ignores, and the token after them always starts at the next '<'.
  void SkipToMarkup() {
    const char* p = cursor_.text + cursor_.pos;
    if (*p == '<') return;
    while (bytes::Is(*p, bytes::kSpace)) ++p;  // mostly a line break and indentation
    if (*p == '<') {
      cursor_.pos = static_cast<std::int32_t>(p - cursor_.text);
      return;
    }
    cursor_.pos = static_cast<std::int32_t>(blocks::FindStop<'<'>(p, cursor_.end) - cursor_.text);
  }

  // A run of '<' reads as two-byte malformed tokens ("<<"), each with the
  // effects of the malformed token just read (the same flags, no message once
  // the first is kept): all but its last two or three bytes are passed at once.
  void SkipLessThanRun() {
    const char* p = cursor_.text + cursor_.pos;
    if (p[0] != '<' || p[1] != '<' || p[2] != '<') return;
    const std::int32_t run = static_cast<std::int32_t>(blocks::SkipRunOf('<', p, cursor_.end) - p);
    cursor_.pos += 2 * ((run - 1) / 2);
  }

  // The name of the element open at depth k. A parse that leaves the text as
  // it is finds it there, after the '<' of its start tag, and copies no name
  // per element; one that edits the text keeps copies in the stack.
  const char* NameBytes(std::int32_t k) const {
    return SpaceHook::kEditsText ? stack_.Name(k) : cursor_.text + stack_[k].start + 1;
  }
  // The same, NUL-terminated (for the rare uses that need it).
  const char* OpenName(std::int32_t k) {
    if (SpaceHook::kEditsText) return stack_.Name(k);
    nameCopy_.assign(NameBytes(k), static_cast<std::size_t>(stack_[k].nameLength));
    return nameCopy_.c_str();
  }

  void MarkError() {
    if (!kTable) return;
    doc_.Rec(root_).Set(ElemParseError);
    doc_.Rec(current_).Set(ElemInnerError);
  }

  void OnStartTag(std::int32_t nameLength) {
    const MarkupToken& token = token_;
    const bool empty = (token.flags & TokenEmptyTag) != 0;
    if (skipDepth_ > 0) {  // inside an element too deep for the level field
      if (!empty) ++skipDepth_;
      return;
    }
    if (token.length > kMaxStartTagLength) {
      MarkError();
      limitHit_ = true;
      SetFirstError(Status(), "Element tag at offset %d too long", token.start);
      return;
    }
    if (baseLevel_ + depth_ > kMaxLevel) {
      // Kept as opaque content of its parent, with everything inside it.
      MarkError();
      limitHit_ = true;
      SetFirstError(Status(), "Element at offset %d nested too deeply", token.start);
      if (!empty) skipDepth_ = 1;
      return;
    }
    if (kTable) LinkRecord(token, empty);
    if (empty) return;
    OpenSlot& open = stack_[depth_];
    if (SpaceHook::kEditsText)
      stack_.SetName(depth_, cursor_.text + token.start + 1, nameLength);
    else
      open.nameLength = nameLength;
    open.record = current_;
    open.start = token.start;
    open.startTag = token.length;
    ++depth_;
    stack_.MakeRoomFor(depth_);
    stack_[depth_].children = ChildChain{};
  }

  // Allocates the record of a start tag and links it as the last child of
  // the current parent; an element that is not empty becomes current.
  void LinkRecord(const MarkupToken& token, bool empty) {
    const std::int32_t r =
        doc_.freeHead == 0 && doc_.recordCount < doc_.capacity ? doc_.recordCount++ : doc_.AllocRecord();
    if (first_ == 0) first_ = r;
    ElementRecord& rec = doc_.Rec(r);
    ChildChain& siblings = stack_[depth_].children;
    std::uint32_t flags = 0;
    rec.nextSibling = 0;
    rec.parent = current_;
    if (siblings.first == 0) {
      doc_.Rec(current_).firstChild = r;
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
    rec.levelFlags = flags | static_cast<std::uint32_t>(baseLevel_ + depth_);
    rec.start = token.start;
    rec.tagLengths = static_cast<std::uint32_t>(token.length);
    if (empty)
      rec.length = token.length;
    else
      current_ = r;
  }

  void OnEndTag() {
    const MarkupToken& token = token_;
    if (skipDepth_ > 0) {
      --skipDepth_;
      return;
    }
    if (token.length > kMaxEndTagLength) {
      MarkError();
      limitHit_ = true;
      SetFirstError(Status(), "Element end tag at offset %d too long", token.start);
      return;
    }
    const std::int32_t n = InnermostMatch() + 1;
    if (n == 0) {
      MarkError();
      if (Status().empty())
        SetFirstError(Status(), "No start tag for end tag '%s' at offset %d", CursorText(cursor_).c_str(),
                      token.start);
      return;
    }
    CloseNotEndedDownTo(n, true);
    CloseMatched(token.start, token.length);
  }

  // The usual end tag, "</" + the innermost open element's name + '>', read
  // without the general scan: the scanner would give the same token and name
  // range, and the match would stop at the innermost element.
  bool ClosesInnermost() {
    if (depth_ == 0 || skipDepth_ > 0) return false;
    const char* p = cursor_.text + cursor_.pos;
    if (p[0] != '<' || p[1] != '/') return false;
    const std::int32_t n = stack_[depth_ - 1].nameLength;
    if (n + 3 > kMaxEndTagLength) return false;
    const char* name = NameBytes(depth_ - 1);
    for (std::int32_t i = 0; i < n; ++i)
      if (p[2 + i] != name[i]) return false;
    if (p[2 + n] != '>') return false;
    const std::int32_t start = cursor_.pos;
    cursor_.nameStart = start + 2;
    cursor_.nameEnd = start + 1 + n;
    cursor_.pos = start + n + 3;
    CloseMatched(start, n + 3);
    return true;
  }

  // Pops the innermost open element, ended by the end tag at start.
  void CloseMatched(std::int32_t start, std::int32_t length) {
    const OpenSlot& open = stack_[depth_ - 1];
    if (kTable) {
      ElementRecord& matched = doc_.Rec(open.record);
      matched.length = start + length - open.start;
      matched.tagLengths =
          static_cast<std::uint32_t>(open.startTag) | (static_cast<std::uint32_t>(length) << 22);
    }
    --depth_;
    current_ = depth_ > 0 ? stack_[depth_ - 1].record : root_;
    Popped();
  }

  // Closes the open elements deeper than depth keep as ones without end tag,
  // innermost first; byEndTag: an end tag of an outer element was found (the
  // cursor holds its name), else the text ended. Each closed element's
  // children become its following siblings, so all of them end up after the
  // outermost closed one under the element that stays open: their parent
  // links are written once, at the end, not at every level they pass (which
  // would take time quadratic in the nesting depth).
#if defined(__GNUC__)
  __attribute__((noinline, cold))  // error recovery: kept out of the token loop
#endif
  void
  CloseNotEndedDownTo(std::int32_t keep, bool byEndTag) {
    std::int32_t outermost = 0;
    while (depth_ > keep) {
      outermost = current_;
      CloseNotEnded(byEndTag);
    }
    if (!kTable || outermost == 0) return;
    for (std::int32_t c = doc_.Rec(outermost).nextSibling; c != 0; c = doc_.Rec(c).nextSibling)
      doc_.Rec(c).parent = current_;
  }

  // Closes the innermost open element; the parent links of the children it
  // hands up are left to CloseNotEndedDownTo. Open elements are never handed
  // up, so the parent link read here is always current.
  void CloseNotEnded(bool byEndTag) {
    if (!kTable) {
      --depth_;
      Popped();
      return;
    }
    const std::int32_t e = current_;
    doc_.Rec(root_).Set(ElemParseError);
    ElementRecord& rec = doc_.Rec(e);
    rec.SetEndTagLength(0);
    rec.length = rec.StartTagLength();
    rec.Set(ElemOpen);
    const std::int32_t parent = rec.parent;
    if (rec.Has(ElemInnerError)) {
      rec.Clear(ElemInnerError);
      doc_.Rec(parent).Set(ElemInnerError);
    }
    const std::int32_t firstMoved = rec.firstChild;
    if (firstMoved != 0) {
      rec.firstChild = 0;
      rec.nextSibling = firstMoved;
      ElementRecord& moved = doc_.Rec(firstMoved);
      const std::int32_t lastMoved = moved.prevSibling;
      moved.Clear(ElemFirstChild);
      moved.prevSibling = e;
      doc_.Rec(doc_.Rec(parent).firstChild).prevSibling = lastMoved;
      stack_[depth_ - 1].children.last = lastMoved;
    }
    if (doc_.status.empty()) {
      const char* name = OpenName(depth_ - 1);
      if (byEndTag)
        SetFirstError(doc_.status, "End tag '%s' at offset %d does not match start tag '%s' at offset %d",
                      CursorText(cursor_).c_str(), cursor_.nameStart - 1, name, doc_.Rec(e).start);
      else
        SetFirstError(doc_.status, "Element '%s' at offset %d not ended", name, doc_.Rec(e).start);
    }
    current_ = parent;
    --depth_;
    Popped();
  }

  XmlDocument& doc_;
  const std::int32_t root_;
  ScanCursor& cursor_;
  SpaceHook& hook_;
  const std::int32_t baseLevel_;
  TokenStack stack_;
  MarkupToken token_;     // the token being read; start-tag names stay in the text
  std::string nameCopy_;  // OpenName's result when names are read from the text
  std::int32_t depth_ = 0;
  std::int32_t current_;
  std::int32_t first_ = 0;
  std::int32_t skipDepth_ = 0;  // open elements inside one too deep to record
  bool limitHit_ = false;
  std::unique_ptr<OpenNameIndex> endTagNames_;  // by the names end tags close them with
  std::unique_ptr<OpenNameIndex> exactNames_;   // by their exact names (re-indentation)
  std::int32_t indexed_ = 0;                    // depths below this may be in an index
  std::string scratchStatus_;                   // the messages of a parse without table
};

}  // namespace orvel
