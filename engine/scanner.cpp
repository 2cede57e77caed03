// The markup scanner's fast path: one dedicated loop per construct, equal in
// every result to the byte-by-byte rules of ScanTokenStepwise, which also
// serves the rare document type declarations.
#include "engine/scanner.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

#include "engine/byte_classes.h"
#include "orvel/constants.h"

namespace orvel {

void FormatScanMessage(MarkupToken& token, const char* format, const char* word) {
  char message[128];
  int n = std::snprintf(message, sizeof message, format, word, token.start);
  token.text.assign(message, n > 0 ? static_cast<std::size_t>(n) : 0);
}

namespace {

using bytes::Is;
using bytes::SkipUntil;

const char kUnterminated[] = "%s at offset %d unterminated";
const char kIncorrect[] = "Incorrect %s at offset %d";

// Ends the token just before *stop: fills length and type, moves the cursor.
inline int Finish(ScanCursor& cursor, MarkupToken& token, const char* stop, int type) {
  const std::int32_t end = static_cast<std::int32_t>(stop - cursor.text);
  token.length = end - token.start;
  token.type = type;
  cursor.pos = end;
  return type;
}

// A construct cut off by the end of the text: it covers every byte up to the NUL.
int Unterminated(ScanCursor& cursor, MarkupToken& token, const char* nul, const char* word) {
  FormatScanMessage(token, kUnterminated, word);
  return Finish(cursor, token, nul, ScanBadMarkup);
}

// Malformed markup after its deciding byte: runs to the next '>' outside
// quotes (included) or up to the next '<' (excluded).
int Malformed(ScanCursor& cursor, MarkupToken& token, const char* p, const char* what) {
  bool inDouble = false, inSingle = false;
  for (;; ++p) {
    const char b = *p;
    if (b == '\0') return Unterminated(cursor, token, p, "tag");
    if (b == '<') break;
    if (b == '>' && !inDouble && !inSingle) {
      ++p;
      break;
    }
    if (b == '"' && !inSingle) inDouble = !inDouble;
    else if (b == '\'' && !inDouble) inSingle = !inSingle;
  }
  FormatScanMessage(token, kIncorrect, what);
  return Finish(cursor, token, p, ScanBadMarkup);
}

// Finds the '>' that completes a terminator of n bytes whose first n - 1
// bytes must precede it; the '>' must lie beyond offset n.
const char* FindTerminator(const char* text, const char* p, const char* lead, int n) {
  for (;;) {
    p = SkipUntil(p, bytes::kTagStop);
    if (*p == '\0') return p;
    if (*p == '>' && p - text > n && std::memcmp(p - (n - 1), lead, n - 1) == 0) return p;
    ++p;
  }
}

int ScanStartTag(ScanCursor& cursor, MarkupToken& token, const char* name) {
  const char* p = SkipUntil(name + 1, bytes::kNameEnd);
  if (*p == '\0') return Unterminated(cursor, token, p, "Element tag");
  token.text.assign(name, static_cast<std::size_t>(p - name));
  const char* const afterName = p;
  for (;;) {
    p = SkipUntil(p, bytes::kTagStop);
    const char b = *p;
    if (b == '>') break;
    if (b == '\0') return Unterminated(cursor, token, p, "Element tag");
    const char* close = std::strchr(p + 1, b);  // the matching quote
    if (close == nullptr) return Unterminated(cursor, token, p + std::strlen(p), "Element tag");
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

int ScanEndTagAt(ScanCursor& cursor, MarkupToken& token, const char* name) {
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

int ScanInstruction(ScanCursor& cursor, MarkupToken& token, const char* target) {
  const char* p = SkipUntil(target, bytes::kNameEnd);
  if (*p == '\0') return Unterminated(cursor, token, p, "Processing instruction");
  token.text.assign(target, static_cast<std::size_t>(p - target));
  p = FindTerminator(cursor.text, p, "?", 2);
  if (*p == '\0') return Unterminated(cursor, token, p, "Processing instruction");
  return Finish(cursor, token, p + 1, NodeInstruction);
}

// A declaration opened by "<!" and E, A or N: ends at '>' outside quotes.
int ScanDeclaration(ScanCursor& cursor, MarkupToken& token, const char* p) {
  for (;;) {
    p = SkipUntil(p, bytes::kTagStop);
    const char b = *p;
    if (b == '>') return Finish(cursor, token, p + 1, NodeDoctype);
    if (b == '\0') return Unterminated(cursor, token, p, "Doctype");
    const char* close = std::strchr(p + 1, b);
    if (close == nullptr) return Unterminated(cursor, token, p + std::strlen(p), "Doctype");
    p = close + 1;
  }
}

// "<!-" and "<![" constructs: lt[3] must be `opener`; the terminator is
// lead followed by '>'.
int ScanBracketed(ScanCursor& cursor, MarkupToken& token, const char* lt, char opener,
                  const char* lead, int type, const char* word, const char* wrongWord) {
  if (lt[3] == opener) {
    const char* p = FindTerminator(cursor.text, lt + 4, lead, 3);
    if (*p == '\0') return Unterminated(cursor, token, p, word);
    return Finish(cursor, token, p + 1, type);
  }
  if (lt[3] == '\0') return Unterminated(cursor, token, lt + 3, "tag");
  return Malformed(cursor, token, lt + 4, wrongWord);
}

int ScanBang(ScanCursor& cursor, MarkupToken& token, const char* lt) {
  const char b = lt[2];
  if (b == '-') return ScanBracketed(cursor, token, lt, '-', "--", NodeComment, "Comment", "comment tag");
  if (b == '[') return ScanBracketed(cursor, token, lt, 'C', "]]", NodeCData, "CDATA Section", "tag");
  if (b == 'D') return ScanTokenStepwise(cursor, token);
  if (b == 'E' || b == 'A' || b == 'N') return ScanDeclaration(cursor, token, lt + 3);
  if (b == '\0') return Unterminated(cursor, token, lt + 2, "tag");
  return Malformed(cursor, token, lt + 3, "! tag");
}

int ScanMarkup(ScanCursor& cursor, MarkupToken& token, const char* lt) {
  const char b = lt[1];
  if (Is(b, bytes::kNameStart)) return ScanStartTag(cursor, token, lt + 1);
  if (b == '/') return ScanEndTagAt(cursor, token, lt + 2);
  if (b == '!') return ScanBang(cursor, token, lt);
  if (b == '?') return ScanInstruction(cursor, token, lt + 2);
  if (b == '\0') return Unterminated(cursor, token, lt + 1, "tag");
  return Malformed(cursor, token, lt + 2, "tag name character");
}

}  // namespace

int ScanToken(ScanCursor& cursor, MarkupToken& token) {
  token.flags = 0;
  token.start = cursor.pos;
  const char* p = cursor.text + cursor.pos;
  if (*p == '<') return ScanMarkup(cursor, token, p);
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

bool SkipSpace(const char* text, std::int32_t& pos) {
  while (Is(text[pos], bytes::kSpace)) ++pos;
  return text[pos] != '\0';
}

bool NextName(ScanCursor& cursor) {
  std::int32_t p = cursor.pos;
  SkipSpace(cursor.text, p);
  cursor.nameStart = p;
  if (cursor.text[p] == '\0') {
    cursor.nameEnd = p - 1;
    cursor.pos = p;
    return false;
  }
  const std::int32_t from = p;
  while (!Is(cursor.text[p], bytes::kDelimiter)) ++p;
  if (p == from) ++p;  // a delimiter is a one-byte name
  cursor.nameEnd = p - 1;
  cursor.pos = p;
  return true;
}

bool NameMatches(const ScanCursor& cursor, const char* name) {
  const std::int32_t n = cursor.nameEnd - cursor.nameStart + 1;
  if (n > 0) {
    const char* range = cursor.text + cursor.nameStart;
    const std::size_t count = static_cast<std::size_t>(n);
    const int diff = (cursor.docFlags & DocNoCase) ? strncasecmp(range, name, count)
                                                   : std::strncmp(range, name, count);
    if (diff != 0) return false;
  }
  const char follow = name[n > 0 ? n : 0];
  return follow == '\0' || std::strchr(" =/[]", follow) != nullptr;
}

std::string CursorText(const ScanCursor& cursor) {
  if (cursor.nameEnd < cursor.nameStart) return std::string();
  return std::string(cursor.text + cursor.nameStart,
                     static_cast<std::size_t>(cursor.nameEnd - cursor.nameStart + 1));
}

}  // namespace orvel
