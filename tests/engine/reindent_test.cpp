#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "tests/support/reference_parser.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

TEST(Reindent, TabsFollowTheNestingDepth) {
  const struct {
    const char* before;
    const char* after;
  } cases[] = {
      {"<root>\n<a>\n<b/>\n</a>\n</root>", "<root>\n\t<a>\n\t\t<b/>\n\t</a>\n</root>"},
      {"<r>\n\t\t\t<a/>\n</r>", "<r>\n\t<a/>\n</r>"},
      {"<r>\n\t\t  <a/>\n</r>", "<r>\n\t\t <a/>\n</r>"},
      {"<a>\n<a>\n</a>\n</a>", "<a>\n\t<a>\n</a>\n</a>"},
      {"<r><a/></r>", "<r><a/></r>"},
      {"<r>\n<!-- c -->\n<![CDATA[x]]>\n</r>", "<r>\n<!-- c -->\n<![CDATA[x]]>\n</r>"},
      {"<r>\r\n<a>\r\n<b/>\r\n</a>\r\n</r>\r\n", "<r>\r\n\t<a>\r\n\t\t<b/>\r\n\t</a>\r\n</r>\r\n"},
      {"<r>\n  <?pi x?>\n</r>", "<r>\n  \t<?pi x?>\n</r>"},
      {"<r>text\n<a/></r>", "<r>text\n<a/></r>"},
      {"<r> <a>\n\t\t\t</a>\t\t</r>", "<r> \t<a>\n\t</a></r>"},
      {"\t<r/>", "<r/>"},
      {"<r>\n<x/>\n</R>", "<r>\n\t<x/>\n\t</R>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    XmlDocument doc;
    doc.ParseText(c.before);
    doc.SetPositions(1, 1, 0);
    doc.ReindentDocument();
    EXPECT_EQ(doc.text, c.after);
    EXPECT_EQ(doc.mainPos, 0);
    EXPECT_TRUE(CheckTable(doc));
  }
}

TEST(Reindent, StatusHoldsTheFirstParseErrorAtNewOffsets) {
  const struct {
    const char* before;
    const char* status;
  } cases[] = {
      {"<a/><b/>", ""},
      {"<r>\n<a>\n</r>", "End tag 'r' at offset 10 does not match start tag 'a' at offset 5"},
      {"<r>\n<1>\n</r>", "Incorrect tag name character at offset 5"},
      {"<r>\n<a>", "Element 'a' at offset 5 not ended"},
      // The erased tab moves "<?>" to offset 0, where it is not terminated.
      {"\t<?>", "Processing instruction at offset 0 unterminated"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    XmlDocument doc;
    doc.ParseText(c.before);
    doc.ReindentDocument();
    EXPECT_EQ(doc.status, c.status);
    EXPECT_TRUE(CheckTable(doc));
  }
}

// A generated document with random indentation: every line comes out with
// exactly its depth in tabs, the table describes the new text, and a second
// pass changes nothing.
TEST(Reindent, IrregularIndentationOfAGeneratedDocument) {
  std::mt19937 rng(77);
  std::string before, expected;
  std::vector<int> open;
  int depth = 0;
  for (int line = 0; line < 40000; ++line) {
    const int tabs = static_cast<int>(rng() % 7);
    const int action = depth == 0 ? 0 : static_cast<int>(rng() % 3);
    std::string tag;
    int indent = depth;
    if (action == 0 && depth < 12) {
      tag = "<e" + std::to_string(depth) + " n='" + std::to_string(line) + "'>";
      ++depth;
    } else if (action == 1 || depth >= 12) {
      --depth;
      indent = depth;
      tag = "</e" + std::to_string(depth) + ">";
    } else {
      tag = "<leaf/>";
    }
    if (line > 0) {
      before += std::string(static_cast<std::size_t>(tabs), '\t');
      expected += std::string(static_cast<std::size_t>(indent), '\t');
    }
    before += tag + "\r\n";
    expected += tag + "\r\n";
  }
  while (depth > 0) {
    --depth;
    before += "</e" + std::to_string(depth) + ">";
    expected += std::string(static_cast<std::size_t>(depth), '\t') + "</e" + std::to_string(depth) + ">";
    if (depth > 0) {
      before += "\n";
      expected += "\n";
    }
  }
  XmlDocument doc;
  doc.ParseText(before.c_str());
  doc.ReindentDocument();
  ASSERT_EQ(doc.text, expected);
  EXPECT_EQ(doc.status, "");
  EXPECT_TRUE(CheckTable(doc));
  doc.ReindentDocument();
  EXPECT_EQ(doc.text, expected);
}

TEST(Reindent, DeepChainNeedsManyInsertedTabs) {
  const int levels = 3000;
  std::string before, expected;
  for (int i = 0; i < levels; ++i) {
    before += "<d>\n";
    expected += std::string(static_cast<std::size_t>(i), '\t') + "<d>\n";
  }
  // Every end tag takes the depth of the outermost open <d>: no tab.
  for (int i = 0; i < levels; ++i) {
    before += "\t</d>\n";
    expected += "</d>\n";
  }
  XmlDocument doc;
  doc.ParseText(before.c_str());
  doc.ReindentDocument();
  EXPECT_EQ(doc.text, expected);
  EXPECT_EQ(doc.status, "");
  EXPECT_TRUE(CheckTable(doc));
}

// 33,000 empty tags at a depth of 65,536, each on its own line, would take
// 2^31 tabs and more: the offsets could not describe the result. Nothing is
// changed (text, table, positions, marks) and the status says why.
TEST(Reindent, ResultTooLongForTheOffsetsChangesNothing) {
  std::string text;
  for (int i = 0; i < 65536; ++i) text += "<a>";
  for (int i = 0; i < 33000; ++i) text += "\n<b/>";
  XmlDocument doc;
  doc.ParseText(text.c_str());
  ASSERT_TRUE(doc.SeekSiblingElement(nullptr));
  ASSERT_TRUE(doc.MarkPosition("m"));
  std::vector<ElementRecord> records;
  for (std::int32_t i = 0; i < doc.recordCount; ++i) records.push_back(doc.Rec(i));
  EXPECT_EQ(doc.IndentedLength(), static_cast<std::int64_t>(text.size()) + 33000 * std::int64_t{65536});
  doc.ReindentDocument();
  EXPECT_EQ(doc.status, "Document text too long to indent");
  EXPECT_TRUE(doc.text == text);
  EXPECT_TRUE(SameRecords(records, doc));
  EXPECT_EQ(doc.mainPos, 1);
  doc.SetPositions(0, 0, 0);
  EXPECT_TRUE(doc.ReturnToMark("m"));
}

}  // namespace
}  // namespace test
}  // namespace orvel
