// The attribute finder: walks the tokens of one start tag (or processing
// instruction) on demand; nothing is split into attributes at parse time.
#include <cstdint>
#include <cstring>

#include "engine/scanner_blocks.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Byte classes of the attribute scan.
enum : unsigned char {
  kTagSpace = 1,  // " \t\n\r"
  kValueEnd = 2,  // NUL, white space, '>': ends an unquoted value after '='
  kWordEnd = 4    // NUL, white space, '=', '>', '/', '?': ends any other unquoted token
};

struct AttributeClasses {
  unsigned char of[256] = {};
  AttributeClasses() {
    for (unsigned char c : {' ', '\t', '\n', '\r'}) of[c] = kTagSpace | kValueEnd | kWordEnd;
    of[0] = kValueEnd | kWordEnd;
    of[static_cast<unsigned char>('>')] = kValueEnd | kWordEnd;
    for (unsigned char c : {'=', '/', '?'}) of[c] = kWordEnd;
  }
};
const AttributeClasses kClasses;

bool Is(char c, unsigned char cls) { return (kClasses.of[static_cast<unsigned char>(c)] & cls) != 0; }

// Cheap first-byte test in front of NameMatches (a name token is never empty).
bool MayMatch(const ScanCursor& cursor, const char* name) {
  return (cursor.docFlags & DocNoCase) != 0 || cursor.text[cursor.nameStart] == name[0];
}

enum class TokenKind { End, Close, Equals, Value, Name };

constexpr std::int32_t kTokenFlags = XmlDocument::CursorQuoted | XmlDocument::CursorCut;

// Reads the token at cursor.pos into the name range and moves pos past it;
// limit ends the text as its NUL does. afterEquals: an unquoted token is a
// value. On End and Close pos is put back to where it stood before the white
// space.
// Inlined into both scans: a call per token costs as much as reading a short name.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline TokenKind
ReadTagToken(ScanCursor& cursor, bool afterEquals, std::int32_t limit) {
  const char* t = cursor.text;
  const std::int32_t before = cursor.pos;
  std::int32_t p = before;
  while (p < limit && Is(t[p], kTagSpace)) ++p;  // SkipSpace, kept inline: this loop runs once per token
  if (p >= limit || t[p] == '\0') return TokenKind::End;
  const char first = t[p];
  cursor.docFlags &= ~kTokenFlags;
  if (first == '"' || first == '\'') {
    std::int32_t end = p + 1;
    while (end < limit && t[end] != first && t[end] != '\0') ++end;  // values are short: no library call
    const bool closed = end < limit && t[end] == first;
    cursor.nameStart = p + 1;
    cursor.nameEnd = end - 1;
    cursor.pos = closed ? end + 1 : end;
    cursor.docFlags |= closed ? XmlDocument::CursorQuoted : kTokenFlags;
    return TokenKind::Value;
  }
  std::int32_t end = p;
  if (afterEquals) {
    while (end < limit && !Is(t[end], kValueEnd)) ++end;
  } else {
    while (end < limit && !Is(t[end], kWordEnd)) ++end;
    if (end == p) ++end;  // a delimiter stands alone as a one-byte token
  }
  cursor.nameStart = p;
  cursor.nameEnd = end - 1;
  cursor.pos = end;
  if (afterEquals) return TokenKind::Value;
  if (first == '>' || first == '/' || first == '?') {
    cursor.pos = before;
    return TokenKind::Close;
  }
  return first == '=' ? TokenKind::Equals : TokenKind::Name;
}

}  // namespace

bool XmlDocument::ScanAttributes(ScanCursor& cursor, const char* name, int index, std::int32_t limit) {
  cursor.docFlags &= ~CursorBare;
  bool afterEquals = false;
  int number = -1;  // the tag name (or target) comes first and is not numbered
  // Once a name matched: where it lies, and whether '=' followed it.
  bool matched = false, matchedEquals = false;
  std::int32_t matchStart = 0, matchEnd = -1, matchPos = 0;
  for (;;) {
    const TokenKind kind = ReadTagToken(cursor, afterEquals, limit);
    afterEquals = kind == TokenKind::Equals;
    if (matched) {
      if (matchedEquals && kind == TokenKind::Value) return true;  // the range holds the value
      if (kind == TokenKind::Equals && !matchedEquals) {
        matchedEquals = true;
        continue;
      }
      // Another token, or the end: the attribute has no value; report its name.
      cursor.nameStart = matchStart;
      cursor.nameEnd = matchEnd;
      cursor.pos = matchPos;
      cursor.docFlags = (cursor.docFlags & ~kTokenFlags) | CursorBare;
      return true;
    }
    if (kind == TokenKind::End || kind == TokenKind::Close) return false;
    if (kind != TokenKind::Name) continue;
    if (number < 0) {
      number = 0;  // that was the tag name
      continue;
    }
    const int current = number++;
    if (name == nullptr) {
      if (current == index) return true;
    } else if (MayMatch(cursor, name) && NameMatches(cursor, name)) {
      matched = true;
      matchStart = cursor.nameStart;
      matchEnd = cursor.nameEnd;
      matchPos = cursor.pos;
    }
  }
}

