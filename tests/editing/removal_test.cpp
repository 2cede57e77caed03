// Removing elements and nodes: the text after each removal, what stands in
// the removed one's place, and the error flags a removal can clear.
#include <gtest/gtest.h>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

TEST(Delete, RemovesTheElementOrNodeAndTheSpaceThatBelongsToIt) {
  const EditCase cases[] = {
      {"first child with the white space before the next tag", "<a><b/>\r\n  <c/></a>", "ses",
       [](XmlDocument& d) { return d.DeleteElement() && d.mainPos == 0; }, true, "<a><c/></a>"},
      {"white space before text stays", "<a><b/> t<c/></a>", "ses",
       [](XmlDocument& d) { return d.DeleteElement(); }, true, "<a> t<c/></a>"},
      {"later child: the previous sibling becomes main", "<a><b/><c><d/></c></a>", "sess",
       [](XmlDocument& d) { return d.DeleteElement() && d.TagName(d.mainPos) == "b"; }, true, "<a><b/></a>"},
      {"child element", "<a><b/><c/></a>", "scc",
       [](XmlDocument& d) { return d.DeleteChildElement() && d.TagName(d.childPos) == "b"; }, true, "<a><b/></a>"},
      {"comment node", "<r><a/>\r\n<!--c--><b/></r>", "sesnn", [](XmlDocument& d) { return d.DeleteNode(); }, true,
       "<r><a/>\r\n<b/></r>"},
      {"main element as a node: its bytes only", "<r><a/> <b/></r>", "ses",
       [](XmlDocument& d) { return d.DeleteNode(); }, true, "<r> <b/></r>"},
      {"root element", "<?xml version='1.0'?>\r\n<r><a/></r>\r\n", "s",
       [](XmlDocument& d) { return d.DeleteElement(); }, true, "<?xml version='1.0'?>\r\n"},
      {"nothing to delete", "<r/>", "", [](XmlDocument& d) { return d.DeleteElement() || d.DeleteNode(); }, false,
       nullptr},
      {"no child position", "<r><a/></r>", "s", [](XmlDocument& d) { return d.DeleteChildElement(); }, false, nullptr},
      {"a current node is not the main element", "<r><a/><!--c--></r>", "sesn",
       [](XmlDocument& d) { return d.DeleteElement(); }, false, nullptr},
  };
  RunEditCases(cases, sizeof cases / sizeof cases[0]);
}

TEST(DeleteNode, TheNodeBeforeTheRemovedOneBecomesCurrent) {
  auto d = Prepared("<r><a/>\r\n<!--c--><b/></r>", "sesnn");
  ASSERT_EQ(d->nodeType, NodeComment);
  ASSERT_TRUE(d->DeleteNode());
  EXPECT_EQ(d->nodeType, NodeSpace);
  EXPECT_EQ(d->nodeOffset, 7);
  EXPECT_EQ(d->nodeLength, 2);
  EXPECT_EQ(d->TagName(d->mainPos), "a");
  ASSERT_TRUE(d->DeleteNode());  // the line break; a is current again
  EXPECT_EQ(d->nodeType, NodeElement);
  EXPECT_EQ(d->nodeLength, 0);
  EXPECT_EQ(d->text, "<r><a/><b/></r>");
  EXPECT_TRUE(CheckTable(*d));
}

TEST(DeleteNode, ReportsAnEndTagOrMalformedMarkupInFrontWithItsWalkType) {
  auto d = Prepared("<r>x</q><!--c--></r>", "sennn");
  ASSERT_EQ(d->nodeType, NodeComment);
  ASSERT_TRUE(d->DeleteNode());
  EXPECT_EQ(d->nodeType, NodeEndTag);
  EXPECT_EQ(d->ReadNodeName(), "q");
  auto bad = Prepared("<r>< x><!--c--></r>", "senn");
  ASSERT_EQ(bad->nodeType, NodeComment);
  ASSERT_TRUE(bad->DeleteNode());
  EXPECT_EQ(bad->nodeType, NodeBadMarkup);
}

TEST(DeleteNode, RemovingTheOnlyErrorMakesTheDocumentWellFormedAgain) {
  const char* const texts[] = {"<r>x</q></r>", "<r>x< y></r>", "<r/></q>"};
  const char* const moves[] = {"senn", "senn", "sn"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(texts[i]);
    auto d = Prepared(texts[i], moves[i]);
    ASSERT_FALSE(d->IsDocumentValid());
    ASSERT_TRUE(d->nodeType == NodeEndTag || d->nodeType == NodeBadMarkup);
    ASSERT_TRUE(d->DeleteNode());
    EXPECT_TRUE(d->IsDocumentValid());
    EXPECT_TRUE(CheckTable(*d));
  }
  auto two = Prepared("<r>x</q></p></r>", "senn");
  ASSERT_TRUE(two->DeleteNode());
  EXPECT_FALSE(two->IsDocumentValid());  // the second stray end tag is still there
  EXPECT_TRUE(CheckTable(*two));
}

TEST(DeleteElement, RemovesMarksOfTheRemovedSubtreeOnly) {
  auto d = Prepared("<r><a><b/></a><c/></r>", "ses");
  ASSERT_TRUE(d->MarkPosition("a"));
  ASSERT_TRUE(d->EnterElement() && d->SeekSiblingElement("b") && d->MarkPosition("b"));
  d->RewindDocument();
  ASSERT_TRUE(d->SeekSiblingElement("r") && d->MarkPosition("r"));
  ASSERT_TRUE(d->EnterElement() && d->SeekSiblingElement("c"));
  ASSERT_TRUE(d->MarkPosition("c"));
  ASSERT_TRUE(d->ReturnToMark("a") && d->DeleteElement());
  EXPECT_FALSE(d->ReturnToMark("a"));
  EXPECT_FALSE(d->ReturnToMark("b"));
  EXPECT_TRUE(d->ReturnToMark("c"));
  EXPECT_EQ(d->TagName(d->mainPos), "c");
  EXPECT_TRUE(d->ReturnToMark("r"));
  EXPECT_TRUE(CheckTable(*d));
}

}  // namespace
}  // namespace test
}  // namespace orvel
