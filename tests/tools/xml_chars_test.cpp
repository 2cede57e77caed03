// The strict checker's character rules: UTF-8 decoding at every length
// boundary and the XML character classes at their edges.
#include "tools/strict/xml_chars.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DecodeUtf8, AcceptsEachLengthToItsBoundsAndRefusesTheRest) {
  const struct {
    std::string bytes;
    unsigned long code;  // when length > 0
    std::size_t length;  // 0: not UTF-8
  } cases[] = {
      {"\x7F", 0x7F, 1},
      {"\xC2\x80", 0x80, 2},
      {"\xDF\xBF", 0x7FF, 2},
      {"\xE0\xA0\x80", 0x800, 3},
      {"\xED\x9F\xBF", 0xD7FF, 3},
      {"\xEE\x80\x80", 0xE000, 3},
      {"\xEF\xBF\xBF", 0xFFFF, 3},
      {"\xF0\x90\x80\x80", 0x10000, 4},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      {"\xC0\x80", 0, 0},          // overlong NUL
      {"\xC1\xBF", 0, 0},          // overlong
      {"\xE0\x9F\xBF", 0, 0},      // overlong three-byte form
      {"\xF0\x8F\xBF\xBF", 0, 0},  // overlong four-byte form
      {"\xED\xA0\x80", 0, 0},      // surrogate D800
      {"\xED\xBF\xBF", 0, 0},      // surrogate DFFF
      {"\xF4\x90\x80\x80", 0, 0},  // past U+10FFFF
      {"\xF5\x80\x80\x80", 0, 0},
      {"\x80", 0, 0},  // continuation byte alone
      {"\xC3", 0, 0},  // cut at the end of the text
      {"\xE2\x82", 0, 0},
      {"\xE2\x28\xA1", 0, 0},  // second byte not a continuation
  };
  for (const auto& c : cases) {
    const orvelxml::DecodedChar d = orvelxml::DecodeUtf8(c.bytes, 0);
    EXPECT_EQ(d.length, c.length) << testing::PrintToString(c.bytes);
    if (c.length > 0) {
      EXPECT_EQ(d.code, c.code) << testing::PrintToString(c.bytes);
    }
  }
}

TEST(XmlChars, CharAndNameClassesAtTheirEdges) {
  const struct {
    unsigned long c;
    bool isChar, nameStart, nameChar;
  } cases[] = {
      {0x8, false, false, false},    {0x9, true, false, false},     {0x1F, false, false, false},
      {'-', true, false, true},      {'0', true, false, true},      {':', true, true, true},
      {0xB7, true, false, true},     {0xD7, true, false, false},    {0x300, true, false, true},
      {0x37E, true, false, false},   {0x309A, true, true, true},    {0xD7FF, true, true, true},
      {0xD800, false, false, false}, {0xFFFD, true, true, true},    {0xFFFE, false, false, false},
      {0xEFFFF, true, true, true},   {0xF0000, true, false, false}, {0x110000, false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(orvelxml::IsXmlChar(c.c), c.isChar) << std::hex << c.c;
    EXPECT_EQ(orvelxml::IsNameStartChar(c.c), c.nameStart) << std::hex << c.c;
    EXPECT_EQ(orvelxml::IsNameChar(c.c), c.nameChar) << std::hex << c.c;
  }
}

}  // namespace
