// EscapeText: the mode sets, the reference test of EditKeepRefs, ignored flag bits.
#include <gtest/gtest.h>

#include <string>

#include "engine/encoding.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

struct EscapeCase {
  const char* input;
  int flags;
  const char* expected;
};

TEST(EscapeText, ReplacesTheSetOfItsMode) {
  const EscapeCase cases[] = {
      {"a<b & c>d", 0, "a&lt;b &amp; c&gt;d"},
      {"it's \"q\"", 0, "it's \"q\""},  // text mode leaves quotes alone
      {"it's \"q\"", EditAttribute, "it&apos;s &quot;q&quot;"},
      {"<&>'\"", EditAttribute, "&lt;&amp;&gt;&apos;&quot;"},
      {"", 0, ""},
      {"", EditAttribute, ""},
      {"plain \xC3\xA9 bytes\t\r\n", EditAttribute, "plain \xC3\xA9 bytes\t\r\n"},
      {"&amp;", 0, "&amp;amp;"},  // without EditKeepRefs every '&' is escaped
      {"&&", 0, "&amp;&amp;"},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(EscapeText(c.input, c.flags), c.expected) << c.input;
}

TEST(EscapeText, KeepRefsPassesWellFormedReferencesOnly) {
  const EscapeCase cases[] = {
      {"&amp; & &x &#60; &bad!", EditKeepRefs, "&amp; &amp; &amp;x &#60; &amp;bad!"},
      {"tail &", EditKeepRefs, "tail &amp;"},
      {"&nbsp;&#12;&#x1F;", EditKeepRefs, "&nbsp;&#12;&#x1F;"},  // names are not looked up
      {"&;", EditKeepRefs, "&amp;;"},                           // no name-start byte
      {"&1a;", EditKeepRefs, "&amp;1a;"},                       // digit cannot start the name
      {"&_a-b.c:d;", EditKeepRefs, "&_a-b.c:d;"},
      {"&\xC3\xA9t\xC3\xA9;", EditKeepRefs, "&\xC3\xA9t\xC3\xA9;"},  // high bytes are name bytes
      {"&a b;", EditKeepRefs, "&amp;a b;"},
      // After a rejected '&' the walk resumes at the next byte, which can start a reference.
      {"&&lt;", EditKeepRefs, "&amp;&lt;"},
      {"&a&b;<", EditKeepRefs, "&amp;a&b;&lt;"},
      {"&lt; \"x\"", EditKeepRefs | EditAttribute, "&lt; &quot;x&quot;"},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(EscapeText(c.input, c.flags), c.expected) << c.input;
}

TEST(EscapeText, IgnoresOtherEditBits) {
  const int others = EditCData | EditNoBreak | EditSpaceSlash | EditNoEndTag | EditReplaceContent | AddBefore |
                     AddAsChild;
  EXPECT_EQ(EscapeText("<'&amp;'>", others), EscapeText("<'&amp;'>", 0));
  EXPECT_EQ(EscapeText("<'&amp;'>", others | EditAttribute | EditKeepRefs), "&lt;&apos;&amp;&apos;&gt;");
}

TEST(EscapeText, NullIsEmpty) { EXPECT_EQ(EscapeText(nullptr, EditAttribute), ""); }

TEST(EscapeText, EveryByteOutsideTheSetIsCopied) {
  for (int b = 1; b < 256; ++b) {
    const char in[2] = {static_cast<char>(b), '\0'};
    std::string out = EscapeText(in, EditAttribute);
    bool special = b == '<' || b == '&' || b == '>' || b == '\'' || b == '"';
    if (special)
      EXPECT_EQ(out[0], '&') << b;
    else
      EXPECT_EQ(out, std::string(in)) << b;
  }
}

}  // namespace
}  // namespace orvel
