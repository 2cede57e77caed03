// WrapCData and BuildNodeMarkup.
#include <gtest/gtest.h>

#include <string>

#include "engine/encoding.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

TEST(WrapCData, SplitsAtEveryTerminator) {
  struct Case {
    const char* input;
    const char* expected;
  } cases[] = {
      {"", "<![CDATA[]]>"},
      {"a<b>&c", "<![CDATA[a<b>&c]]>"},
      {"a]]>b", "<![CDATA[a]]]]><![CDATA[>b]]>"},
      {"]]>", "<![CDATA[]]]]><![CDATA[>]]>"},
      {"]]>]]>", "<![CDATA[]]]]><![CDATA[>]]]]><![CDATA[>]]>"},
      {"]]]>", "<![CDATA[]]]]]><![CDATA[>]]>"},
      {"]] >", "<![CDATA[]] >]]>"},
  };
  for (const Case& c : cases) EXPECT_EQ(WrapCData(c.input), c.expected) << c.input;
}

// The sections' contents joined again give the input back.
TEST(WrapCData, ContentsJoinToTheInput) {
  const char* inputs[] = {"x]]>y]]>z", "]]>]]]>>", "]]", ">"};
  for (const char* in : inputs) {
    std::string wrapped = WrapCData(in), joined;
    std::size_t p = 0;
    while ((p = wrapped.find("<![CDATA[", p)) != std::string::npos) {
      std::size_t body = p + 9, end = wrapped.find("]]>", body);
      ASSERT_NE(end, std::string::npos);
      joined += wrapped.substr(body, end - body);
      p = end + 3;
    }
    EXPECT_EQ(joined, in);
  }
}

TEST(BuildNodeMarkup, ByNodeType) {
  struct Case {
    int type;
    const char* content;
    bool result;
    const char* markup;  // what out holds afterwards
  } cases[] = {
      {NodeElement, "item", true, "<item/>"},
      {NodeText, "a<b & 'c'", true, "a&lt;b &amp; 'c'"},
      {NodeSpace, "&amp;", true, "&amp;amp;"},
      {NodeCData, "x<y", true, "<![CDATA[x<y]]>"},
      {NodeCData, "x]]>y", false, "untouched"},
      {NodeInstruction, "pi a?>b", true, "<?pi a?>b?>"},
      {NodeComment, "c--d", true, "<!--c--d-->"},
      {NodeDoctype, "<!DOCTYPE r>", true, "<!DOCTYPE r>"},
      {NodeEndTag, "a", false, "untouched"},
      {0, "a", true, "untouched"},
      {NodeBadMarkup, "a", true, "untouched"},
      {3, "a", true, "untouched"},
  };
  for (const Case& c : cases) {
    std::string out = "untouched";
    EXPECT_EQ(BuildNodeMarkup(c.type, c.content, out), c.result) << c.type;
    EXPECT_EQ(out, c.markup) << c.type;
  }
}

}  // namespace
}  // namespace orvel
