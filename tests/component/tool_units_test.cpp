// Pieces of the host tool with sharp edges: UTF-8 decoding at every length
// boundary, and the PATH syntax of the editing commands.
#include <gtest/gtest.h>

#include <string>

#include "tools/element_path.h"
#include "tools/xml_chars.h"

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

TEST(ElementPath, ParsesStepsIndexesAndAFinalAttribute) {
  const struct {
    const char* text;
    const char* parsed;  // steps as name#index (0: every one) joined by '/', then @attr; null when refused
  } cases[] = {
      {"catalog/book[2]/@id", "catalog#0/book#2@id"},
      {"/catalog", "catalog#0"},
      {"*[3]/x", "#3/x#0"},
      {"a/b[12]/c", "a#0/b#12/c#0"},
      {"a[0]", nullptr},
      {"a[]", nullptr},
      {"a[2", nullptr},
      {"a[2]x", nullptr},
      {"a[99999999999]", nullptr},
      {"@id", nullptr},
      {"a/@id/b", nullptr},
      {"a/@", nullptr},
      {"a//b", nullptr},
      {"", nullptr},
      {"a b", nullptr},
      {"a=b", nullptr},
  };
  for (const auto& c : cases) {
    orvelxml::ElementPath path;
    std::string error;
    const bool ok = orvelxml::ParseElementPath(c.text, &path, &error);
    EXPECT_EQ(ok, c.parsed != nullptr) << c.text;
    if (!ok || c.parsed == nullptr) {
      EXPECT_FALSE(error.empty()) << c.text;
      continue;
    }
    std::string shown;
    for (const orvelxml::PathStep& step : path.steps)
      shown += (shown.empty() ? "" : "/") + step.name + "#" + std::to_string(step.index);
    if (!path.attribute.empty()) shown += "@" + path.attribute;
    EXPECT_EQ(shown, c.parsed) << c.text;
  }
}

}  // namespace
