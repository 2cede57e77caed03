#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/engine/engine_test_util.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

struct StatusCase {
  const char* text;
  int docFlags;
  bool valid;
  const char* status;
  std::uint32_t documentFlags;  // flags of record 0
};

TEST(Parser, StatusOfEachSituation) {
  const std::vector<StatusCase> cases = {
      {"<a><b/><c>x</c></a>", 0, true, "", 0},
      {"", 0, false, "Empty document", 0},
      {"hello", 0, false, "No root element", 0},
      {"<!-- c -->", 0, false, "No root element", 0},
      {"<a/><b/>", 0, false, "Root element has sibling", 0},
      {"<a><b></a>", 0, false, "End tag 'a' at offset 7 does not match start tag 'b' at offset 3", ElemParseError},
      {"<r><a><x/><y/></r>", 0, false, "End tag 'r' at offset 15 does not match start tag 'a' at offset 3",
       ElemParseError},
      {"<a><b><c/></b>", 0, false, "Root element has sibling", ElemParseError},
      {"<a></b></a>", 0, false, "No start tag for end tag 'b' at offset 3", ElemParseError},
      {"<r></r></r>", 0, false, "No start tag for end tag 'r' at offset 7", ElemParseError | ElemInnerError},
      {"<a>x</A>", 0, false, "No start tag for end tag 'A' at offset 4", ElemParseError | ElemInnerError},
      {"<a>x</A>", DocNoCase, true, "", 0},
      {"<1a><r/>", 0, false, "Incorrect tag name character at offset 0", ElemParseError | ElemInnerError},
      {"<r><a><1></r>", 0, false, "Incorrect tag name character at offset 6", ElemParseError},
      {"<r><a></r>", 0, false, "End tag 'r' at offset 7 does not match start tag 'a' at offset 3", ElemParseError},
      {"<r><a>", 0, false, "Root element has sibling", ElemParseError},
      {"<r><a><b>", 0, false, "Root element has sibling", ElemParseError},
      {"<r>text", 0, false, "Element 'r' at offset 0 not ended", ElemParseError},
      {"<r>", 0, false, "Element 'r' at offset 0 not ended", ElemParseError},
      {"<r><!-- x", 0, false, "Comment at offset 3 unterminated", ElemParseError | ElemInnerError},
      {"<r></r", 0, false, "Element end tag at offset 3 unterminated", ElemParseError | ElemInnerError},
      {"<r><x", 0, false, "Element tag at offset 3 unterminated", ElemParseError | ElemInnerError},
      {"<?xml version='1.0'?>\r\n<!DOCTYPE a [<!ELEMENT a ANY>]>\r\n<!-- c -->\r\n<a>t</a>\r\n", 0, true, "", 0},
      {"x<r/>y", 0, true, "", 0},
      {"<r><![CDATA[<x>]]><?p <y>?><!-- <z> --></r>", 0, true, "", 0},
      {"<r a='</r>'></r>", 0, true, "", 0},
      {"<a[1]>x</a>", 0, true, "", 0},
      {"<ab>x</a>", 0, false, "No start tag for end tag 'a' at offset 5", ElemParseError | ElemInnerError},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.text);
    XmlDocument doc;
    doc.docFlags = c.docFlags;
    EXPECT_EQ(doc.ParseText(c.text), c.valid);
    EXPECT_EQ(doc.status, c.status);
    EXPECT_EQ(doc.Rec(0).Flags(), c.documentFlags);
    EXPECT_TRUE(CheckTable(doc));
  }
}

