// The attribute finder: walks the tokens of one start tag (or processing
// instruction) on demand; nothing is split into attributes at parse time.
#include <cstring>

#include "engine/xml_document.h"

namespace orvel {

namespace {

bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes that end an unquoted value read right after '='.
bool EndsValue(char c) { return c == '\0' || IsTagSpace(c) || c == '>'; }

// Bytes that end any other unquoted token.
bool EndsWord(char c) { return c == '\0' || c == '=' || IsTagSpace(c) || c == '>' || c == '/' || c == '?'; }

enum class TokenKind { End, Close, Equals, Value, Name };

// Reads the token at cursor.pos into the name range and moves pos past it.
// afterEquals: an unquoted token is a value. On End and Close pos is put back
// to where it stood before the white space.
TokenKind ReadTagToken(ScanCursor& cursor, bool afterEquals) {
  const char* t = cursor.text;
  const std::int32_t before = cursor.pos;
  std::int32_t p = before;
  if (!SkipSpace(t, p)) {
    cursor.pos = before;
    return TokenKind::End;
  }
  const char first = t[p];
  if (first == '"' || first == '\'') {
    const char* close = std::strchr(t + p + 1, first);
    const std::int32_t end = close ? static_cast<std::int32_t>(close - t) : p + 1 + static_cast<std::int32_t>(std::strlen(t + p + 1));
    cursor.nameStart = p + 1;
    cursor.nameEnd = end - 1;
    cursor.pos = close ? end + 1 : end;
    cursor.docFlags |= XmlDocument::CursorQuoted;
    return TokenKind::Value;
  }
  cursor.docFlags &= ~XmlDocument::CursorQuoted;
  std::int32_t end = p;
  if (afterEquals) {
    while (!EndsValue(t[end])) ++end;
  } else {
    while (!EndsWord(t[end])) ++end;
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

bool XmlDocument::ScanAttributes(ScanCursor& cursor, const char* name, int index) {
  bool afterEquals = false;
  int number = -1;  // the tag name (or target) comes first and is not numbered
  // Once a name matched: where it lies, and whether '=' followed it.
  bool matched = false, matchedEquals = false;
  std::int32_t matchStart = 0, matchEnd = -1, matchPos = 0;
  for (;;) {
    const TokenKind kind = ReadTagToken(cursor, afterEquals);
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
      cursor.docFlags &= ~CursorQuoted;
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
    } else if (NameMatches(cursor, name)) {
      matched = true;
      matchStart = cursor.nameStart;
      matchEnd = cursor.nameEnd;
      matchPos = cursor.pos;
    }
  }
}

}  // namespace orvel
