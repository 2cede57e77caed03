// Attribute reads and the attribute scan shared with attribute editing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "doc_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

struct AttrCase {
  const char* tag;
  const char* name;
  const char* value;
};

TEST(AttributeValue, FindsValuesQuotedUnquotedAndBare) {
  const AttrCase cases[] = {
      {"<e k='v' flag x=\"1\"/>", "k", "v"},
      {"<e k='v' flag x=\"1\"/>", "flag", "flag"},  // a name without value reads as itself
      {"<e k='v' flag x=\"1\"/>", "x", "1"},
      {"<e k='v' flag x=\"1\"/>", "e", ""},  // the tag name is not an attribute
      {"<e k='v' flag x=\"1\"/>", "z", ""},
      {"<e a='x>y' b=\"it's\" c='say \"hi\"'/>", "a", "x>y"},
      {"<e a='x>y' b=\"it's\" c='say \"hi\"'/>", "b", "it's"},
      {"<e a='x>y' b=\"it's\" c='say \"hi\"'/>", "c", "say \"hi\""},
      {"<e a=\"&lt;&#233;&quot;\"/>", "a", "<\xC3\xA9\""},  // values are decoded
      {"<e a=1 b=2/>", "a", "1"},
      {"<e a=1 b=2/>", "b", "2/"},  // an unquoted value runs to white space or '>'
      {"<e ab=\"1\" a=\"2\"/>", "a", "2"},
      {"<e ab=\"1\" a=\"2\"/>", "ab", "1"},
      {"<e ab=\"1\"/>", "abc", ""},
      {"<e a = \"v\" >", "a", "v"},
      {"<e\n\ta\r\n=\n'v'\n/>", "a", "v"},
      {"<e a=\"\" b='2'/>", "a", ""},
      {"<e a=\"1\" a=\"2\"/>", "a", "1"},  // the first of duplicates wins
      {"<e k=\"v\" x='k'/>", "x", "k"},    // a value equal to a name is not a name
      {"<e flag/>", "flag", "flag"},
      {"<e flag>", "flag", "flag"},
      {"<e a='1'b='2'/>", "b", "2"},
      {"<e a'b \"c'>d\" f='g'>", "f", ""},  // a value cut by the tag's end is not read on into the content
  };
  for (const AttrCase& c : cases) {
    auto doc = Parse(c.tag);
    doc->SeekSiblingElement(nullptr);
    EXPECT_EQ(doc->AttributeValue(doc->mainPos, c.name), c.value) << c.tag << " / " << c.name;
  }
}

TEST(AttributeValue, NameComparisonFollowsDocNoCase) {
  auto exact = Parse("<e Key='v'/>");
  exact->SeekSiblingElement(nullptr);
  EXPECT_EQ(exact->AttributeValue(exact->mainPos, "key"), "");
  EXPECT_EQ(exact->AttributeValue(exact->mainPos, "Key"), "v");
  auto noCase = Parse("<e Key='v'/>", DocNoCase);
  noCase->SeekSiblingElement(nullptr);
  EXPECT_EQ(noCase->AttributeValue(noCase->mainPos, "kEY"), "v");
}

TEST(AttributeValue, ChildAndProcessingInstruction) {
  auto doc = Parse("<?xml version=\"1.0\" encoding='utf-8'?><r id='r1'><c id='c1'/></r>");
  ASSERT_EQ(doc->SeekNode(NodeInstruction), NodeInstruction);
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "version"), "1.0");
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "encoding"), "utf-8");
  EXPECT_EQ(doc->ReadAttributeName(0), "version");
  EXPECT_EQ(doc->ReadAttributeName(1), "encoding");
  EXPECT_EQ(doc->ReadAttributeName(2), "");
  ASSERT_TRUE(doc->SeekChildElement("c"));
  EXPECT_EQ(doc->AttributeValue(doc->childPos, "id"), "c1");
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "id"), "r1");
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, nullptr), "");
  EXPECT_EQ(doc->AttributeValue(0, "id"), "");
}

// The scan of an instruction ends at its "?>", whatever quotes are open.
TEST(AttributeValue, InstructionEndsAtItsClosingBytes) {
  auto doc = InsideRoot("<r><?pi v='x?><a y='1'/></r>");
  ASSERT_EQ(doc->SeekNode(NodeInstruction), NodeInstruction);
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "v"), "x");
  EXPECT_EQ(doc->ReadAttributeName(0), "v");
  EXPECT_EQ(doc->ReadAttributeName(1), "");
}

TEST(AttributeValue, NothingOnOtherCurrentNodes) {
  auto doc = Parse("<r><!-- a='1' --></r>");
  doc->SeekSiblingElement(nullptr);
  doc->EnterElement();
  ASSERT_EQ(doc->SeekNode(0), NodeComment);
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "a"), "");
  EXPECT_EQ(doc->ReadAttributeName(0), "");
}

