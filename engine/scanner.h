// The markup scanner: cuts document text into tokens, one call per token.
#pragma once

#include <cstdint>
#include <string>

namespace orvel {

// Scanner result codes beside the node type codes of orvel/constants.h.
enum : int {
  ScanAtEnd = -2,      // cursor on the terminating NUL: no token
  ScanBadMarkup = -1,  // malformed or unterminated markup; token.text holds the message
  ScanEndTag = 0       // end tag; its name is left in the cursor's name range
};

// Token flag bits.
enum : std::uint32_t {
  TokenEmptyTag = 0x1  // element start tag closed by "/>"
};

// Scanning state shared by ScanToken and the name helpers.
struct ScanCursor {
  std::int32_t nameStart = 0;
  std::int32_t nameEnd = -1;  // inclusive; nameEnd < nameStart is an empty range
  std::int32_t pos = 0;       // next byte to scan
  const char* text = "";      // NUL-terminated, never null
  std::int32_t docFlags = 0;  // DocNoCase only; bits 0x8000 and 0x10000 are the attribute scan's
  // The address of the NUL that ends text, when the caller knows it: runs are
  // then scanned 16 bytes at a time up to it. Null: byte by byte. A caller
  // that changes the text keeps it null.
  const char* end = nullptr;

  ScanCursor() = default;
  ScanCursor(const char* t, std::int32_t flags) : text(t ? t : ""), docFlags(flags) {}
  // A cursor over a whole string, scanned in blocks.
  ScanCursor(const std::string& t, std::int32_t flags)
      : text(t.c_str()), docFlags(flags), end(t.c_str() + t.size()) {}
};

struct MarkupToken {
  std::int32_t type = 0;
  std::int32_t start = 0;
  std::int32_t length = 0;
  std::uint32_t flags = 0;
  std::int32_t depth = 0;  // untouched by the scanner; re-indentation keeps a nesting depth here
  std::string text;        // start-tag name, PI target, or the message of a malformed token
  bool quiet = false;      // set: the scan writes nothing into text, and so allocates nothing
};

// Scans one token at cursor.pos, fills token, advances cursor.pos past it and
// returns the result code. For an end tag the cursor's name range is set.
int ScanToken(ScanCursor& cursor, MarkupToken& token);

// The same scan applied one byte at a time with the scan state flags: the
// path of document type declarations and the reference of the fast scanner.
int ScanTokenStepwise(ScanCursor& cursor, MarkupToken& token);

// Writes a scanner message (format with %s for word and %d for the token's
// start) into token.text.
void FormatScanMessage(MarkupToken& token, const char* format, const char* word);

// Advances pos over " \t\n\r"; true when it stops on a byte that is not NUL.
bool SkipSpace(const char* text, std::int32_t& pos);

// Reads the next name (or one delimiter byte) at cursor.pos into the name
// range and advances pos past it; false at the end of the text.
bool NextName(ScanCursor& cursor);

// Compares the cursor's name range with name (DocNoCase honoured); name may
// continue after the compared bytes with NUL or one of " =/[]".
bool NameMatches(const ScanCursor& cursor, const char* name);

// The bytes of the cursor's name range, or "" for an empty range.
std::string CursorText(const ScanCursor& cursor);

}  // namespace orvel
