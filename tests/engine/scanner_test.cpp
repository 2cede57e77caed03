#include "engine/scanner.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/byte_classes.h"
#include "engine/scanner_blocks.h"
#include "orvel/constants.h"
#include "tests/engine/engine_test_util.h"

namespace orvel {
namespace test {
namespace {

struct Expected {
  int type;
  std::int32_t length;
  bool emptyTag;
  const char* text;  // nullptr: not checked
};

struct ScanCase {
  const char* input;
  std::vector<Expected> tokens;
};

// A text of minLength to maxLength bytes drawn from alphabet.
std::string RandomText(std::mt19937& rng, const std::string& alphabet, int minLength, int maxLength) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string out;
  for (int n = std::uniform_int_distribution<int>(minLength, maxLength)(rng); n > 0; --n)
    out += alphabet[pick(rng)];
  return out;
}

// Tokens must follow each other without gap and cover the text up to its NUL.
::testing::AssertionResult Tiles(const std::string& text, const std::vector<ScannedToken>& tokens) {
  std::int32_t at = 0;
  for (const ScannedToken& t : tokens) {
    if (t.start != at || t.length <= 0)
      return ::testing::AssertionFailure()
             << "token at " << t.start << " length " << t.length << ", expected start " << at;
    at += t.length;
  }
  if (at != static_cast<std::int32_t>(std::strlen(text.c_str())))
    return ::testing::AssertionFailure() << "tokens end at " << at;
  return ::testing::AssertionSuccess();
}

TEST(Scanner, TokensOfTheDocumentedCases) {
  const std::vector<ScanCase> cases = {
      {"<a href='x>y'>t</a>",
       {{NodeElement, 14, false, "a"}, {NodeText, 1, false, "~"}, {ScanEndTag, 4, false, "~"}}},
      {"<a/>", {{NodeElement, 4, true, "a"}}},
      {"<a />", {{NodeElement, 5, true, "a"}}},
      {"<a b='1'/>", {{NodeElement, 10, true, "a"}}},
      {"<a b=\"1\"/>", {{NodeElement, 10, true, "a"}}},
      {"<a\n/>", {{NodeElement, 5, true, "a"}}},
      {"<a b=1/>", {{NodeElement, 8, false, "a"}}},
      {"<a/ >", {{NodeElement, 5, false, "a"}}},
      {"<a//>", {{NodeElement, 5, false, "a"}}},
      {"<a>", {{NodeElement, 3, false, "a"}}},
      {"<a\"b>", {{NodeElement, 5, false, "a\"b"}}},
      {"<!-- x > y -->", {{NodeComment, 14, false, "~"}}},
      {"<!---->", {{NodeComment, 7, false, nullptr}}},
      {"<!-->", {{NodeComment, 5, false, nullptr}}},
      {"<?xml version='1.0'?>", {{NodeInstruction, 21, false, "xml"}}},
      {"<?x?>", {{NodeInstruction, 5, false, "x?"}}},
      {"<![CDATA[a]]b]]>", {{NodeCData, 16, false, "~"}}},
      {"<![COOL]]>", {{NodeCData, 10, false, nullptr}}},
      {"<![C]]>", {{NodeCData, 7, false, nullptr}}},
      {"<![C>]]>", {{NodeCData, 8, false, nullptr}}},
      {"<!DOCTYPE r [ <!ELEMENT r ANY> <!-- > --> ]>", {{NodeDoctype, 44, false, nullptr}}},
      {"<!DOCTYPE r>x", {{NodeDoctype, 12, false, nullptr}, {NodeText, 1, false, nullptr}}},
      {"<!ENTITY e 'a>b'>", {{NodeDoctype, 17, false, "~"}}},
      {"<!ATTLIST a>", {{NodeDoctype, 12, false, nullptr}}},
      {"<!NOTATION n>", {{NodeDoctype, 13, false, nullptr}}},
      {"<1a>", {{ScanBadMarkup, 4, false, "Incorrect tag name character at offset 0"}}},
      {"< a>b",
       {{ScanBadMarkup, 4, false, "Incorrect tag name character at offset 0"}, {NodeText, 1, false, "~"}}},
      {"<>x>", {{ScanBadMarkup, 4, false, "Incorrect tag name character at offset 0"}}},
      {"<1 '>'>", {{ScanBadMarkup, 7, false, nullptr}}},
      {"<1 '<'>", {{ScanBadMarkup, 4, false, nullptr}, {ScanBadMarkup, 3, false, nullptr}}},
      {"<!x>", {{ScanBadMarkup, 4, false, "Incorrect ! tag at offset 0"}}},
      {"<!>a>", {{ScanBadMarkup, 5, false, "Incorrect ! tag at offset 0"}}},
      {"<!-x>", {{ScanBadMarkup, 5, false, "Incorrect comment tag at offset 0"}}},
      {"<![x>", {{ScanBadMarkup, 5, false, "Incorrect tag at offset 0"}}},
      {"x<!-- abc",
       {{NodeText, 1, false, "~"}, {ScanBadMarkup, 8, false, "Comment at offset 1 unterminated"}}},
      {"<a", {{ScanBadMarkup, 2, false, "Element tag at offset 0 unterminated"}}},
      {"<a b='>", {{ScanBadMarkup, 7, false, "Element tag at offset 0 unterminated"}}},
      {"</a", {{ScanBadMarkup, 3, false, "Element end tag at offset 0 unterminated"}}},
      {"</a x", {{ScanBadMarkup, 5, false, "Element end tag at offset 0 unterminated"}}},
      {"<![CDATA[x", {{ScanBadMarkup, 10, false, "CDATA Section at offset 0 unterminated"}}},
      {"<?pi x", {{ScanBadMarkup, 6, false, "Processing instruction at offset 0 unterminated"}}},
      {"<?>", {{ScanBadMarkup, 3, false, "Processing instruction at offset 0 unterminated"}}},
      {"x<?>", {{NodeText, 1, false, nullptr}, {NodeInstruction, 3, false, ""}}},
      {"<!--", {{ScanBadMarkup, 4, false, "Comment at offset 0 unterminated"}}},
      {"<!DOCTYPE r [", {{ScanBadMarkup, 13, false, "Doctype at offset 0 unterminated"}}},
      {"<!ENTITY", {{ScanBadMarkup, 8, false, "Doctype at offset 0 unterminated"}}},
      {"<", {{ScanBadMarkup, 1, false, "tag at offset 0 unterminated"}}},
      {"<!", {{ScanBadMarkup, 2, false, "tag at offset 0 unterminated"}}},
      {"<!-", {{ScanBadMarkup, 3, false, "tag at offset 0 unterminated"}}},
      {"<![", {{ScanBadMarkup, 3, false, "tag at offset 0 unterminated"}}},
      {"<1 x", {{ScanBadMarkup, 4, false, "tag at offset 0 unterminated"}}},
      {"  \n<a/>", {{NodeSpace, 3, false, "~"}, {NodeElement, 4, true, "a"}}},
      {"  x<a/>", {{NodeText, 3, false, "~"}, {NodeElement, 4, true, "a"}}},
      {" \t\r\n", {{NodeSpace, 4, false, "~"}}},
      {" >x>y", {{NodeText, 4, false, "~"}, {NodeText, 1, false, "~"}}},
      {">a>", {{NodeText, 3, false, "~"}}},
      {"abc", {{NodeText, 3, false, "~"}}},
      {"a>b<a/>", {{NodeText, 2, false, "~"}, {NodeText, 1, false, "~"}, {NodeElement, 4, true, "a"}}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.input);
    ExactText text(c.input);
    const std::vector<ScannedToken> got = ScanAll(text.c_str(), ScanToken);
    ASSERT_EQ(got.size(), c.tokens.size());
    EXPECT_TRUE(Tiles(c.input, got));
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].type, c.tokens[i].type) << "token " << i;
      EXPECT_EQ(got[i].length, c.tokens[i].length) << "token " << i;
      EXPECT_EQ((got[i].flags & TokenEmptyTag) != 0, c.tokens[i].emptyTag) << "token " << i;
      if (c.tokens[i].text != nullptr) {
        EXPECT_EQ(got[i].text, c.tokens[i].text) << "token " << i;
      }
    }
    EXPECT_EQ(got, ScanAll(text.c_str(), ScanTokenStepwise));
    EXPECT_EQ(got, ScanAll(text.c_str(), ScanToken, 0, true));
  }
}

