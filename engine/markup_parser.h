// The tree builder shared by ParseMarkup and ReindentDocument: reads tokens,
// links one record per start tag under the parse root, matches end tags
// against the stack of open start tags, and recovers from every error.
// A hook sees each white-space token (re-indentation edits the text there).
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/scanner_fast.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

// The ends of the sibling chain being built under the element open at one
// depth, so that linking a new element does not walk through the records.
struct ChildChain {
  std::int32_t first = 0;
  std::int32_t last = 0;
};

// Growable array of token slots: slot k holds the start tag open at depth k,
// the top slot receives the next token. Grows 6, 18, 42, 90, ... The first six
// slots live in the object itself, so that a small parse allocates nothing.
class TokenStack {
 public:
  MarkupToken& operator[](std::int32_t k) { return At(k).token; }
  ChildChain& Children(std::int32_t k) { return At(k).children; }
  std::int32_t Size() const { return kInline + static_cast<std::int32_t>(more_.size()); }
  void MakeRoomFor(std::int32_t top) {
    while (top >= Size()) more_.resize(static_cast<std::size_t>(2 * Size() + 6 - kInline));
  }

 private:
  struct Slot {
    MarkupToken token;
    ChildChain children;
  };
  static constexpr std::int32_t kInline = 6;

  Slot& At(std::int32_t k) { return k < kInline ? first_[k] : more_[static_cast<std::size_t>(k - kInline)]; }

  Slot first_[kInline];
  std::vector<Slot> more_;
};

