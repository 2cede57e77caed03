// What an edit reports and where it leaves the positions and marks when the
// table is parsed again around it: an addition stands only where the new
// table holds what was written, an edit after a change of DocNoCase is placed
// by the table of the current flags, and positions and marks follow their
// elements (or go with them).
#include <gtest/gtest.h>

#include <string>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

TEST(Additions, ThatDoNotReadBackWhereWrittenAreRefused) {
  const EditCase cases[] = {
      {"element markup after an open comment", "<r><!--", "sn",
       [](XmlDocument& d) { return d.AddMarkup("<m/>", 0); }, false, nullptr},
      {"CDATA node after an open CDATA section", "<m><![CDATA[", "sn",
       [](XmlDocument& d) { return d.AddNode(NodeCData, "x", 0); }, false, nullptr},
      {"comment after an open instruction", "<r/><?pi", "sn",
       [](XmlDocument& d) { return d.AddNode(NodeComment, "c", 0); }, false, nullptr},
      {"instruction after an open comment", "<r/><!--", "sn",
       [](XmlDocument& d) { return d.AddNode(NodeInstruction, "pi", 0); }, false, nullptr},
      {"element node after an open comment", "<r/><!--", "sn",
       [](XmlDocument& d) { return d.AddNode(NodeElement, "e", 0); }, false, nullptr},
      {"start tag that would take its parent's end tag", "<m>t</m>", "s",
       [](XmlDocument& d) { return d.AddElement("m", "", EditNoEndTag | AddAsChild); }, false, nullptr},
      {"name an end tag of its first part would close", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddElement("a[1]", "", EditNoEndTag); }, false, nullptr},
      {"text joins the text before it", "<r>a</r></x>", "sen",
       [](XmlDocument& d) { return d.AddNode(NodeText, "b", 0); }, true, "<r>ab</r></x>"},
      {"start tag that stays inside its parent", "<m>t</m>", "s",
       [](XmlDocument& d) { return d.AddElement("n", "", EditNoEndTag | AddAsChild); }, true,
       "<m>t<n>\r\n</m>"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(Additions, ArePlacedByTheTableOfTheCurrentFlags) {
  // Parsed with DocNoCase, N holds x; without it, </n> closes nothing and N
  // is a bare start tag. Each edit comes after the flag is cleared.
  struct Case {
    const char* what;
    Edit edit;
    const char* expected;
    const char* main;  // tag names of the positions afterwards
    const char* child;
  };
  const Case cases[] = {
      {"child element", [](XmlDocument& d) { return d.AddElement("a", "", AddAsChild); },
       "<N>\r\n<a/>\r\n</N>x</n>", "N", "a"},
      {"child markup", [](XmlDocument& d) { return d.AddMarkup("<a/>", AddAsChild); },
       "<N>\r\n<a/>\r\n</N>x</n>", "N", "a"},
      {"sibling element", [](XmlDocument& d) { return d.AddElement("a", "", 0); }, "<N><a/>\r\nx</n>", "a",
       ""},
      {"node", [](XmlDocument& d) { return d.AddNode(NodeComment, "c", 0); }, "<N><!--c-->\r\nx</n>", "N",
       ""},
      {"content", [](XmlDocument& d) { return d.SetContent(d.mainPos, "y", 0); }, "<N>y</N>x</n>", "N", ""},
      {"attribute", [](XmlDocument& d) { return d.SetAttribute(d.mainPos, "k", "v"); }, "<N k=\"v\">x</n>",
       "N", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto d = Prepared("<N>x</n>", "s", DocNoCase);
    d->docFlags = 0;
    ASSERT_TRUE(c.edit(*d));
    EXPECT_EQ(d->text, c.expected);
    EXPECT_EQ(d->tableFlags, 0);
    EXPECT_EQ(d->TagName(d->mainPos), c.main);
    EXPECT_EQ(d->TagName(d->childPos), c.child);
    EXPECT_TRUE(CheckTable(*d));
  }
}

// Marks the element at the child (or main) position under "k", makes the
// edit and returns to the mark: returned, and main and child afterwards.
struct MarkCase {
  const char* what;
  const char* text;
  const char* moves;
  Edit edit;
  bool returns;
  const char* main;  // tag names after the return ("" for none)
  const char* child;
};

TEST(Marks, FollowTheirElementsThroughATableParsedAgain) {
  const MarkCase cases[] = {
      {"element turned into comment text", "<a/><r u=\"1\"/>", "ss",
       [](XmlDocument& d) {
         d.RewindSiblings();
         d.SeekSiblingElement(nullptr);
         return !d.AddMarkup("<!--", AddAsChild);
       },
       false, "", ""},
      {"start tag merged into one written before it", "<r><m u=\"4\"/></r>", "sc",
       [](XmlDocument& d) { return !d.AddMarkup("<m", AddAsChild | AddBefore); }, false, "", ""},
      {"child that became top-level", "<r><c/></r>", "sc",
       [](XmlDocument& d) { return !d.AddMarkup("</r>", AddAsChild | AddBefore); }, true, "c", ""},
      {"element moved behind new text", "<r><c/></r></x>", "sc",
       [](XmlDocument& d) { return d.AddElement("b", "", AddAsChild | AddBefore); }, true, "r", "c"},
  };
  for (const MarkCase& c : cases) {
    SCOPED_TRACE(c.what);
    auto d = Prepared(c.text, c.moves);
    ASSERT_TRUE(d->MarkPosition("k"));
    ASSERT_TRUE(c.edit(*d));
    EXPECT_EQ(d->ReturnToMark("k"), c.returns);
    if (c.returns) {
      EXPECT_EQ(d->TagName(d->mainPos), c.main);
      EXPECT_EQ(d->TagName(d->childPos), c.child);
    }
    EXPECT_TRUE(CheckTable(*d));
  }
}

TEST(Marks, KeepTheRoleTheyWereLastSetIn) {
  auto d = Prepared("<d><r><c/></r></d>", "sec");
  ASSERT_TRUE(d->MarkPosition("k"));
  d->RewindChildren();
  ASSERT_TRUE(d->MarkPosition("k"));  // now the main position
  ASSERT_TRUE(d->SeekChildElement(nullptr));
  ASSERT_TRUE(d->ReturnToMark("k"));
  EXPECT_EQ(d->TagName(d->mainPos), "r");
  EXPECT_EQ(d->childPos, 0);
}

TEST(CurrentNode, AtTheStartOfTheTextIsCarriedOver) {
  for (const char* text : {"<!--c--><r/></x>", "<!--c--><r><a></r>"}) {
    SCOPED_TRACE(text);
    auto d = Prepared(text, "n");
    ASSERT_EQ(d->nodeType, NodeComment);
    ASSERT_TRUE(d->SetContent(d->mainPos, "longer", 0));
    EXPECT_EQ(d->nodeType, NodeComment);
    EXPECT_EQ(d->nodeOffset, 0);
    EXPECT_EQ(d->nodeLength, 13);
    EXPECT_TRUE(CheckTable(*d));
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