TEST(Scanner, EndTagLeavesItsNameInTheCursor) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"</a>", "a"}, {"</abc def>", "abc"}, {"</a/>", "a"}, {"</>", ""}, {"</\n>", ""}, {"</a<b>", "a<b"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    ScanCursor cursor(c.first, 0);
    MarkupToken token;
    ASSERT_EQ(ScanToken(cursor, token), ScanEndTag);
    EXPECT_EQ(cursor.nameStart, 2);
    EXPECT_EQ(CursorText(cursor), c.second);
    EXPECT_EQ(token.length, static_cast<std::int32_t>(std::strlen(c.first)));
  }
}

TEST(Scanner, AtEndGivesNoToken) {
  ScanCursor cursor("<a/>", 0);
  MarkupToken token;
  token.text = "kept";
  ASSERT_EQ(ScanToken(cursor, token), NodeElement);
  EXPECT_EQ(ScanToken(cursor, token), ScanAtEnd);
  EXPECT_EQ(token.type, 0);
  EXPECT_EQ(token.length, 0);
  EXPECT_EQ(token.start, 4);
  EXPECT_EQ(cursor.pos, 4);
  EXPECT_EQ(token.text, "a");
  ScanCursor empty(nullptr, 0);
  EXPECT_EQ(ScanToken(empty, token), ScanAtEnd);
}

