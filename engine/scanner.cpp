// The markup scanner's entry points, the constructs its fast path leaves out
// of line (comments, CDATA, instructions, declarations, malformed and
// unterminated markup) and the name helpers.
#include "engine/scanner.h"

#include <cstdio>
#include <cstring>

#include "engine/byte_classes.h"
#include "engine/scanner_blocks.h"
#include "engine/scanner_fast.h"
#include "orvel/constants.h"

namespace orvel {

void FormatScanMessage(MarkupToken& token, const char* format, const char* word) {
  if (token.quiet) return;
  char message[128];
  int n = std::snprintf(message, sizeof message, format, word, token.start);
  token.text.assign(message, n > 0 ? static_cast<std::size_t>(n) : 0);
}

namespace scan_detail {

namespace {
const char kUnterminated[] = "%s at offset %d unterminated";
const char kIncorrect[] = "Incorrect %s at offset %d";
}  // namespace

// A construct cut off by the end of the text: it covers every byte up to the NUL.
int Unterminated(ScanCursor& cursor, MarkupToken& token, const char* nul, const char* word) {
  FormatScanMessage(token, kUnterminated, word);
  return Finish(cursor, token, nul, ScanBadMarkup);
}

namespace {

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
    if (b == '"' && !inSingle)
      inDouble = !inDouble;
    else if (b == '\'' && !inDouble)
      inSingle = !inSingle;
  }
  FormatScanMessage(token, kIncorrect, what);
  return Finish(cursor, token, p, ScanBadMarkup);
}

// Finds the '>' that completes a terminator of n bytes whose first n - 1
// bytes must precede it; the '>' must lie beyond offset n.
const char* FindTerminator(const ScanCursor& cursor, const char* p, const char* lead, int n) {
  for (;;) {
    p = blocks::FindStop<'>'>(p, cursor.end);
    if (*p == '\0') return p;
    if (p - cursor.text > n && p[-1] == lead[n - 2] && (n < 3 || p[-2] == lead[0])) return p;
    ++p;
  }
}

int ScanInstruction(ScanCursor& cursor, MarkupToken& token, const char* target) {
  const char* p = SkipUntil(target, bytes::kNameEnd);
  if (*p == '\0') return Unterminated(cursor, token, p, "Processing instruction");
  if (!token.quiet) token.text.assign(target, static_cast<std::size_t>(p - target));
  p = FindTerminator(cursor, p, "?", 2);
  if (*p == '\0') return Unterminated(cursor, token, p, "Processing instruction");
  return Finish(cursor, token, p + 1, NodeInstruction);
}

// A declaration opened by "<!" and E, A or N: ends at '>' outside quotes.
int ScanDeclaration(ScanCursor& cursor, MarkupToken& token, const char* p) {
  p = blocks::FindTagEnd(p, cursor.end);
  if (*p == '\0') return Unterminated(cursor, token, p, "Doctype");
  return Finish(cursor, token, p + 1, NodeDoctype);
}

// "<!-" and "<![" constructs: lt[3] must be `opener`; the terminator is
// lead followed by '>'.
int ScanBracketed(ScanCursor& cursor, MarkupToken& token, const char* lt, char opener, const char* lead,
                  int type, const char* word, const char* wrongWord) {
  if (lt[3] == opener) {
    const char* p = FindTerminator(cursor, lt + 4, lead, 3);
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

}  // namespace

int ScanOtherMarkup(ScanCursor& cursor, MarkupToken& token, const char* lt) {
  const char b = lt[1];
  if (b == '!') return ScanBang(cursor, token, lt);
  if (b == '?') return ScanInstruction(cursor, token, lt + 2);
  if (b == '\0') return Unterminated(cursor, token, lt + 1, "tag");
  return Malformed(cursor, token, lt + 2, "tag name character");
}

}  // namespace scan_detail

int ScanToken(ScanCursor& cursor, MarkupToken& token) { return ScanTokenInline(cursor, token); }

using bytes::Is;

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
    if (cursor.docFlags & DocNoCase) {
      // A range holds no NUL: a shorter name differs at its NUL, and is not read past it.
      for (std::int32_t i = 0; i < n; ++i)
        if (bytes::Fold(range[i]) != bytes::Fold(name[i])) return false;
    } else {
      // Names are short: a loop beats the library call.
      for (std::int32_t i = 0; i < n; ++i)
        if (range[i] != name[i]) return false;
    }
  }
  return Is(name[n > 0 ? n : 0], bytes::kNameFollow);
}

std::string CursorText(const ScanCursor& cursor) {
  if (cursor.nameEnd < cursor.nameStart) return std::string();
  return std::string(cursor.text + cursor.nameStart,
                     static_cast<std::size_t>(cursor.nameEnd - cursor.nameStart + 1));
}

}  // namespace orvel
