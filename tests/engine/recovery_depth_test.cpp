// Recovery from many elements that are not ended at once: every one of them
// and everything inside becomes a sibling under the element that stays open,
// each keeping its level. The parse must finish in time proportional to the
// text even at the deepest nesting the level field allows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

std::string Repeat(const char* s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct DeepCase {
  std::string prefix, opened, suffix;  // prefix + opened x levels + suffix
  std::int32_t parent;                 // the record all closed elements end under
  std::int32_t firstClosed;            // the outermost element not ended
  std::int32_t levelSpan;              // level of the last record above that of firstClosed
  const char* status;
};

TEST(RecoveryDepth, ElementsNotEndedAtOnceBecomeSiblings) {
  const int levels = kMaxLevel - 1;
  const DeepCase cases[] = {
      // The text ends with every element open.
      {"", "<a>", "", 0, 1, levels - 1, "Root element has sibling"},
      // An end tag of the outermost element ends all inner ones at once.
      {"<r>", "<a><b/>", "</r>", 1, 2, levels, "End tag 'r' at offset "},
      // Under a root that is ended: the inner elements move up under r.
      {"<r><x>", "<a>", "</x></r>", 2, 3, levels - 1, "End tag 'x' at offset "},
  };
  for (const DeepCase& c : cases) {
    SCOPED_TRACE(c.prefix + c.opened + c.suffix);
    const std::string text = c.prefix + Repeat(c.opened.c_str(), levels) + c.suffix;
    XmlDocument doc;
    EXPECT_FALSE(doc.ParseText(text.c_str()));
    EXPECT_EQ(doc.status.compare(0, std::strlen(c.status), c.status), 0) << doc.status;
    EXPECT_TRUE(doc.Rec(0).Has(ElemParseError));
    // Every record from the outermost element not ended on is a child of the
    // same parent, in text order, and keeps the level it was opened at.
    std::int32_t previous = 0, count = 0;
    for (std::int32_t i = c.firstClosed; i != 0; i = doc.Rec(i).nextSibling) {
      ASSERT_EQ(doc.Rec(i).parent, c.parent) << "record " << i;
      ASSERT_EQ(i, previous == 0 ? c.firstClosed : previous + 1);
      if (previous != 0) {
        ASSERT_EQ(doc.Rec(i).prevSibling, previous) << "record " << i;
      }
      previous = i;
      ++count;
    }
    EXPECT_EQ(count, doc.recordCount - c.firstClosed);
    EXPECT_EQ(doc.Rec(doc.recordCount - 1).Level() - doc.Rec(c.firstClosed).Level(), c.levelSpan);
    EXPECT_TRUE(CheckTable(doc));
  }
}

// The same recovery again and again in one text: each element x ends all the
// elements inside it at once, and each batch costs time in proportion to the
// elements it moves, not to their number times the depth they pass.
TEST(RecoveryDepth, RepeatedBatchesOfElementsNotEnded) {
  const int levels = 60000, batches = 8;
  const std::string batch = "<x>" + Repeat("<a>", levels) + "</x>";
  XmlDocument doc;
  EXPECT_FALSE(doc.ParseText(("<r>" + Repeat(batch.c_str(), batches) + "</r>").c_str()));
  EXPECT_EQ(doc.status, "End tag 'x' at offset " + std::to_string(3 + batch.size() - 3) +
                            " does not match start tag 'a' at offset " + std::to_string(3 + batch.size() - 7));
  ASSERT_EQ(doc.recordCount, 2 + batches * (levels + 1));
  std::int32_t x = doc.Rec(1).firstChild;
  for (int b = 0; b < batches; ++b, x = doc.Rec(x).nextSibling) {
    ASSERT_NE(x, 0);
    ASSERT_FALSE(doc.Rec(x).Has(ElemOpen));
    std::int32_t count = 0;
    for (std::int32_t a = doc.Rec(x).firstChild; a != 0; a = doc.Rec(a).nextSibling, ++count) {
      ASSERT_EQ(doc.Rec(a).parent, x) << "record " << a;
      ASSERT_EQ(doc.Rec(a).Level(), 2 + count) << "record " << a;
    }
    EXPECT_EQ(count, levels);
  }
  EXPECT_EQ(x, 0);
  EXPECT_TRUE(CheckTable(doc));
}

}  // namespace
}  // namespace test
}  // namespace orvel