TEST(Parser, RecoveryShapesTheTree) {
  XmlDocument doc;
  doc.ParseText("<a><b></a>");
  EXPECT_TRUE(doc.Rec(2).Has(ElemOpen));
  EXPECT_EQ(doc.Rec(2).length, 3);
  EXPECT_EQ(doc.Rec(1).length, 10);

  // a is not ended: x and y follow it as r's children and keep level 2.
  doc.ParseText("<r><a><x/><y/></r>");
  EXPECT_EQ(doc.Rec(1).firstChild, 2);
  EXPECT_EQ(doc.Rec(2).nextSibling, 3);
  EXPECT_EQ(doc.Rec(3).nextSibling, 4);
  EXPECT_EQ(doc.Rec(2).prevSibling, 4);
  EXPECT_EQ(doc.Rec(3).prevSibling, 2);
  EXPECT_EQ(doc.Rec(3).parent, 1);
  EXPECT_EQ(doc.Rec(4).Level(), 2);
  EXPECT_FALSE(doc.Rec(3).Has(ElemFirstChild));
  EXPECT_EQ(doc.Rec(2).firstChild, 0);

  doc.ParseText("<a></b></a>");
  EXPECT_EQ(doc.Rec(1).length, 11);
  EXPECT_TRUE(doc.Rec(1).Has(ElemInnerError));
  EXPECT_FALSE(doc.Rec(1).Has(ElemOpen));

  doc.ParseText("<r><a><1></r>");
  EXPECT_TRUE(doc.Rec(1).Has(ElemInnerError));
  EXPECT_FALSE(doc.Rec(2).Has(ElemInnerError));
  EXPECT_TRUE(doc.Rec(2).Has(ElemOpen));

  doc.ParseText("<1a><r/>");
  EXPECT_EQ(doc.Rec(0).firstChild, 1);
  EXPECT_EQ(doc.Rec(1).start, 4);
}

TEST(Parser, LoadStatusComesFirst) {
  const struct {
    const char* text;
    const char* status;
  } cases[] = {{"no elements", "Loaded, No root element"},
               {"<a/>", "Loaded"},
               {"", "Loaded, Empty document"},
               {"<a>", "Loaded, Element 'a' at offset 0 not ended"}};
  for (const auto& c : cases) {
    XmlDocument doc;
    doc.text = c.text;
    doc.status = "Loaded";
    doc.ParseDocument();
    EXPECT_EQ(doc.status, c.status);
  }
}

// A caller may hand ParseText a pointer into the document's own text (a
// suffix it read back): the copy must read every byte before it is written.
TEST(Parser, ParseTextOfASuffixOfItsOwnText) {
  std::string original;
  for (int i = 0; i < 12; ++i) original += "<item n='" + std::to_string(i) + "'>text &amp; more</item>";
  original = "<list>" + original + "</list>";
  for (std::size_t k = 0; k < 70; ++k) {
    XmlDocument doc;
    ASSERT_TRUE(doc.ParseText(original.c_str()));
    doc.ParseText(doc.text.c_str() + k);
    ASSERT_EQ(doc.text, original.substr(k)) << "suffix at " << k;
    ASSERT_TRUE(CheckTable(doc)) << "suffix at " << k;
  }
}

TEST(Parser, FullParseResetsPositionsMarksAndFreeChain) {
  XmlDocument doc;
  doc.ParseText("<a><b/></a>");
  doc.SetPositions(1, 2, 0);
  doc.freeHead = 2;
  doc.nodeOffset = 4;
  doc.marks.reset(new MarkTable);
  doc.ParseText("<a><b/><c/></a>");
  EXPECT_EQ(doc.recordCount, 4);
  EXPECT_EQ(doc.parentPos + doc.mainPos + doc.childPos + doc.nodeType + doc.nodeOffset + doc.freeHead, 0);
  EXPECT_EQ(doc.marks, nullptr);
  EXPECT_GE(doc.capacity, 15 / 64 + 8);
}

// ParseMarkup under a scratch record: new records follow the old ones and
// take the scratch record's level as their base.
TEST(Parser, ParseMarkupUnderAScratchRecord) {
  XmlDocument doc;
  doc.ParseText("<r><a/></r>");
  const std::int32_t scratch = doc.AllocRecord();
  doc.Rec(scratch) = ElementRecord{};
  doc.Rec(scratch).SetLevel(2);
  doc.status = "old";
  ScanCursor cursor("<x><y/></x><z>", 0);
  const std::int32_t first = doc.ParseMarkup(scratch, cursor);
  EXPECT_EQ(first, scratch + 1);
  EXPECT_EQ(doc.Rec(first).Level(), 2);
  EXPECT_EQ(doc.Rec(first + 1).Level(), 3);
  EXPECT_EQ(doc.Rec(first).nextSibling, first + 2);
  EXPECT_TRUE(doc.Rec(scratch).Has(ElemParseError));
  EXPECT_EQ(doc.status, "Element 'z' at offset 11 not ended");

  // Under a record that has children, new elements follow the last of them.
  XmlDocument grown;
  grown.ParseText("<r><a/><c/></r>");
  ScanCursor more("<b/><d/>", 0);
  const std::int32_t b = grown.ParseMarkup(1, more);
  EXPECT_EQ(b, 4);
  EXPECT_EQ(grown.Rec(3).nextSibling, 4);
  EXPECT_EQ(grown.Rec(4).prevSibling, 3);
  EXPECT_EQ(grown.Rec(4).nextSibling, 5);
  EXPECT_EQ(grown.Rec(2).prevSibling, 5);
  EXPECT_EQ(grown.Rec(5).parent, 1);
  EXPECT_FALSE(grown.Rec(4).Has(ElemFirstChild));

  ScanCursor noElement("text only", 0);
  EXPECT_EQ(doc.ParseMarkup(scratch, noElement), 0);
  EXPECT_EQ(doc.status, "");
}