TEST(ReadAttributeName, NumbersNamesFromZero) {
  auto doc = Parse("<e k='v' flag x=\"1\">t</e>");
  doc->SeekSiblingElement(nullptr);
  const char* expected[] = {"k", "flag", "x", "", ""};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(doc->ReadAttributeName(i), expected[i]) << i;
  EXPECT_EQ(doc->ReadAttributeName(-1), "");
  doc->RewindSiblings();
  EXPECT_EQ(doc->ReadAttributeName(0), "");
  // A name read by index, then its value by that name: the first of duplicates.
  auto twice = Parse("<e a=\"1\" a=\"2\"/>");
  twice->SeekSiblingElement(nullptr);
  ASSERT_EQ(twice->ReadAttributeName(1), "a");
  EXPECT_EQ(twice->AttributeValue(twice->mainPos, "a"), "1");
}

// Where the attributes of the tag read last lie is kept; a new text with a
// tag of the same length at the same place must be read afresh (the edits are
// covered by the random edit test).
TEST(ReadAttributeName, ReadsTheNewTextAfterAParse) {
  auto doc = AtRoot("<e k='1' m='2'/>");
  EXPECT_EQ(doc->ReadAttributeName(1), "m");
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "k"), "1");
  doc->ParseText("<e k='1234567'/>");
  doc->SeekSiblingElement(nullptr);
  EXPECT_EQ(doc->ReadAttributeName(1), "");
  EXPECT_EQ(doc->AttributeValue(doc->mainPos, "k"), "1234567");
}

// What attribute editing relies on: the value range and quoted bit when found,
// and when not found the insertion offset after the last attribute.
TEST(ScanAttributes, ReportsRangesQuotingAndInsertionOffset) {
  struct Case {
    const char* tag;  // starts with '<' (or "<?")
    const char* name;
    bool found;
    const char* range;  // bytes of the name range when found
    bool quoted;
    int pos;    // cursor position afterwards
    int limit;  // -1: the whole text
    bool cut;   // the value's closing quote lies at or after limit
  } cases[] = {
      {"<e a=\"1\"  />", "a", true, "1", true, 8, -1, false},
      {"<e a=1 >", "a", true, "1", false, 6, -1, false},
      {"<e flag x='1'>", "flag", true, "flag", false, 7, -1, false},
      {"<e flag>", "flag", true, "flag", false, 7, -1, false},
      {"<e a=\"1\"  />", "z", false, "", false, 8, -1, false},
      {"<e>", "z", false, "", false, 2, -1, false},
      {"<e/>", "z", false, "", false, 2, -1, false},
      {"<e \n>", "z", false, "", false, 2, -1, false},
      {"<e a='1'>", "z", false, "", false, 8, -1, false},
      {"<?pi x='1' ?>", "z", false, "", false, 10, -1, false},
      {"<e k='x>y' >", "z", false, "", false, 10, -1, false},
      {"<e a='unt", "a", true, "unt", true, 9, -1, true},  // a quote left open runs to the end
      {"<e a=", "a", true, "a", false, 4, -1, false},      // no value before the end: the bare name
      // The limit ends the text: nothing at or after it is read.
      {"<e a'b \"c'>d\" f='g'>", "f", false, "", true, 11, 11, true},
      {"<e a='1' b='2'>", "a", true, "1", true, 7, 7, true},
      {"<e a='1' b='2'>", "a", true, "1", true, 8, 8, false},
      {"<e a='1' b='2'>", "b", false, "", true, 8, 9, false},
      {"<e a=12345>", "a", true, "12", false, 7, 7, false},
      {"<e a='1'>", "a", false, "", false, 1, 1, false},
      {"<e abc='1'>", "a", false, "", false, 5, 5, false},  // "ab" read up to the limit is no "a"
  };
  for (const Case& c : cases) {
    ScanCursor cursor(c.tag, 0);
    cursor.pos = c.tag[1] == '?' ? 2 : 1;
    const int limit = c.limit < 0 ? static_cast<int>(std::strlen(c.tag)) : c.limit;
    bool found = XmlDocument::ScanAttributes(cursor, c.name, 0, limit);
    EXPECT_EQ(found, c.found) << c.tag;
    EXPECT_EQ(found ? CursorText(cursor) : "", c.range) << c.tag;
    EXPECT_EQ((cursor.docFlags & XmlDocument::CursorQuoted) != 0, c.quoted) << c.tag;
    EXPECT_EQ((cursor.docFlags & XmlDocument::CursorCut) != 0, c.cut) << c.tag;
    EXPECT_EQ(cursor.pos, c.pos) << c.tag;
  }
}

