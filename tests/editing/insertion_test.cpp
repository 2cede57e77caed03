// Adding elements, markup and nodes: the exact text after each addition, and
// a table that still describes it.
#include <gtest/gtest.h>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

bool Add(XmlDocument& d, const char* name, const char* content, int flags) {
  return d.AddElement(name, content, flags);
}

TEST(AddElement, WritesTheElementWithItsLineBreaks) {
  const EditCase cases[] = {
      {"after main, before the parent's end tag", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return Add(d, "b", "x<y", 0); }, true, "<r><a/><b>x&lt;y</b>\r\n</r>"},
      {"child of an empty-element tag", "<a/>", "s",
       [](XmlDocument& d) { return Add(d, "b", "", AddAsChild); }, true, "<a>\r\n<b/>\r\n</a>"},
      {"child of an element without content", "<a></a>", "s",
       [](XmlDocument& d) { return Add(d, "b", "", AddAsChild); }, true, "<a>\r\n<b/>\r\n</a>"},
      {"child without line breaks", "<a></a>", "s",
       [](XmlDocument& d) { return Add(d, "b", "", AddAsChild | EditNoBreak); }, true, "<a><b/></a>"},
      {"takes the indentation that stood before the next tag", "<r><a/>\r\n  <c/></r>", "ses",
       [](XmlDocument& d) { return Add(d, "b", "", 0); }, true, "<r><a/>\r\n  <b/>\r\n<c/></r>"},
      {"before main", "<r><a/><c/></r>", "sess", [](XmlDocument& d) { return Add(d, "b", "", AddBefore); },
       true, "<r><a/><b/>\r\n<c/></r>"},
      {"first child, in front of text", "<r>t</r>", "s",
       [](XmlDocument& d) { return Add(d, "b", "", AddAsChild | AddBefore); }, true, "<r><b/>\r\nt</r>"},
      {"last child when there is no child position", "<r><a/><b/></r>", "s",
       [](XmlDocument& d) { return Add(d, "c", "1", AddAsChild); }, true, "<r><a/><b/><c>1</c>\r\n</r>"},
      {"after the current node", "<r><a/><!--c--><b/></r>", "sesn",
       [](XmlDocument& d) { return Add(d, "x", "", 0); }, true, "<r><a/><!--c--><x/>\r\n<b/></r>"},
      {"after the root, at the end of the text", "<r/>", "s",
       [](XmlDocument& d) { return Add(d, "s", "", 0); }, true, "<r/><s/>\r\n"},
      {"number content", "<r/>", "s", [](XmlDocument& d) { return d.AddElementNumber("n", -5, AddAsChild); },
       true, "<r>\r\n<n>-5</n>\r\n</r>"},
      {"CDATA content is split at its terminator", "<r/>", "s",
       [](XmlDocument& d) { return Add(d, "d", "a]]>b", AddAsChild | EditCData); }, true,
       "<r>\r\n<d><![CDATA[a]]]]><![CDATA[>b]]></d>\r\n</r>"},
      {"space before the slash", "<r/>", "s",
       [](XmlDocument& d) { return Add(d, "e", nullptr, AddAsChild | EditSpaceSlash); }, true,
       "<r>\r\n<e />\r\n</r>"},
      {"start tag only, then a child of it", "<r></r>", "s",
       [](XmlDocument& d) {
         return Add(d, "a", "", AddAsChild | EditNoEndTag) && d.EnterElement() && Add(d, "b", "", AddAsChild);
       },
       true, "<r>\r\n<a>\r\n<b/>\r\n</a>\r\n</r>"},
      {"references kept", "<r/>", "s",
       [](XmlDocument& d) { return Add(d, "t", "&amp; & <", AddAsChild | EditKeepRefs); }, true,
       "<r>\r\n<t>&amp; &amp; &lt;</t>\r\n</r>"},
      {"replace-content flag is ignored", "<r>old</r>", "s",
       [](XmlDocument& d) { return Add(d, "b", "", AddAsChild | EditReplaceContent); }, true,
       "<r>old<b/>\r\n</r>"},
      {"start tag only with content", "<r/>", "s",
       [](XmlDocument& d) { return Add(d, "a", "x", AddAsChild | EditNoEndTag); }, false, nullptr},
      {"as child without a main element", "<r/>", "",
       [](XmlDocument& d) { return Add(d, "a", "", AddAsChild); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(AddElement, RefusesNamesThatWouldNotReadBackAsOneTagName) {
  for (const char* name : {"", "1a", "-a", "a b", "a\tb", "a>", "a/b", "a=b", "a\"b", "a'b", "a<b"}) {
    SCOPED_TRACE(name);
    auto d = Prepared("<r/>", "s");
    const std::string before = Snapshot(*d);
    EXPECT_FALSE(d->AddElement(name, "x", AddAsChild));
    EXPECT_FALSE(d->AddNode(NodeElement, name, 0));
    EXPECT_EQ(Snapshot(*d), before);
  }
  auto d = Prepared("<r/>", "s");
  EXPECT_FALSE(d->AddElement(nullptr, "x", AddAsChild));
  EXPECT_TRUE(d->AddElement("\xC3\xA9l:x.y-1", "x", AddAsChild));
  EXPECT_TRUE(CheckTable(*d));
}

TEST(AddElement, PositionsFollowTheNewElement) {
  auto d = Prepared("<r><a/></r>", "ses");
  ASSERT_TRUE(d->AddElement("b", "", 0));
  EXPECT_EQ(d->TagName(d->mainPos), "b");
  EXPECT_EQ(d->TagName(d->parentPos), "r");
  ASSERT_TRUE(d->AddElement("c", "", AddAsChild));
  EXPECT_EQ(d->TagName(d->mainPos), "b");
  EXPECT_EQ(d->TagName(d->childPos), "c");
  EXPECT_EQ(d->nodeType, NodeElement);
  EXPECT_TRUE(CheckTable(*d));
}

TEST(AddMarkup, InsertsParsedMarkupAndEntersItsElements) {
  const EditCase cases[] = {
      {"one element, text around it dropped", "<r></r>", "s",
       [](XmlDocument& d) { return d.AddMarkup("  <x a='1'><y/></x>  ", AddAsChild); }, true,
       "<r>\r\n<x a='1'><y/></x>\r\n</r>"},
      {"two elements: both inserted, false", "<r></r>", "s",
       [](XmlDocument& d) { return !d.AddMarkup("<x/><y/>", AddAsChild) && d.childPos != 0; }, true,
       "<r>\r\n<x/><y/>\r\n</r>"},
      {"plain text: inserted without line breaks, false", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddMarkup("hello", 0); }, false, "<r><a/>hello</r>"},
      {"an element not ended: the whole text, false", "<r></r>", "s",
       [](XmlDocument& d) { return d.AddMarkup("<x>", AddAsChild); }, false, "<r><x></r>"},
      {"before main", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("<b/>", AddBefore); },
       true, "<r><b/>\r\n<a/></r>"},
      {"at document level, after the root", "<r/>", "s",
       [](XmlDocument& d) { return d.AddMarkup("<x><y/></x>", 0); }, true, "<r/><x><y/></x>\r\n"},
      {"into an empty-element tag", "<a/>", "s",
       [](XmlDocument& d) { return d.AddMarkup("<b>t</b>", AddAsChild); }, true, "<a>\r\n<b>t</b>\r\n</a>"},
      {"as child without a main element", "<r/>", "",
       [](XmlDocument& d) { return d.AddMarkup("<b/>", AddAsChild); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(AddMarkup, AFragmentThatDoesNotParseLeavesTheDocumentInvalid) {
  auto d = Prepared("<r><a/></r>", "ses");
  ASSERT_TRUE(d->IsDocumentValid());
  EXPECT_FALSE(d->AddMarkup("<x>", 0));
  EXPECT_FALSE(d->IsDocumentValid());
  EXPECT_EQ(d->status, "Element 'x' at offset 0 not ended");
  EXPECT_TRUE(CheckTable(*d));
  auto stray = Prepared("<r><a/></r>", "ses");
  EXPECT_FALSE(stray->AddMarkup("</q>", 0));
  EXPECT_TRUE(stray->Rec(stray->parentPos).Has(ElemInnerError));
  EXPECT_FALSE(stray->IsDocumentValid());
  EXPECT_TRUE(CheckTable(*stray));
}

TEST(AddNode, WritesOneNodeAndMakesItCurrent) {
  const EditCase cases[] = {
      {"comment with a line break", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeComment, "note", 0); }, true, "<r><a/><!--note-->\r\n</r>"},
      {"text, escaped, no line break", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeText, "a<b&c", 0); }, true, "<r><a/>a&lt;b&amp;c</r>"},
      {"instruction before main", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeInstruction, "pi x", AddBefore); }, true,
       "<r><?pi x?>\r\n<a/></r>"},
      {"empty element", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddNode(NodeElement, "e", 0); },
       true, "<r><a/><e/></r>"},
      {"CDATA", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddNode(NodeCData, "<x>", 0); }, true,
       "<r><a/><![CDATA[<x>]]></r>"},
      {"declaration in front of the root", "<r/>", "",
       [](XmlDocument& d) { return d.AddNode(NodeDoctype, "<!DOCTYPE r>", AddBefore); }, true,
       "<!DOCTYPE r>\r\n<r/>"},
      {"into an empty-element parent", "<r/>", "se",
       [](XmlDocument& d) { return d.AddNode(NodeComment, "c", 0); }, true, "<r>\r\n<!--c-->\r\n</r>"},
      {"CDATA holding its terminator", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeCData, "x]]>y", 0); }, false, nullptr},
      {"end tag", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddNode(NodeEndTag, "a", 0); }, false,
       nullptr},
      {"comment holding its terminator", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeComment, "x--><b>", 0); }, false, nullptr},
      {"comment that would close at once", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeComment, ">x", 0); }, false, nullptr},
      {"instruction holding its terminator", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeInstruction, "a?><b/>", 0); }, false, nullptr},
      {"declaration that is an element", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeDoctype, "<b/>", 0); }, false, nullptr},
      {"no node code: nothing written", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(3, "x", 0); }, true, nullptr},
      {"type 0: nothing written", "<r/>", "se", [](XmlDocument& d) { return d.AddNode(0, "x", 0); }, true,
       nullptr},
      {"empty text: nothing written, no current node", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddNode(NodeText, "", 0); }, true, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(AddNode, TheNewNodeIsCurrentWithTheTypeItReadsAs) {
  auto d = Prepared("<r><a/></r>", "ses");
  ASSERT_TRUE(d->AddNode(NodeComment, "note", 0));
  EXPECT_EQ(d->nodeType, NodeComment);
  EXPECT_EQ(d->Content(d->mainPos), "note");
  EXPECT_EQ(d->TagName(d->mainPos), "a");
  // Not white space: text, which runs on over the line break after the
  // comment, as a walk reads it.
  ASSERT_TRUE(d->AddNode(NodeSpace, "x", 0));
  EXPECT_EQ(d->nodeType, NodeText);
  EXPECT_EQ(d->Content(d->mainPos), "x\r\n");
  EXPECT_TRUE(CheckTable(*d));
  ASSERT_TRUE(d->AddNode(NodeText, "  ", AddBefore));  // joins the text it is written into
  EXPECT_EQ(d->text, "<r><a/><!--note-->  x\r\n</r>");
  EXPECT_EQ(d->nodeType, NodeText);
  EXPECT_EQ(d->Content(d->mainPos), "  x\r\n");
  EXPECT_TRUE(CheckTable(*d));
}

TEST(TextRuns, TheCurrentNodeIsTheRunAWalkReads) {
  // A comment between two runs of text taken out: one run, "xy".
  auto joined = Prepared("<r><a/>x<!--c-->y</r>", "se");
  ASSERT_EQ(joined->SeekNode(NodeComment), NodeComment);
  ASSERT_TRUE(joined->DeleteNode());
  EXPECT_EQ(joined->nodeType, NodeText);
  EXPECT_EQ(joined->Content(joined->mainPos), "xy");
  EXPECT_EQ(joined->SeekNode(0), 0);  // nothing after it
  EXPECT_TRUE(CheckTable(*joined));
  // Text after text that ends in '>' stays a node of its own.
  auto apart = Prepared("<r>a><!--c--></r>", "se");
  ASSERT_EQ(apart->SeekNode(NodeText), NodeText);
  ASSERT_TRUE(apart->AddNode(NodeText, "b", 0));
  EXPECT_EQ(apart->nodeOffset, 5);
  EXPECT_EQ(apart->Content(apart->mainPos), "b");
  EXPECT_TRUE(CheckTable(*apart));
}

}  // namespace
}  // namespace test
}  // namespace orvel
