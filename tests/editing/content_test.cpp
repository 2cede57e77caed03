// Setting attributes, contents and inner markup: the text after each edit,
// the positions it keeps, and the edits it refuses.
#include <gtest/gtest.h>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

bool SetMain(XmlDocument& d, const char* name, const char* value) { return d.SetAttribute(d.mainPos, name, value); }

TEST(SetAttribute, ReplacesInPlaceOrAddsAfterTheLast) {
  const EditCase cases[] = {
      {"new attribute in an empty-element tag", "<a/>", "s", [](XmlDocument& d) { return SetMain(d, "b", "1"); },
       true, "<a b=\"1\"/>"},
      {"single-quoted value, space before the slash kept", "<a x='y' />", "s",
       [](XmlDocument& d) { return SetMain(d, "x", "it's"); }, true, "<a x=\"it&apos;s\" />"},
      {"unquoted value", "<a x=1 y='2'>t</a>", "s", [](XmlDocument& d) { return SetMain(d, "x", "<&>\""); }, true,
       "<a x=\"&lt;&amp;&gt;&quot;\" y='2'>t</a>"},
      {"shorter value moves what follows back", "<r><a v='long'><b/></a><c/></r>", "ses",
       [](XmlDocument& d) { return SetMain(d, "v", ""); }, true, "<r><a v=\"\"><b/></a><c/></r>"},
      {"a name without value gets one", "<a x y=\"2\"/>", "s", [](XmlDocument& d) { return SetMain(d, "x", "1"); },
       true, "<a x=\"1\" y=\"2\"/>"},
      {"number", "<a/>", "s", [](XmlDocument& d) { return d.SetAttributeNumber(d.mainPos, "n", -1); }, true,
       "<a n=\"-1\"/>"},
      {"child element", "<a><b/></a>", "sc", [](XmlDocument& d) { return d.SetChildAttribute("k", "v"); }, true,
       "<a><b k=\"v\"/></a>"},
      {"current instruction", "<r><a/><?pi a=\"1\"?><b/></r>", "sesn",
       [](XmlDocument& d) { return SetMain(d, "a", "22") && SetMain(d, "z", "3") && d.nodeLength == 19; }, true,
       "<r><a/><?pi a=\"22\" z=\"3\"?><b/></r>"},
      {"names compare without case under DocNoCase", "<a X='1'/>", "s",
       [](XmlDocument& d) {
         d.docFlags = DocNoCase;
         return SetMain(d, "x", "2");
       },
       true, "<a X=\"2\"/>"},
      {"value of an instruction running past its end", "<r><?pi v='x?><a y='1'/></r>", "sen",
       [](XmlDocument& d) { return SetMain(d, "v", "z"); }, false, nullptr},
      {"value running past the start tag", "<e a'b \"c'>d\" f='g'>t</e>", "s",
       [](XmlDocument& d) { return SetMain(d, "f", "z"); }, false, nullptr},
      {"would turn an open start tag into an empty-element tag", "<r><a x/></r>", "ses",
       [](XmlDocument& d) { return SetMain(d, "x", "1"); }, false, nullptr},
      {"names that would not read back", "<a/>", "s",
       [](XmlDocument& d) { return SetMain(d, "", "1") || SetMain(d, nullptr, "1") || SetMain(d, "a b", "1") ||
                                   SetMain(d, "a=", "1") || SetMain(d, "a>", "1") || SetMain(d, "'", "1"); },
       false, nullptr},
      {"no element and no instruction", "<r><!--c--></r>", "sen", [](XmlDocument& d) { return SetMain(d, "a", "1"); },
       false, nullptr},
      {"child form without a child position", "<?xml version=\"1.0\"?><r/>", "n",
       [](XmlDocument& d) { return d.SetChildAttribute("version", "2"); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SetContent, ReplacesTheWholeContentOrRewritesTheCurrentNode) {
  const EditCase cases[] = {
      {"escaped", "<a>old</a>", "s", [](XmlDocument& d) { return d.SetContent(d.mainPos, "x&y", 0); }, true,
       "<a>x&amp;y</a>"},
      {"references kept", "<a>old</a>", "s",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "&amp;", EditKeepRefs); }, true, "<a>&amp;</a>"},
      {"CDATA", "<a>old</a>", "s", [](XmlDocument& d) { return d.SetContent(d.mainPos, "x&y", EditCData); }, true,
       "<a><![CDATA[x&y]]></a>"},
      {"empty on an empty-element tag", "<a/>", "s", [](XmlDocument& d) { return d.SetContent(d.mainPos, "", 0); },
       true, "<a></a>"},
      {"empty on text", "<a>t</a>", "s", [](XmlDocument& d) { return d.SetContent(d.mainPos, nullptr, 0); }, true,
       "<a></a>"},
      {"a comment is content too", "<a><!--c--></a>", "s",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "n", 0); }, true, "<a>n</a>"},
      {"start tag only gets content and end tag", "<r></r>", "s",
       [](XmlDocument& d) {
         return d.AddElement("a", "", AddAsChild | EditNoEndTag) && d.SetChildContent("t", 0);
       },
       true, "<r>\r\n<a>t</a>\r\n</r>"},
      {"number on the child", "<r><a>1</a><b/></r>", "sc",
       [](XmlDocument& d) { return d.SetContentNumber(d.childPos, 42); }, true, "<r><a>42</a><b/></r>"},
      {"comment node stays a comment", "<r><a/><!--c--></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "new", 0); }, true, "<r><a/><!--new--></r>"},
      {"text node is escaped", "<r><a/>t<b/></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "<x>", 0); }, true, "<r><a/>&lt;x&gt;<b/></r>"},
      {"element with child elements", "<a><b/>t</a>", "s", [](XmlDocument& d) { return d.SetContent(d.mainPos, "x", 0); },
       false, nullptr},
      {"no element", "<r/>", "", [](XmlDocument& d) { return d.SetContent(0, "x", 0); }, false, nullptr},
      {"comment holding its terminator", "<r><a/><!--c--></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "-->", 0); }, false, nullptr},
      {"CDATA node holding its terminator", "<r><a/><![CDATA[c]]></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "]]>", 0); }, false, nullptr},
      {"malformed markup is not rewritten", "<r><a/>< x></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "y", 0); }, false, nullptr},
      {"an end tag is not rewritten", "<r><a/></q></r>", "sesn",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "y", 0); }, false, nullptr},
      {"child form without a child position", "<?xml version=\"1.0\"?><r/>", "n",
       [](XmlDocument& d) { return d.SetChildContent("zap", 0); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SetContent, ANodeRewrittenTakesTheTypeItReadsAsAndAnEmptyOneIsNoLongerCurrent) {
  auto d = Prepared("<r><a/> <b/></r>", "sesn");
  ASSERT_EQ(d->nodeType, NodeSpace);
  ASSERT_TRUE(d->SetContent(d->mainPos, "a<b", 0));
  EXPECT_EQ(d->nodeType, NodeText);
  EXPECT_EQ(d->Content(d->mainPos), "a<b");
  ASSERT_TRUE(d->SetContent(d->mainPos, "", 0));
  EXPECT_EQ(d->nodeType, NodeElement);
  EXPECT_EQ(d->nodeOffset, 0);
  EXPECT_EQ(d->nodeLength, 0);
  EXPECT_EQ(d->text, "<r><a/><b/></r>");
  EXPECT_TRUE(CheckTable(*d));
  // A walk goes on from a, not from where the emptied node stood.
  EXPECT_EQ(d->SeekNode(0), NodeElement);
  EXPECT_EQ(d->TagName(d->mainPos), "b");
}

TEST(ChildForms, ReadAndChangeNothingWithoutAChildPosition) {
  auto d = Prepared("<?xml version=\"1.0\"?><r a='1'>t</r>", "n");
  ASSERT_EQ(d->nodeType, NodeInstruction);
  EXPECT_EQ(d->ChildAttributeValue("version"), "");
  EXPECT_EQ(d->ChildContent(), "");
  EXPECT_EQ(d->AttributeValue(d->mainPos, "version"), "1.0");
  auto c = Prepared("<r><a k='v'>t</a></r>", "sc");
  EXPECT_EQ(c->ChildAttributeValue("k"), "v");
  EXPECT_EQ(c->ChildContent(), "t");
}

TEST(SetInnerMarkup, ReplacesEverythingBetweenTheTags) {
  const EditCase cases[] = {
      {"elements become the children", "<a>x</a>", "s", [](XmlDocument& d) { return d.SetInnerMarkup("<b/><c/>"); },
       true, "<a><b/><c/></a>"},
      {"text only", "<a><b><c/></b></a>", "s", [](XmlDocument& d) { return d.SetInnerMarkup("hello"); }, true,
       "<a>hello</a>"},
      {"empty-element tag expanded", "<r><a/><z/></r>", "ses",
       [](XmlDocument& d) { return d.SetInnerMarkup(" <b>1</b> "); }, true, "<r><a> <b>1</b> </a><z/></r>"},
      {"markup that does not parse is written, false", "<a>x</a>", "s",
       [](XmlDocument& d) { return d.SetInnerMarkup("<b>"); }, false, "<a><b></a>"},
      {"no main element", "<a/>", "", [](XmlDocument& d) { return d.SetInnerMarkup("<b/>"); }, false, nullptr},
      {"a current node is selected", "<r><a/><!--c--></r>", "sesn",
       [](XmlDocument& d) { return d.SetInnerMarkup("<b/>"); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(SetInnerMarkup, KeepsTheTableSteadyWhenRepeated) {
  auto d = Prepared("<r/>", "s");
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(d->SetInnerMarkup("<x><y/></x>"));
  EXPECT_LE(d->recordCount, 8);  // released records are handed out again
  EXPECT_EQ(d->text, "<r><x><y/></x></r>");
  EXPECT_TRUE(CheckTable(*d));
}

}  // namespace
}  // namespace test
}  // namespace orvel
