// Helpers of the engine tests: texts placed at the very end of a heap block,
// and whole-text tokenisation.
#pragma once

#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "engine/scanner.h"

namespace orvel {
namespace test {

// A copy of a text in a heap block of exactly its length plus the NUL, so
// that reading one byte past the NUL is an AddressSanitizer error.
class ExactText {
 public:
  explicit ExactText(const std::string& s) : p_(static_cast<char*>(std::malloc(s.size() + 1))) {
    std::memcpy(p_, s.c_str(), s.size() + 1);
  }
  ~ExactText() { std::free(p_); }
  ExactText(const ExactText&) = delete;
  ExactText& operator=(const ExactText&) = delete;
  const char* c_str() const { return p_; }

 private:
  char* p_;
};

struct ScannedToken {
  int type;
  std::int32_t start, length;
  std::uint32_t flags;
  std::string text;  // name or message when the scan wrote one
  std::int32_t nameStart, nameEnd;
  bool operator==(const ScannedToken& o) const {
    return type == o.type && start == o.start && length == o.length && flags == o.flags && text == o.text &&
           nameStart == o.nameStart && nameEnd == o.nameEnd;
  }
};

inline void PrintTo(const ScannedToken& t, std::ostream* os) {
  *os << "{type " << t.type << ", start " << t.start << ", length " << t.length << ", flags " << t.flags
      << ", text '" << t.text << "', name " << t.nameStart << ".." << t.nameEnd << "}";
}

using ScanFunction = int (*)(ScanCursor&, MarkupToken&);

// All tokens of text, scanned with scan until the end; the token's text is
// reset to a marker before each call so that "not written" shows as "~".
// inBlocks: the cursor knows where the text ends, so runs are scanned 16
// bytes at a time.
inline std::vector<ScannedToken> ScanAll(const char* text, ScanFunction scan, int docFlags = 0,
                                         bool inBlocks = false) {
  std::vector<ScannedToken> out;
  ScanCursor cursor(text, docFlags);
  if (inBlocks) cursor.end = text + std::strlen(text);
  MarkupToken token;
  for (int guard = 0; guard < 100000; ++guard) {
    token.text = "~";
    cursor.nameStart = -7;
    cursor.nameEnd = -9;
    const int type = scan(cursor, token);
    if (type == ScanAtEnd) break;
    out.push_back(
        {type, token.start, token.length, token.flags, token.text, cursor.nameStart, cursor.nameEnd});
  }
  return out;
}

}  // namespace test
}  // namespace orvel
