// DecodeText: named entities, numeric references at every UTF-8 boundary, spans
// cut at the end of a heap block.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/encoding.h"

namespace orvel {
namespace {

struct DecodeCase {
  const char* input;
  const char* expected;
};

TEST(DecodeText, NamedAndNumericReferences) {
  const DecodeCase cases[] = {
      {"&lt;&gt;&amp;&apos;&quot;", "<>&'\""},
      {"&LT;&nbsp;&Amp;", "&LT;&nbsp;&Amp;"},
      {"&#65;&#x41;", "AA"},
      {"&#X41;", "&#X41;"},  // upper-case X is not a hex marker
      {"&#0;", "&#0;"},
      {"&#;", "&#;"},
      {"&#x;", "&#x;"},
      {"&#233;", "\xC3\xA9"},
      {"&#x20AC;", "\xE2\x82\xAC"},
      {"&#00000065;", "&#00000065;"},  // eight characters before ';'
      {"&#0000065;", "A"},             // seven
      {"&#x000041;", "A"},
      {"&#65", "&#65"},
      {"&#6 5;", "\x06"},  // conversion stops at the space; decoding resumes after the ";"
      {"&# 65;", "A"},        // leading white space is accepted
      {"&#+65;", "A"},
      {"a&b;c&", "a&b;c&"},
      {"&amp;lt;", "&lt;"},  // no second pass
      {"&&amp;", "&&"},
      {"no refs at all", "no refs at all"},
      {"", ""},
  };
  for (const DecodeCase& c : cases) EXPECT_EQ(DecodeText(c.input, -1), c.expected) << c.input;
}

TEST(DecodeText, RejectedNumericReferencesAreCopiedUnchanged) {
  const char* const rejected[] = {
      "&#-1;",      "&#-65;",      "&#x-41;", "&#xD800;", "&#xDBFF;", "&#xDC00;",
      "&#xDFFF;",   "&#55296;",    "&#57343;", "&#x110000;", "&#1114112;", "&#xFFFFFFF;",
  };
  for (const char* r : rejected) EXPECT_EQ(DecodeText(r, -1), r) << r;
}

// Decodes one UTF-8 sequence; returns the code point or -1 when malformed,
// overlong or not exactly the whole string.
long ReadUtf8(const std::string& s) {
  if (s.empty()) return -1;
  unsigned char b0 = static_cast<unsigned char>(s[0]);
  std::size_t n = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
  if (n == 0 || s.size() != n) return -1;
  long v = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
  for (std::size_t k = 1; k < n; ++k) {
    unsigned char b = static_cast<unsigned char>(s[k]);
    if ((b & 0xC0) != 0x80) return -1;
    v = (v << 6) | (b & 0x3F);
  }
  static const long kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  return v < kMin[n] ? -1 : v;
}

TEST(DecodeText, NumericReferencesAtEveryUtf8Boundary) {
  struct Boundary {
    long value;
    const char* bytes;  // expected output, or null when the reference is not decoded
  };
  const Boundary boundaries[] = {
      {0x1, "\x01"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0xD7FF, "\xED\x9F\xBF"},
      {0xD800, nullptr},
      {0xDFFF, nullptr},
      {0xE000, "\xEE\x80\x80"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x1F600, "\xF0\x9F\x98\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
      {0x110000, nullptr},
  };
  char ref[32];
  for (const Boundary& b : boundaries) {
    for (int hex = 0; hex < 2; ++hex) {
      std::snprintf(ref, sizeof ref, hex ? "&#x%lX;" : "&#%ld;", b.value);
      EXPECT_EQ(DecodeText(ref, -1), b.bytes ? std::string(b.bytes) : std::string(ref)) << ref;
    }
  }
}

TEST(DecodeText, EveryCodePointRoundTrips) {
  char ref[32];
  for (long v = 1; v <= 0x110000; ++v) {
    std::snprintf(ref, sizeof ref, "&#x%lx;", v);
    std::string out = DecodeText(ref, -1);
    bool valid = v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF);
    if (valid) {
      ASSERT_EQ(ReadUtf8(out), v) << ref;
    } else {
      ASSERT_EQ(out, ref);
    }
  }
}

// Copies s into a heap block of exactly its size, without a NUL, so that a
// read past the span is an AddressSanitizer error.
std::unique_ptr<char[]> ExactBlock(const std::string& s) {
  std::unique_ptr<char[]> block(new char[s.size()]);
  std::memcpy(block.get(), s.data(), s.size());
  return block;
}

TEST(DecodeText, SpansCutAtTheEndOfAHeapBlock) {
  const DecodeCase cases[] = {
      {"x&am", "x&am"},   {"x&amp", "x&amp"}, {"&", "&"},           {"&#", "&#"},
      {"&#x", "&#x"},     {"&#65", "&#65"},   {"&#x1F600", "&#x1F600"}, {"&quot", "&quot"},
      {"&lt;", "<"},      {"a&#65;", "aA"},   {"&#x10FFFF;", "\xF4\x8F\xBF\xBF"},
  };
  for (const DecodeCase& c : cases) {
    std::string s = c.input;
    auto block = ExactBlock(s);
    EXPECT_EQ(DecodeText(block.get(), static_cast<std::int32_t>(s.size())), c.expected) << c.input;
  }
}

TEST(DecodeText, EveryPrefixOfAReferenceStaysInsideTheSpan) {
  const std::string full = "t&#x10FFFF;&quot;&#233;&apos;&#0000065;";
  for (std::size_t n = 0; n <= full.size(); ++n) {
    std::string s = full.substr(0, n);
    auto block = ExactBlock(s);
    std::string out = DecodeText(block.get(), static_cast<std::int32_t>(n));
    // A prefix never decodes to more bytes than the span holds.
    EXPECT_LE(out.size(), n);
  }
}

TEST(DecodeText, LengthLimitsTheSpan) {
  EXPECT_EQ(DecodeText("&lt;&gt;", 4), "<");
  EXPECT_EQ(DecodeText("&lt;&gt;", 3), "&lt");  // ';' lies outside the span
  EXPECT_EQ(DecodeText("&#65;", 4), "&#65");
  EXPECT_EQ(DecodeText("ab\0cd", 5), std::string("ab\0cd", 5));  // explicit length passes NULs through
  EXPECT_EQ(DecodeText(nullptr, -1), "");
}

}  // namespace
}  // namespace orvel