TEST(Scanner, NulEndsTheText) {
  const std::string text("<a>x\0<b>", 8);
  const std::vector<ScannedToken> got = ScanAll(text.c_str(), ScanToken);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1].type, NodeText);
  EXPECT_EQ(got[1].length, 1);
}

// Every byte value after each scanner state, followed by several endings;
// the fast scanner must equal the byte-by-byte rules and tile the text, and
// nothing may read past the NUL (the text ends its heap block).
TEST(Scanner, EveryByteInEveryStateMatchesTheRules) {
  const std::vector<std::string> prefixes = {"",
                                             "<",
                                             "<!",
                                             "<!-",
                                             "<![",
                                             "<![C",
                                             "<!--",
                                             "<!D",
                                             "<!DOCTYPE r [",
                                             "<!DOCTYPE r [<",
                                             "<!DOCTYPE r [<!",
                                             "<!DOCTYPE r [<a ",
                                             "<!DOCTYPE r [<!-",
                                             "<!DOCTYPE r [<!E x '",
                                             "<!E",
                                             "<!E '",
                                             "<?",
                                             "<?x",
                                             "<?x ",
                                             "</",
                                             "</a",
                                             "</a ",
                                             "<a",
                                             "<a ",
                                             "<a b='",
                                             "<a b=\"",
                                             "<a b='1'",
                                             "<a /",
                                             " ",
                                             "x",
                                             "\t\n",
                                             "x>",
                                             "<1",
                                             "<1 '",
                                             "<!x",
                                             "<![x",
                                             "<?x?",
                                             "<![CDATA[]",
                                             "<![CDATA[]]",
                                             "<!-- -",
                                             "<!-- --"};
  const std::vector<std::string> suffixes = {"",   ">",  "<",   "x>", "-->",   "]]>",
                                             "?>", "'>", "\">", "/>", " <a/>", "]>"};
  std::size_t compared = 0;
  for (const std::string& prefix : prefixes) {
    for (int b = 1; b < 256; ++b) {
      for (const std::string& suffix : suffixes) {
        const std::string input = prefix + static_cast<char>(b) + suffix;
        ExactText text(input);
        const std::vector<ScannedToken> fast = ScanAll(text.c_str(), ScanToken);
        const std::vector<ScannedToken> rules = ScanAll(text.c_str(), ScanTokenStepwise);
        ASSERT_EQ(fast, rules) << "input '" << input << "'";
        ASSERT_EQ(ScanAll(text.c_str(), ScanToken, 0, true), rules) << "input '" << input << "' in blocks";
        ASSERT_TRUE(Tiles(input, fast)) << "input '" << input << "'";
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, prefixes.size() * 255 * suffixes.size());
}

// The byte classes, written out here byte by byte apart from the table's
// own construction: the fast scanner, the byte-by-byte scanner and the
// reference parser all share that table, so only this can catch a fault in it.
TEST(Scanner, EveryByteHasTheWrittenClasses) {
  const std::string nameStart = "ABCDEFGHIJKLMNOPQRSTUVWXYZ_:abcdefghijklmnopqrstuvwxyz{|}~\x7F";
  const struct {
    std::uint8_t cls;
    std::string bytes;
    bool above0x7F;  // all bytes 0x80 to 0xFF belong too
  } classes[] = {
      {bytes::kSpace, " \t\n\r", false},
      {bytes::kNameEnd, std::string(" \t\n\r/>\0", 7), false},
      {bytes::kNameStart, nameStart, true},
      {bytes::kTextStop, std::string("<>\0", 3), false},
      {bytes::kTagStop, std::string(">\"'\0", 4), false},
      {bytes::kDelimiter, std::string(" \t\n\r<>=\\/?!\0", 12), false},
      {bytes::kLtOrNul, std::string("<\0", 2), false},
      {bytes::kNameFollow, std::string(" =/[]\0", 6), false},
  };
  for (const auto& c : classes) {
    for (int b = 0; b < 256; ++b) {
      const bool member =
          c.bytes.find(static_cast<char>(b)) != std::string::npos || (c.above0x7F && b > 0x7F);
      EXPECT_EQ(bytes::Is(static_cast<char>(b), c.cls), member) << "class " << int{c.cls} << " byte " << b;
    }
  }
  // A start tag opens exactly on a name-start byte, in both scanners.
  for (int b = 1; b < 256; ++b) {
    const bool opens = nameStart.find(static_cast<char>(b)) != std::string::npos || b > 0x7F;
    const std::string input = std::string("<") + static_cast<char>(b) + "x>";
    EXPECT_EQ(ScanAll(input.c_str(), ScanToken)[0].type == NodeElement, opens) << "byte " << b;
    EXPECT_EQ(ScanAll(input.c_str(), ScanTokenStepwise)[0].type == NodeElement, opens) << "byte " << b;
  }
}

// Random texts over the bytes that matter to the scanner.
TEST(Scanner, RandomTextsMatchTheRules) {
  const std::string alphabet = "<<<>>>!!--[[]]CDEANr?/'\" \t\r\nxa=";
  std::mt19937 rng(20240601);
  for (int i = 0; i < 30000; ++i) {
    const std::string input = RandomText(rng, alphabet, 1, 40);
    ExactText text(input);
    const std::vector<ScannedToken> fast = ScanAll(text.c_str(), ScanToken);
    ASSERT_EQ(fast, ScanAll(text.c_str(), ScanTokenStepwise)) << "input '" << input << "'";
    ASSERT_EQ(fast, ScanAll(text.c_str(), ScanToken, 0, true)) << "input '" << input << "' in blocks";
    ASSERT_TRUE(Tiles(input, fast)) << "input '" << input << "'";
  }
}

// Runs scanned in blocks (text, white space, attribute values, names,
// comments, CDATA, instructions, declarations, end tags, complete or cut off
// by the end of the text): each with its deciding byte at every offset of a
// block and at every distance from the text's end, equal to the rules. The
// text ends its heap block, so a block read past its NUL is an address error.
TEST(Scanner, RunsOfEveryLengthAtEveryOffsetMatchTheRules) {
  const char* const constructs[] = {"R<a/>",
                                    "R",
                                    "R>R<a/>",
                                    "<a b='R'>",
                                    "<a b=\"R\" c=\"R>R\">",
                                    "<a b=\"R",
                                    "<a b=\"R>'R\"/>",
                                    "<aR c='1'/>",
                                    "<a R/>",
                                    "<a b='R",
                                    "<!--R-->",
                                    "<!--R->-R-->",
                                    "<!--R",
                                    "<![CDATA[R]]>",
                                    "<![CDATA[R]>]R]]>",
                                    "<![CDATA[R",
                                    "<?pR?>",
                                    "<?p R>?R?>",
                                    "<?pR",
                                    "<!ENTITY e 'R>R'>",
                                    "<!ENTITY R",
                                    "</aR>",
                                    "</a R>",
                                    "</a R",
                                    "<1R>R<a/>",
                                    "<!xR'>'R>"};
  for (const char* construct : constructs) {
    for (const char fill : {'x', ' '}) {
      for (std::size_t run = 0; run <= 40; ++run) {
        for (std::size_t pad = 0; pad < 17; ++pad) {
          std::string input = std::string(pad, 'y');
          for (const char* c = construct; *c != '\0'; ++c)
            input += *c == 'R' ? std::string(run, fill) : std::string(1, *c);
          ExactText text(input);
          const std::vector<ScannedToken> rules = ScanAll(text.c_str(), ScanTokenStepwise);
          ASSERT_EQ(ScanAll(text.c_str(), ScanToken, 0, true), rules) << "input '" << input << "'";
          ASSERT_TRUE(Tiles(input, rules)) << "input '" << input << "'";
        }
      }
    }
  }
}

// Every block search of the scanner against its byte-by-byte form, from
// every start in random texts that end their heap block; the word unit of
// targets without SSE2 is held to the same results.
TEST(Scanner, BlockSearchesFindWhatByteSearchesFind) {
  using Search = const char* (*)(const char*, const char*);
  const struct {
    const char* name;
    Search search;
  } searches[] = {
      {"text stop", [](const char* p, const char* end) { return blocks::FindStop<'<', '>'>(p, end); }},
      {"text stop (words)",
       [](const char* p, const char* end) { return blocks::FindStopIn<blocks::WordUnit, '<', '>'>(p, end); }},
      {"quote or amp (words)",
       [](const char* p, const char* end) { return blocks::FindStopIn<blocks::WordUnit, '"', '&'>(p, end); }},
      {"lt", [](const char* p, const char* end) { return blocks::FindStop<'<'>(p, end); }},
      {"tag end", blocks::FindTagEnd},
      {"run of lt", [](const char* p, const char* end) { return blocks::SkipRunOf('<', p, end); }},
      {"amp in span",
       [](const char* p, const char* end) {
         const char* at = end != nullptr ? blocks::FindIn(p, end, '&') : std::strchr(p, '&');
         return at != nullptr ? at : p + std::strlen(p);
       }},
  };
  const std::string alphabet("<<>>\"\"''&&xx \0", 14);
  std::mt19937 rng(2906);
  for (int i = 0; i < 3000; ++i) {
    const std::string input = RandomText(rng, alphabet, 0, 70);
    ExactText text(input);
    const char* end = text.c_str() + std::strlen(text.c_str());
    for (const auto& s : searches)
      for (const char* p = text.c_str(); p <= end; ++p)
        ASSERT_EQ(s.search(p, end), s.search(p, nullptr))
            << s.name << " from " << (p - text.c_str()) << " in '" << input << "'";
  }
}

TEST(Scanner, SkipSpace) {
  std::int32_t pos = 0;
  EXPECT_TRUE(SkipSpace(" \t\r\nx", pos));
  EXPECT_EQ(pos, 4);
  pos = 0;
  EXPECT_FALSE(SkipSpace("  ", pos));
  EXPECT_EQ(pos, 2);
}

TEST(Scanner, NextNameReadsNamesAndSingleDelimiters) {
  struct Case {
    const char* text;
    bool found;
    std::string name;
    std::int32_t pos;
  };
  const std::vector<Case> cases = {
      {" = 'v'", true, "=", 2},      {"/>", true, "/", 1},   {"abc=1", true, "abc", 3},
      {"  href x", true, "href", 6}, {"a\\b", true, "a", 1}, {"?>", true, "?", 1},
      {"'v' x", true, "'v'", 3},     {"   ", false, "", 3},  {"", false, "", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ScanCursor cursor(c.text, 0);
    EXPECT_EQ(NextName(cursor), c.found);
    EXPECT_EQ(CursorText(cursor), c.name);
    EXPECT_EQ(cursor.pos, c.pos);
    if (!c.found) {
      EXPECT_EQ(cursor.nameEnd, cursor.nameStart - 1);
    }
  }
}

TEST(Scanner, NameMatchesTheRangeAndAFollowByte) {
  struct Case {
    const char* text;
    const char* name;
    int flags;
    bool match;
  };
  const std::vector<Case> cases = {
      {"item", "item[2]", 0, true}, {"item", "items", 0, false}, {"ITEM", "item", DocNoCase, true},
      {"ITEM", "item", 0, false},   {"item", "item", 0, true},   {"item", "ite", 0, false},
      {"a", "a b", 0, true},        {"a", "a=1", 0, true},       {"a", "a/", 0, true},
      {"a", "a]", 0, true},         {"a", "a>", 0, false},       {"Ab", "aB c", DocNoCase, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + c.name);
    ScanCursor cursor(c.text, c.flags);
    cursor.nameStart = 0;
    cursor.nameEnd = static_cast<std::int32_t>(std::strlen(c.text)) - 1;
    EXPECT_EQ(NameMatches(cursor, c.name), c.match);
  }
  ScanCursor emptyRange("abc", 0);
  EXPECT_EQ(CursorText(emptyRange), "");
  EXPECT_TRUE(NameMatches(emptyRange, ""));
  EXPECT_FALSE(NameMatches(emptyRange, "a"));
}

}  // namespace
}  // namespace test
}  // namespace orvel
