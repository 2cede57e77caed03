#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

// ParseDocument skips the content between tags and reads the usual end tag
// in line; ReindentDocument reads every token through the general scanner.
// On a text without white space in front of tags re-indentation changes
// nothing, so both must build the same table.
::testing::AssertionResult SameTableBothWays(const std::string& input, int docFlags) {
  XmlDocument parsed, reindented;
  parsed.docFlags = reindented.docFlags = docFlags;
  parsed.ParseText(input.c_str());
  reindented.ParseText(input.c_str());
  reindented.ReindentDocument();
  if (reindented.text != input) return ::testing::AssertionFailure() << "text changed";
  if (parsed.recordCount != reindented.recordCount)
    return ::testing::AssertionFailure() << "record counts " << parsed.recordCount << " and " << reindented.recordCount;
  for (std::int32_t i = 0; i < parsed.recordCount; ++i) {
    const ElementRecord& a = parsed.Rec(i);
    const ElementRecord& b = reindented.Rec(i);
    if (std::memcmp(&a, &b, sizeof a) != 0) return ::testing::AssertionFailure() << "record " << i << " differs";
  }
  return CheckTable(parsed);
}

TEST(ParserPaths, RandomMarkupGivesTheSameTableOnBothPaths) {
  // No white space at all, so that re-indentation has nothing to change.
  const char* const pieces[] = {"<a>", "</a>", "<b>", "</b>", "<ab>", "</ab>", "<A>", "</A>", "<a/>", "<b x='>'>",
                                "</a x>", "</", "<", ">", "x", "<!--c-->", "<!--", "<![CDATA[<a>]]>", "<?p?>", "<1>",
                                "<!DOCTYPE r[<!ELEMENT a ANY>]>", "'", "\"", "<a[1]>", "</a[1]>", "</>", "<:b>"};
  std::mt19937 rng(4242);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof pieces / sizeof pieces[0]) - 1);
  std::uniform_int_distribution<int> count(1, 24);
  for (int i = 0; i < 20000; ++i) {
    std::string input;
    for (int n = count(rng); n > 0; --n) input += pieces[pick(rng)];
    const int flags = (i % 3 == 0) ? DocNoCase : 0;
    ASSERT_TRUE(SameTableBothWays(input, flags)) << "input '" << input << "' flags " << flags;
  }
}

TEST(ParserPaths, EndTagsThatLookLikeTheInnermostOne) {
  const char* const cases[] = {"<ab></a></ab>", "<a></ab></a>", "<a></a ></a>", "<a></a", "<a></a/></a>",
                               "<a><b></b></a>", "<a:b></a:b>", "<a></A></a>", "<a x='1'></a>"};
  for (const char* c : cases) {
    EXPECT_TRUE(SameTableBothWays(c, 0)) << c;
    EXPECT_TRUE(SameTableBothWays(c, DocNoCase)) << c;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