// Writes a formatted message into status unless it already holds one.
void SetFirstError(std::string& status, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Step one of every full parse: positions, marks, record count, free chain
// and the document record reset; room reserved for text length / 64 + 8 records.
void ResetForFullParse(XmlDocument& doc);

// NameMatches against a start-tag name held in a std::string.
inline bool EndTagMatches(const ScanCursor& cursor, const std::string& name) {
  if (cursor.docFlags & DocNoCase) return NameMatches(cursor, name.c_str());
  const std::int32_t n = cursor.nameEnd - cursor.nameStart + 1;
  if (n <= 0 || static_cast<std::size_t>(n) > name.size()) return NameMatches(cursor, name.c_str());
  // Tag names are short: a plain loop beats a call to memcmp.
  const char* a = cursor.text + cursor.nameStart;
  const char* b = name.data();
  for (std::int32_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  const char follow = b[n];
  return follow == '\0' || std::strchr(" =/[]", follow) != nullptr;
}

template <class SpaceHook>
class MarkupParser {
 public:
  MarkupParser(XmlDocument& doc, std::int32_t root, ScanCursor& cursor, SpaceHook& hook)
      : doc_(doc), root_(root), cursor_(cursor), hook_(hook),
        baseLevel_(doc.Rec(root).Level()), current_(root) {
    // The root may have children already: new elements follow them.
    const std::int32_t first = doc.Rec(root).firstChild;
    if (first != 0) stack_.Children(0) = ChildChain{first, doc.Rec(first).prevSibling};
  }

  std::int32_t Run() {
    cursor_.pos = 0;
    doc_.status.clear();
    hook_.Begin(stack_);
    for (;;) {
      if (!SpaceHook::kSeesContent) SkipToMarkup();
      MarkupToken& token = stack_[depth_];
      switch (ScanTokenInline(cursor_, token)) {
        case NodeElement: OnStartTag(token); break;
        case ScanEndTag: OnEndTag(token); break;
        case ScanBadMarkup: MarkError(); SetFirstError(doc_.status, "%s", token.text.c_str()); break;
        case NodeSpace: hook_.AfterSpace(cursor_, stack_, depth_); break;
        case ScanAtEnd:
          while (depth_ > 0) CloseNotEnded(nullptr);
          return first_;
        default: break;  // text, CDATA, instructions, comments, declarations stay in the text
      }
    }
  }

 private:
  // Text and white space between tags yield only tokens that the parse
  // ignores, and the token after them always starts at the next '<'.
  void SkipToMarkup() {
    const char* p = cursor_.text + cursor_.pos;
    if (*p == '<') return;
    const char* lt = std::strchr(p, '<');
    cursor_.pos = static_cast<std::int32_t>((lt != nullptr ? lt : p + std::strlen(p)) - cursor_.text);
  }

  void MarkError() {
    doc_.Rec(root_).Set(ElemParseError);
    doc_.Rec(current_).Set(ElemInnerError);
  }

  void OnStartTag(MarkupToken& token) {
    const bool empty = (token.flags & TokenEmptyTag) != 0;
    if (skipDepth_ > 0) {  // inside an element too deep for the level field
      if (!empty) ++skipDepth_;
      return;
    }
    if (token.length > kMaxStartTagLength) {
      MarkError();
      SetFirstError(doc_.status, "Element tag at offset %d too long", token.start);
      return;
    }
    if (baseLevel_ + depth_ > kMaxLevel) {
      // Kept as opaque content of its parent, with everything inside it.
      MarkError();
      SetFirstError(doc_.status, "Element at offset %d nested too deeply", token.start);
      if (!empty) skipDepth_ = 1;
      return;
    }
    const std::int32_t r = doc_.recordCount < doc_.capacity ? doc_.recordCount++ : doc_.AllocRecord();
    if (first_ == 0) first_ = r;
    ElementRecord& rec = doc_.Rec(r);
    ChildChain& siblings = stack_.Children(depth_);
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
    if (empty) {
      rec.length = token.length;
      return;
    }
    ++depth_;
    current_ = r;
    stack_.MakeRoomFor(depth_);
    stack_.Children(depth_) = ChildChain{};
    hook_.Pushed(stack_, depth_);
  }

  void OnEndTag(const MarkupToken& token) {
    if (skipDepth_ > 0) {
      --skipDepth_;
      return;
    }
    if (token.length > kMaxEndTagLength) {
      MarkError();
      SetFirstError(doc_.status, "Element end tag at offset %d too long", token.start);
      return;
    }
    std::int32_t n = depth_;
    while (n > 0 && !EndTagMatches(cursor_, stack_[n - 1].text)) --n;
    if (n == 0) {
      MarkError();
      if (doc_.status.empty())
        SetFirstError(doc_.status, "No start tag for end tag '%s' at offset %d",
                      CursorText(cursor_).c_str(), token.start);
      return;
    }
    while (depth_ > n) CloseNotEnded(&token);
    ElementRecord& matched = doc_.Rec(current_);
    matched.length = token.start + token.length - matched.start;
    matched.SetEndTagLength(token.length);
    current_ = matched.parent;
    --depth_;
  }

  // Closes the innermost open element as one without end tag: its children
  // become its following siblings. endTag is null at the end of the text.
  void CloseNotEnded(const MarkupToken* endTag) {
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
      for (std::int32_t c = firstMoved; c != 0; c = doc_.Rec(c).nextSibling) doc_.Rec(c).parent = parent;
      doc_.Rec(doc_.Rec(parent).firstChild).prevSibling = lastMoved;
      stack_.Children(depth_ - 1).last = lastMoved;
    }
    if (doc_.status.empty()) {
      const MarkupToken& open = stack_[depth_ - 1];
      if (endTag != nullptr)
        SetFirstError(doc_.status, "End tag '%s' at offset %d does not match start tag '%s' at offset %d",
                      CursorText(cursor_).c_str(), cursor_.nameStart - 1, open.text.c_str(),
                      doc_.Rec(e).start);
      else
        SetFirstError(doc_.status, "Element '%s' at offset %d not ended", open.text.c_str(),
                      doc_.Rec(e).start);
    }
    current_ = parent;
    --depth_;
  }

  XmlDocument& doc_;
  const std::int32_t root_;
  ScanCursor& cursor_;
  SpaceHook& hook_;
  const std::int32_t baseLevel_;
  TokenStack stack_;
  std::int32_t depth_ = 0;
  std::int32_t current_;
  std::int32_t first_ = 0;
  std::int32_t skipDepth_ = 0;  // open elements inside one too deep to record
};

}  // namespace orvel
