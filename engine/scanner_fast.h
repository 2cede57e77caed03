// The fast markup scanner: one dedicated loop per construct, equal in every
// result to the byte-by-byte rules of ScanTokenStepwise, which also serves the
// rare document type declarations. Inline so that the parser's loop holds it.
#pragma once

#include <cstring>
#include <string>

#include "engine/byte_classes.h"
#include "engine/scanner.h"
#include "orvel/constants.h"

namespace orvel {

namespace scan_detail {

using bytes::Is;
using bytes::SkipUntil;

// Ends the token just before *stop: fills length and type, moves the cursor.
inline int Finish(ScanCursor& cursor, MarkupToken& token, const char* stop, int type) {
  const std::int32_t end = static_cast<std::int32_t>(stop - cursor.text);
  token.length = end - token.start;
  token.type = type;
  cursor.pos = end;
  return type;
}

// Copies a tag name into a token's text. The slot of a depth mostly sees
// names of one length again: then the bytes are overwritten in place.
inline void AssignName(std::string& text, const char* name, std::size_t n) {
  if (text.size() == n) {
    char* out = &text[0];
    for (std::size_t i = 0; i < n; ++i) out[i] = name[i];
  } else {
    text.assign(name, n);
  }
}

// Out of line, in scanner.cpp: the constructs that are rare or end a scan.
int Unterminated(ScanCursor& cursor, MarkupToken& token, const char* nul, const char* word);
int ScanOtherMarkup(ScanCursor& cursor, MarkupToken& token, const char* lt);

// With nameLength the name is not copied; its length is stored there instead.
inline int ScanStartTag(ScanCursor& cursor, MarkupToken& token, const char* name, std::int32_t* nameLength) {
  const char* p = SkipUntil(name + 1, bytes::kNameEnd);
  if (*p == '\0') return Unterminated(cursor, token, p, "Element tag");
  if (nameLength != nullptr) *nameLength = static_cast<std::int32_t>(p - name);
  else if (!token.quiet) AssignName(token.text, name, static_cast<std::size_t>(p - name));
  const char* const afterName = p;
  for (;;) {
    p = SkipUntil(p, bytes::kTagStop);
    const char b = *p;
    if (b == '>') break;
    if (b == '\0') return Unterminated(cursor, token, p, "Element tag");
    // Attribute values are short: find the matching quote in line.
    const char* close = p + 1;
    while (*close != b && *close != '\0') ++close;
    if (*close == '\0') return Unterminated(cursor, token, close, "Element tag");
    p = close + 1;
  }
  // Empty-element tag: '/' right before '>', itself after the name or after
  // white space or a quote. Bytes of the name do not count.
  if (p - 1 >= afterName && p[-1] == '/') {
    const char before = p - 2 >= afterName ? p[-2] : '\0';
    if (before == '\0' || Is(before, bytes::kSpace) || before == '"' || before == '\'')
      token.flags |= TokenEmptyTag;
  }
  return Finish(cursor, token, p + 1, NodeElement);
}

inline int ScanEndTagAt(ScanCursor& cursor, MarkupToken& token, const char* name) {
  const char* p = SkipUntil(name, bytes::kNameEnd);
  if (*p == '\0') return Unterminated(cursor, token, p, "Element end tag");
  cursor.nameStart = static_cast<std::int32_t>(name - cursor.text);
  cursor.nameEnd = static_cast<std::int32_t>(p - cursor.text) - 1;
  if (*p != '>') {
    const char* gt = std::strchr(p, '>');
    if (gt == nullptr) return Unterminated(cursor, token, p + std::strlen(p), "Element end tag");
    p = gt;
  }
  return Finish(cursor, token, p + 1, ScanEndTag);
}

inline int ScanMarkup(ScanCursor& cursor, MarkupToken& token, const char* lt, std::int32_t* nameLength) {
  const char b = lt[1];
  if (Is(b, bytes::kNameStart)) return ScanStartTag(cursor, token, lt + 1, nameLength);
  if (b == '/') return ScanEndTagAt(cursor, token, lt + 2);
  return ScanOtherMarkup(cursor, token, lt);
}

}  // namespace scan_detail

// ScanToken's body, inlined into the parser's loop. A parser that keeps
// start-tag names elsewhere passes nameLength: the name of a start tag is then
// not copied into token.text, and its length is stored there.
inline int ScanTokenInline(ScanCursor& cursor, MarkupToken& token, std::int32_t* nameLength = nullptr) {
  using namespace scan_detail;
  token.flags = 0;
  token.start = cursor.pos;
  const char* p = cursor.text + cursor.pos;
  if (*p == '<') return ScanMarkup(cursor, token, p, nameLength);
  if (*p == '\0') {
    token.length = 0;
    token.type = 0;
    return ScanAtEnd;
  }
  if (Is(*p, bytes::kSpace)) {
    do ++p;
    while (Is(*p, bytes::kSpace));
    if (*p == '<' || *p == '\0') return Finish(cursor, token, p, NodeSpace);
  }
  // Text: the byte that made it text is taken as it is (even a '>'); then the
  // run ends before '<', after '>', or at the end of the text.
  p = SkipUntil(p + 1, bytes::kTextStop);
  return Finish(cursor, token, *p == '>' ? p + 1 : p, NodeText);
}

}  // namespace orvel