TEST(ScanAttributes, KeepsTheDocumentFlagsBesideTheQuotedBit) {
  ScanCursor cursor("<E A='v'>", DocNoCase);
  cursor.pos = 1;
  ASSERT_TRUE(XmlDocument::ScanAttributes(cursor, "a", 0, 9));
  EXPECT_EQ(cursor.docFlags, DocNoCase | XmlDocument::CursorQuoted);
}

// The list read in one pass gives, for every index and every name, what a
// scan for that index or name alone finds: random tags built from the bytes
// that steer the scan (quotes, '=', '/', '?', '>', white space, names), and
// from whole attributes as most tags hold them (the list's quick path), with
// values long and short, holding '&' or the other quote, and noise between.
TEST(ListAttributes, AgreesWithTheScanForEveryIndexAndName) {
  const char pieces[] = "ab= '\"/?>\tx";
  const char* const attributes[] = {" a=\"1\"",
                                    " b='x&amp;y'",
                                    "\tab=\"long value of 23 b\"",
                                    " x='it\"s'",
                                    "\r\na=\"\"",
                                    " b=\"&#65;bcdefghij&\"",
                                    " x",
                                    "=",
                                    "/",
                                    " a= \"1\"",
                                    " b=\"quote not closed",
                                    " c=\"a value longer than one block &amp; two\"",
                                    " d='0123456789abcdef0123456789abcde'"};
  const char* const names[] = {"a", "b", "ab", "x", "=", "a[1]", "A"};
  std::uint32_t state = 7;
  for (int round = 0; round < 40000; ++round) {
    std::string tag = "<t";
    const int n = 1 + static_cast<int>(state % 24);
    for (int i = 0; i < n; ++i) {
      state = state * 1664525u + 1013904223u;
      if (round % 2 == 0)
        tag += pieces[(state >> 16) % (sizeof pieces - 1)];
      else if (i < 6)
        tag += attributes[(state >> 16) % (sizeof attributes / sizeof attributes[0])];
    }
    if (round % 2 == 1) tag += state % 5 == 0 ? "/>" : ">";
    const std::int32_t limit = static_cast<std::int32_t>(tag.size()) - static_cast<std::int32_t>(state % 3);
    std::vector<AttributeSpan> spans, inBlocks;
    XmlDocument::ListAttributes(tag.c_str(), 1, limit, spans);
    XmlDocument::ListAttributes(tag.c_str(), 1, limit, inBlocks, tag.c_str() + tag.size());
    ASSERT_EQ(inBlocks.size(), spans.size()) << tag;
    for (std::size_t i = 0; i < spans.size(); ++i)
      ASSERT_TRUE(inBlocks[i].nameStart == spans[i].nameStart && inBlocks[i].nameEnd == spans[i].nameEnd &&
                  inBlocks[i].valueStart == spans[i].valueStart &&
                  inBlocks[i].valueEnd == spans[i].valueEnd && inBlocks[i].plain == spans[i].plain)
          << tag << " attribute " << i;
    for (int index = 0; index <= static_cast<int>(spans.size()); ++index) {
      ScanCursor scan(tag.c_str(), 0);
      scan.pos = 1;
      const bool found = XmlDocument::ScanAttributes(scan, nullptr, index, limit);
      ASSERT_EQ(found, index < static_cast<int>(spans.size())) << tag << " index " << index;
      if (found) {
        const AttributeSpan& a = spans[static_cast<std::size_t>(index)];
        ASSERT_EQ(CursorText(scan), tag.substr(a.nameStart, a.nameEnd - a.nameStart + 1)) << tag;
      }
    }
    for (const int flags : {0, static_cast<int>(DocNoCase)}) {
      for (const char* name : names) {
        ScanCursor scan(tag.c_str(), flags);
        scan.pos = 1;
        const bool found = XmlDocument::ScanAttributes(scan, name, 0, limit);
        const AttributeSpan* match = nullptr;
        ScanCursor probe(tag.c_str(), flags);
        for (const AttributeSpan& a : spans) {
          probe.nameStart = a.nameStart;
          probe.nameEnd = a.nameEnd;
          if (NameMatches(probe, name)) {
            match = &a;
            break;
          }
        }
        ASSERT_EQ(found, match != nullptr) << tag << " name " << name;
        if (found) {
          ASSERT_EQ(scan.nameStart, match->valueStart) << tag << " name " << name;
          ASSERT_EQ(scan.nameEnd, match->valueEnd) << tag << " name " << name;
          const std::string value = tag.substr(match->valueStart, match->valueEnd - match->valueStart + 1);
          ASSERT_FALSE(match->plain && value.find('&') != std::string::npos) << tag << " name " << name;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orvel
