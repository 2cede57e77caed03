// Edits whose input does not parse cleanly: fragments with errors, names
// that end early where names are read, start tags without end tags, documents
// that end in an unterminated construct or hold errors. After each, the table
// must be what a parse of the new text records (RunEditCases checks it), and
// the next edit must land where a reader of the text expects it.
#include <gtest/gtest.h>

#include <string>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

TEST(BrokenFragments, AreWrittenAndReportedButTheTableFollowsTheText) {
  const EditCase cases[] = {
      {"end tag of an ancestor", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("</r>", 0); },
       false, "<r><a/></r></r>"},
      {"unended start tag", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("<x", 0); }, false,
       "<r><a/><x</r>"},
      {"start tag that only looks empty", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddMarkup("<m b/>", 0); }, false, "<r><a/><m b/></r>"},
      {"open comment", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("<!--", AddAsChild); },
       false, "<r><a><!--</a></r>"},
      {"open CDATA section", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("<![CDATA[", 0); },
       false, "<r><a/><![CDATA[</r>"},
      {"open instruction", "<r><a/></r>", "ses",
       [](XmlDocument& d) { return d.AddMarkup("<?pi", AddBefore); }, false, "<r><?pi<a/></r>"},
      {"open attribute value", "<r><a/></r>", "ses", [](XmlDocument& d) { return d.AddMarkup("<x y='", 0); },
       false, "<r><a/><x y='</r>"},
      {"inner markup closing its element early", "<r><a>t</a></r>", "ses",
       [](XmlDocument& d) { return d.SetInnerMarkup("</a><b>"); }, false, "<r><a></a><b></a></r>"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(BrokenFragments, TheNextEditLandsWhereTheTextSays) {
  auto d = Prepared("<r><a/></r>", "ses");
  EXPECT_FALSE(d->AddMarkup("</r>", 0));
  EXPECT_FALSE(d->IsDocumentValid());
  ASSERT_TRUE(d->LeaveElement());
  ASSERT_TRUE(d->AddElement("x", "", AddAsChild));
  EXPECT_EQ(d->text, "<r><a/><x/>\r\n</r></r>");  // inside r, for every reader
  EXPECT_EQ(d->TagName(d->mainPos), "r");
  EXPECT_EQ(d->TagName(d->childPos), "x");
  EXPECT_TRUE(CheckTable(*d));
  // Markup assembled in pieces: each piece alone is reported, but the second
  // ends the element the first began, and the document is whole again.
  auto pieces = Prepared("<r/>", "s");
  EXPECT_FALSE(pieces->AddMarkup("<a>", AddAsChild));
  EXPECT_FALSE(pieces->IsDocumentValid());
  EXPECT_FALSE(pieces->AddMarkup("</a>", AddAsChild));
  EXPECT_EQ(pieces->text, "<r><a></a></r>");
  EXPECT_TRUE(pieces->IsDocumentValid());
  EXPECT_TRUE(CheckTable(*pieces));
}

TEST(ElementNames, ThatDoNotReadBackAsOneNameAreRefused) {
  for (const char* name :
       {"a!b", "a?b", "a\\b", "a\nb", "a\rb", "a\tb", "a b", "a/b", "a>b", "a=b", "a<b", "a'b"}) {
    SCOPED_TRACE(name);
    const EditCase cases[] = {
        {"element", "<r><a/></r>", "ses", [name](XmlDocument& d) { return d.AddElement(name, "t", 0); },
         false, nullptr},
        {"empty element node", "<r><a/></r>", "ses",
         [name](XmlDocument& d) { return d.AddNode(NodeElement, name, 0); }, false, nullptr},
    };
    RunEditCases(cases, sizeof cases / sizeof cases[0]);
  }
}

TEST(ElementNames, ParsedWithOddBytesKeepTheirStructure) {
  const EditCase cases[] = {
      {"end tag of a bare parent", "<r><x\\y/></r>", "ses",
       [](XmlDocument& d) { return d.AddElement("c", "", AddAsChild); }, true,
       "<r><x\\y>\r\n<c/>\r\n</x\\y></r>"},
      {"content of a bare element", "<a?b/>", "s",
       [](XmlDocument& d) { return d.SetContent(d.mainPos, "t", 0); }, true, "<a?b>t</a?b>"},
      {"attribute that would split the name", "<a?b><c/></a?b>", "s",
       [](XmlDocument& d) { return d.SetAttribute(d.mainPos, "k", "v"); }, false, nullptr},
      {"attribute after a name the reads take whole", "<x\\y/>", "s",
       [](XmlDocument& d) { return d.SetAttribute(d.mainPos, "k", "v"); }, true, "<x\\y k=\"v\"/>"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(NoEndTag, TheTableIsWhatAParseOfTheTextRecords) {
  const EditCase cases[] = {
      {"into a bare parent", "<r/>", "s",
       [](XmlDocument& d) { return d.AddElement("x", "", EditNoEndTag | AddAsChild); }, true,
       "<r>\r\n<x>\r\n</r>"},
      {"named as its parent: it would take the end tag and stand outside", "<r/>", "s",
       [](XmlDocument& d) { return d.AddElement("r", "", EditNoEndTag | AddAsChild); }, false, nullptr},
      {"before siblings it then holds", "<r><a/><b/></r>", "ses",
       [](XmlDocument& d) { return d.AddElement("x", "", EditNoEndTag | AddBefore); }, true,
       "<r><x>\r\n<a/><b/></r>"},
      {"before a stray end tag", "<r><a/></x></r>", "ses",
       [](XmlDocument& d) { return d.AddElement("x", "", EditNoEndTag); }, true, "<r><a/><x>\r\n</x></r>"},
      {"with content", "<r/>", "s", [](XmlDocument& d) { return d.AddElement("x", "t", EditNoEndTag); },
       false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
  auto d = Prepared("<r/>", "s");
  ASSERT_TRUE(d->AddElement("x", "", EditNoEndTag | AddAsChild));
  EXPECT_FALSE(d->IsDocumentValid());
  EXPECT_TRUE(d->Rec(d->childPos).Has(ElemOpen));
  ASSERT_TRUE(d->EnterElement());
  ASSERT_TRUE(d->AddElement("y", "", AddAsChild));  // x gets its end tag
  EXPECT_EQ(d->text, "<r>\r\n<x>\r\n<y/>\r\n</x>\r\n</r>");
  EXPECT_TRUE(d->IsDocumentValid());
  EXPECT_TRUE(CheckTable(*d));
}

TEST(UnterminatedTails, AdditionsAtTheEndGoInFrontOfThem) {
  const EditCase cases[] = {
      {"comment", "<r/><!-- tail", "", [](XmlDocument& d) { return d.AddElement("x", "", 0); }, true,
       "<r/><x/>\r\n<!-- tail"},
      {"lone '<'", "<r/><", "", [](XmlDocument& d) { return d.AddElement("x", "", 0); }, true,
       "<r/><x/>\r\n<"},
      {"instruction", "<r/>\r\n<?pi", "", [](XmlDocument& d) { return d.AddNode(NodeComment, "c", 0); }, true,
       "<r/>\r\n<!--c-->\r\n<?pi"},
      {"CDATA section", "<r/><![CDATA[", "", [](XmlDocument& d) { return d.AddMarkup("<x/>", 0); }, true,
       "<r/><x/>\r\n<![CDATA["},
      {"after the tail itself: it would swallow the element", "<r/><!-- tail", "n",
       [](XmlDocument& d) {
         d.SeekNode(NodeBadMarkup);
         return d.AddElement("x", "", 0);
       },
       false, "<r/><!-- tail"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(Validity, IsRestoredWhenAnEditMendsTheText) {
  const EditCase cases[] = {
      {"content for an unended element", "<r><a></r>", "sc",
       [](XmlDocument& d) { return d.SetChildContent("t", 0); }, true, "<r><a>t</a></r>"},
      {"a child for an unended element", "<r><a></r>", "sce",
       [](XmlDocument& d) { return d.AddElement("b", "", AddAsChild); }, true, "<r><a>\r\n<b/>\r\n</a></r>"},
      {"markup into an unended element", "<r><a></r>", "sce",
       [](XmlDocument& d) { return d.AddMarkup("<b/>", AddAsChild); }, true, "<r><a>\r\n<b/>\r\n</a></r>"},
      {"inner markup of an unended element", "<r><a></r>", "sce",
       [](XmlDocument& d) { return d.SetInnerMarkup("x"); }, true, "<r><a>x</a></r>"},
      {"content over a stray end tag", "<r><a>x</q></a></r>", "sc",
       [](XmlDocument& d) { return d.SetChildContent("y", 0); }, true, "<r><a>y</a></r>"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
  for (const EditCase& c : cases) {
    auto d = Prepared(c.text, c.moves);
    ASSERT_FALSE(d->IsDocumentValid());
    c.edit(*d);
    EXPECT_TRUE(d->IsDocumentValid()) << c.what;
  }
}

TEST(Validity, FollowsTheFlagsTheNamesAreComparedWith) {
  auto d = Prepared("<R><a></A></r>", "s");
  ASSERT_FALSE(d->IsDocumentValid());
  d->docFlags = DocNoCase;  // as SetDocumentFlags sets it: the table stays until the next edit
  ASSERT_TRUE(d->SetAttribute(d->mainPos, "k", "v"));
  EXPECT_TRUE(d->IsDocumentValid());
  EXPECT_TRUE(CheckTable(*d));
}

TEST(LineBreaks, MarkupAddedAtTheEndFollowsTheLastLineBreak) {
  const EditCase cases[] = {
      {"after the root", "<r/>\r\n", "s", [](XmlDocument& d) { return d.AddElement("s", "", 0); }, true,
       "<r/>\r\n<s/>\r\n"},
      {"no position", "<r/>\r\n", "", [](XmlDocument& d) { return d.AddElement("s", "", 0); }, true,
       "<r/>\r\n<s/>\r\n"},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(Records, AddingAndDeletingMarkupLosesNone) {
  auto d = Prepared("<r><a/></r>", "s");
  ASSERT_TRUE(d->AddMarkup("<m><n/></m>", AddAsChild));
  ASSERT_TRUE(d->DeleteChildElement());
  const std::int32_t steady = d->recordCount;
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(d->AddMarkup("<m><n/></m>", AddAsChild));
    ASSERT_TRUE(d->DeleteChildElement());
  }
  EXPECT_EQ(d->recordCount, steady);
  EXPECT_TRUE(CheckTable(*d));
}

}  // namespace
}  // namespace test
}  // namespace orvel