// Unterminated constructs at the very end of the text, which ends its heap
// block: the parse must not read a byte past the NUL.
TEST(Parser, TruncatedDocumentsNeverReadPastTheEnd) {
  const std::string whole =
      "<?xml version='1.0'?><!DOCTYPE r [<!ENTITY e 'v'><!-- c -->]><r a=\"1\" b='2'><![CDATA[x]]>"
      "<!-- note --><?pi data?><e/><f x='>'>text</f></r>";
  for (std::size_t n = 0; n <= whole.size(); ++n) {
    ExactText text(whole.substr(0, n));
    XmlDocument doc;
    ScanCursor cursor(text.c_str(), 0);
    doc.ParseMarkup(0, cursor);
    doc.text = whole.substr(0, n);
    doc.Rec(0).length = static_cast<std::int32_t>(n);
    ASSERT_TRUE(CheckTable(doc)) << "prefix of " << n << " bytes";
    XmlDocument parsed;
    parsed.ParseText(doc.text.c_str());
    EXPECT_EQ(parsed.IsDocumentValid(), n == whole.size()) << n;
  }
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  out.reserve(s.size() * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// Lengths and levels that the record layout cannot hold are parse errors.
TEST(Parser, StartTagLengthLimit) {
  for (const std::int32_t tagLength : {kMaxStartTagLength, kMaxStartTagLength + 1}) {
    SCOPED_TRACE(tagLength);
    // "<a x='" + padding + "'>" is tagLength bytes.
    const std::string tag = "<a x='" + std::string(static_cast<std::size_t>(tagLength) - 8, 'v') + "'>";
    XmlDocument doc;
    const bool valid = doc.ParseText(("<r>" + tag + "t</a><b/></r>").c_str());
    EXPECT_TRUE(CheckTable(doc));
    if (tagLength <= kMaxStartTagLength) {
      EXPECT_TRUE(valid);
      EXPECT_EQ(doc.Rec(2).StartTagLength(), tagLength);
    } else {
      EXPECT_FALSE(valid);
      EXPECT_EQ(doc.status, "Element tag at offset 3 too long");
      EXPECT_TRUE(doc.Rec(0).Has(ElemParseError));
      EXPECT_EQ(doc.recordCount, 3);  // r and b
      EXPECT_EQ(doc.Rec(2).start, 3 + tagLength + 5);
    }
  }
  XmlDocument empty;
  const std::string emptyTag = "<a x='" + std::string(static_cast<std::size_t>(kMaxStartTagLength), 'v') + "'/>";
  EXPECT_FALSE(empty.ParseText(("<r>" + emptyTag + "</r>").c_str()));
  EXPECT_EQ(empty.status, "Element tag at offset 3 too long");
  EXPECT_TRUE(CheckTable(empty));
}

TEST(Parser, EndTagLengthLimit) {
  for (const std::int32_t endLength : {kMaxEndTagLength, kMaxEndTagLength + 1}) {
    SCOPED_TRACE(endLength);
    const std::string endTag = "</a" + std::string(static_cast<std::size_t>(endLength) - 4, ' ') + ">";
    XmlDocument doc;
    const bool valid = doc.ParseText(("<r><a>t" + endTag + "</r>").c_str());
    EXPECT_TRUE(CheckTable(doc));
    if (endLength <= kMaxEndTagLength) {
      EXPECT_TRUE(valid);
      EXPECT_EQ(doc.Rec(2).EndTagLength(), endLength);
      EXPECT_EQ(doc.Rec(2).length, 4 + endLength);
    } else {
      EXPECT_FALSE(valid);
      EXPECT_EQ(doc.status, "Element end tag at offset 7 too long");
      EXPECT_TRUE(doc.Rec(2).Has(ElemOpen));
      EXPECT_TRUE(doc.Rec(1).Has(ElemInnerError));
    }
  }
}

// The usual end tag, read in line by the parser, obeys the same limit.
TEST(Parser, EndTagLengthLimitOfAMatchingName) {
  for (const std::int32_t endLength : {kMaxEndTagLength, kMaxEndTagLength + 1}) {
    SCOPED_TRACE(endLength);
    const std::string name(static_cast<std::size_t>(endLength) - 3, 'n');
    XmlDocument doc;
    const bool valid = doc.ParseText(("<r><" + name + ">t</" + name + "></r>").c_str());
    EXPECT_TRUE(CheckTable(doc));
    EXPECT_EQ(valid, endLength <= kMaxEndTagLength);
    if (!valid) {
      EXPECT_EQ(doc.status, "Element end tag at offset " + std::to_string(endLength + 3) + " too long");
    } else {
      EXPECT_EQ(doc.Rec(2).EndTagLength(), endLength);
    }
  }
}

TEST(Parser, NestingLimit) {
  for (const int levels : {kMaxLevel, kMaxLevel + 1, kMaxLevel + 40}) {
    SCOPED_TRACE(levels);
    const std::string text = Repeat("<a>", levels) + "<b/>" + Repeat("</a>", levels) + "<c/>";
    XmlDocument doc;
    doc.ParseText(text.c_str());
    ASSERT_TRUE(CheckTable(doc));
    if (levels <= kMaxLevel) {
      EXPECT_EQ(doc.status, "Root element has sibling");
      EXPECT_FALSE(doc.Rec(0).Has(ElemParseError));
      EXPECT_EQ(doc.recordCount, levels + 3);
      continue;
    }
    // The element at level 65,536 and everything inside it stay unrecorded
    // content; the elements around it keep their true extent.
    EXPECT_TRUE(doc.Rec(0).Has(ElemParseError));
    EXPECT_EQ(doc.recordCount, 1 + kMaxLevel + 1 + 1);
    EXPECT_EQ(doc.Rec(1).length, static_cast<std::int32_t>(text.size()) - 4);
    EXPECT_EQ(doc.Rec(kMaxLevel + 1).Level(), kMaxLevel);
    EXPECT_EQ(doc.Rec(kMaxLevel + 1).firstChild, 0);
    ScanCursor deep(text.c_str(), 0);
    XmlDocument fragment;
    fragment.ParseMarkup(0, deep);
    EXPECT_EQ(fragment.status, "Element at offset " + std::to_string(3 * (kMaxLevel + 1)) + " nested too deeply");
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define ORVEL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVEL_UNDER_SANITIZER 1
#endif
#endif

TEST(Parser, TextOf2GiBIsRefusedBeforeCopying) {
#if defined(ORVEL_UNDER_SANITIZER)
  GTEST_SKIP() << "2 GiB buffer not attempted under the sanitizers";
#elif SIZE_MAX <= 0xFFFFFFFFu
  GTEST_SKIP() << "a 32-bit process has no room for a 2 GiB text";
#else
  const std::size_t n = std::size_t{1} << 31;
  char* big = static_cast<char*>(std::malloc(n + 1));
  if (big == nullptr) GTEST_SKIP() << "2 GiB not available";
  std::memset(big, 'x', n);
  big[0] = '<';
  big[1] = 'a';
  big[2] = '>';
  big[n] = '\0';
  XmlDocument doc;
  EXPECT_FALSE(doc.ParseText(big));
  std::free(big);
  EXPECT_EQ(doc.status, "Document text too long");
  EXPECT_TRUE(doc.text.empty());
  EXPECT_TRUE(doc.Rec(0).Has(ElemParseError));
  EXPECT_EQ(doc.recordCount, 1);
  EXPECT_EQ(doc.Rec(0).length, 0);
  EXPECT_TRUE(doc.ParseText("<a/>"));

  // A loaded text of that length is refused the same way, after the load status.
  try {
    doc.text.assign(n, 'x');
  } catch (const std::bad_alloc&) {
    GTEST_SKIP() << "2 GiB not available";
  }
  doc.status = "Loaded";
  EXPECT_FALSE(doc.ParseDocument());
  EXPECT_EQ(doc.status, "Loaded, Document text too long");
  EXPECT_TRUE(doc.text.empty());
  EXPECT_EQ(doc.recordCount, 1);
#endif
}

}  // namespace
}  // namespace test
}  // namespace orvel