namespace {

// The offset of the first quote byte in [p, limit), or -1; amp is set when
// an '&' comes before it. textEnd: the address of the text's NUL (null: the
// bytes are read one at a time); the search may read on to it, never past it.
inline std::int32_t QuoteAt(const char* t, std::int32_t p, std::int32_t limit, const char* textEnd,
                            char quote, bool& amp) {
  const char* q =
      quote == '"' ? blocks::FindStop<'"', '&'>(t + p, textEnd) : blocks::FindStop<'\'', '&'>(t + p, textEnd);
  if (q - t < limit && *q == '&') {
    amp = true;
    q = quote == '"' ? blocks::FindStop<'"'>(q + 1, textEnd) : blocks::FindStop<'\''>(q + 1, textEnd);
  }
  return q - t < limit && *q == quote ? static_cast<std::int32_t>(q - t) : -1;
}

// The list of a tag written as most are: a name, then attributes of the form
// name="value" (or 'value') each after white space, up to '>', '/' or '?'.
// False, spans left partly filled, at anything else; the token walk below
// then reads the tag. Nothing here differs from what that walk finds: a
// recorded tag holds no NUL, and the closing quote is sought within the tag.
// kClosed: the tag's last byte (before limit) is its '>', where every run of
// name bytes or white space stops, so the runs need not look at limit.
template <bool kClosed>
bool ListPlainAttributes(const char* t, std::int32_t pos, std::int32_t limit, const char* textEnd,
                         std::vector<AttributeSpan>& spans) {
  std::int32_t p = pos;
  if (p >= limit || Is(t[p], kWordEnd) || t[p] == '"' || t[p] == '\'') return false;
  while ((kClosed || p < limit) && !Is(t[p], kWordEnd)) ++p;  // the tag name
  for (;;) {
    while ((kClosed || p < limit) && Is(t[p], kTagSpace)) ++p;
    if (p >= limit || t[p] == '\0') return true;
    const char c = t[p];
    if (c == '>' || c == '/' || c == '?') return true;
    if (c == '=' || c == '"' || c == '\'') return false;
    const std::int32_t nameStart = p;
    while ((kClosed || p < limit) && !Is(t[p], kWordEnd)) ++p;
    if (p + 1 >= limit || t[p] != '=' || (t[p + 1] != '"' && t[p + 1] != '\'')) return false;
    const std::int32_t valueStart = p + 2;
    bool amp = false;
    const std::int32_t valueEnd = QuoteAt(t, valueStart, limit, textEnd, t[p + 1], amp);
    if (valueEnd < 0) return false;
    spans.push_back({nameStart, p - 1, valueStart, valueEnd - 1, !amp});
    p = valueEnd + 1;
  }
}

}  // namespace

void XmlDocument::ListAttributes(const char* text, std::int32_t pos, std::int32_t limit,
                                 std::vector<AttributeSpan>& spans, const char* textEnd) {
  spans.clear();
  const bool listed = limit > pos && text[limit - 1] == '>'
                          ? ListPlainAttributes<true>(text, pos, limit, textEnd, spans)
                          : ListPlainAttributes<false>(text, pos, limit, textEnd, spans);
  if (listed) return;
  spans.clear();
  // A cursor of its own stays in registers: one shared with a caller is
  // stored and loaded again around every token, which stalls the loads.
  ScanCursor cursor(text, 0);
  cursor.pos = pos;
  bool afterEquals = false;
  bool first = true;  // the tag name (or target) is not an attribute
  // The name read last, while '=' and a value may still follow it.
  AttributeSpan* open = nullptr;
  bool openEquals = false;
  for (;;) {
    const TokenKind kind = ReadTagToken(cursor, afterEquals, limit);
    afterEquals = kind == TokenKind::Equals;
    if (open != nullptr) {
      if (openEquals && kind == TokenKind::Value) {
        open->valueStart = cursor.nameStart;
        open->valueEnd = cursor.nameEnd;
      }
      if (!(kind == TokenKind::Equals && !openEquals)) open = nullptr;
      openEquals = kind == TokenKind::Equals;
      if (open != nullptr) continue;
    }
    if (kind == TokenKind::End || kind == TokenKind::Close) return;
    if (kind != TokenKind::Name) continue;
    if (first) {
      first = false;
      continue;
    }
    spans.push_back({cursor.nameStart, cursor.nameEnd, cursor.nameStart, cursor.nameEnd});
    open = &spans.back();
    openEquals = false;
  }
}

const std::vector<AttributeSpan>& XmlDocument::ListAttributesAt(std::int32_t pos, std::int32_t limit) const {
  AttributeCache& cache = attributeCache;
  cache.Forget();  // a failed scan keeps nothing
  ListAttributes(text.c_str(), pos, limit, cache.spans, text.c_str() + text.size());
  cache.start = pos;
  cache.limit = limit;
  return cache.spans;
}

}  // namespace orvel
