// Element moves: sibling and child search by name, enter, leave, rewinds.
#include <gtest/gtest.h>

#include "doc_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

// Records are numbered in document order: r=1, a=2, b=3, a=4.
TEST(SeekSiblingElement, VisitsNamedSiblingsInOrderAndStaysOnFailure) {
  auto doc = Parse("<r><a/><b/><a/></r>");
  ASSERT_TRUE(doc->SeekSiblingElement(nullptr));
  ASSERT_TRUE(doc->EnterElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 0, 0, 0}));
  EXPECT_TRUE(doc->SeekSiblingElement("a"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 0, 1}));
  EXPECT_TRUE(doc->SeekSiblingElement("a"));
  EXPECT_EQ(doc->mainPos, 4);
  EXPECT_FALSE(doc->SeekSiblingElement("a"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 4, 0, 1}));
}

TEST(SeekSiblingElement, NameMatchingTable) {
  struct Case {
    const char* text;
    int flags;
    const char* name;
    std::int32_t expectedMain;  // 0: not found
  } cases[] = {
      {"<r><ab/><a/></r>", 0, "a", 3},       // a prefix does not match a longer name
      {"<r><ab/><a/></r>", 0, "ab", 2},
      {"<r><a/></r>", 0, "ab", 0},            // nor a longer request a shorter name
      {"<r><a/></r>", 0, "A", 0},
      {"<r><a/></r>", DocNoCase, "A", 2},
      {"<r><Item/></r>", DocNoCase, "iTEM", 2},
      {"<r><x/><item k='1'/></r>", 0, "item[2]", 3},  // the rest after '[' is not interpreted
      {"<r><x/><item/></r>", 0, "item/x", 3},
      {"<r><x/><item/></r>", 0, "item x", 3},
      {"<r><x/><item/></r>", 0, "item=", 3},
      {"<r><x/><item/></r>", 0, "items", 0},
      {"<r><x/><item/></r>", 0, "item.", 0},
      {"<r><x/><y/></r>", 0, "", 2},          // an empty name takes the next element
      {"<r><x/><y/></r>", 0, nullptr, 2},
      {"<r><a>text</a><b/></r>", 0, "b", 3},
      {"<r><p:x/><x/></r>", 0, "x", 3},       // prefixes are part of the name
      {"<r><p:x/><x/></r>", 0, "p:x", 2},
  };
  for (const Case& c : cases) {
    auto doc = Parse(c.text, c.flags);
    doc->SeekSiblingElement(nullptr);
    doc->EnterElement();
    bool found = doc->SeekSiblingElement(c.name);
    EXPECT_EQ(found, c.expectedMain != 0) << c.text << " / " << (c.name ? c.name : "(null)");
    EXPECT_EQ(doc->mainPos, c.expectedMain) << c.text << " / " << (c.name ? c.name : "(null)");
  }
}

TEST(SeekSiblingElement, NullAndEmptyNameStepToTheNextElement) {
  auto doc = Parse("<r><a/>text<!--c--><b/><c/></r>");
  doc->SeekSiblingElement(nullptr);
  doc->EnterElement();
  EXPECT_TRUE(doc->SeekSiblingElement(nullptr));
  EXPECT_EQ(doc->mainPos, 2);
  EXPECT_TRUE(doc->SeekSiblingElement(""));
  EXPECT_EQ(doc->mainPos, 3);
  EXPECT_TRUE(doc->SeekSiblingElement(nullptr));
  EXPECT_EQ(doc->mainPos, 4);
  EXPECT_FALSE(doc->SeekSiblingElement(""));
  EXPECT_EQ(doc->mainPos, 4);
}

TEST(SeekChildElement, FirstMovesMainToTheFirstElementOfTheLevel) {
  auto doc = Parse("<r><a/><c/><c/></r>");
  EXPECT_TRUE(doc->SeekChildElement("c"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 3, 1}));
  EXPECT_TRUE(doc->SeekChildElement("c"));
  EXPECT_EQ(doc->childPos, 4);
  EXPECT_FALSE(doc->SeekChildElement("c"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 4, 1}));
  EXPECT_FALSE(doc->SeekChildElement(nullptr));  // no sibling after the last child
}

// Inside an element without children there is nothing to find; the place is
// kept (the top-level elements are not searched instead).
TEST(SeekChildElement, InsideAnElementWithoutChildrenFindsNothing) {
  for (const char* name : {"r", "a", "", static_cast<const char*>(nullptr)}) {
    auto doc = Parse("<r><a/></r>");  // r=1, a=2
    ASSERT_TRUE(doc->SeekChildElement("a"));
    ASSERT_TRUE(doc->EnterElement());
    ASSERT_TRUE(doc->EnterElement());
    ASSERT_EQ(PositionsOf(*doc), (Positions{2, 0, 0, 0}));
    EXPECT_FALSE(doc->SeekChildElement(name)) << (name ? name : "null");
    EXPECT_EQ(PositionsOf(*doc), (Positions{2, 0, 0, 0})) << (name ? name : "null");
  }
}

TEST(SeekSiblingElement, ClearsTheCurrentNode) {
  auto doc = Parse("t<r/>");
  ASSERT_EQ(doc->SeekNode(0), NodeText);
  EXPECT_EQ(doc->nodeLength, 1);
  EXPECT_TRUE(doc->SeekSiblingElement(nullptr));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 0, 1}));
  EXPECT_EQ(doc->nodeLength, 0);
  EXPECT_EQ(doc->nodeOffset, 0);
}

TEST(EnterAndLeave, MovePositionsOneLevel) {
  auto doc = Parse("<r><a><b/></a></r>");  // r=1, a=2, b=3
  EXPECT_FALSE(doc->EnterElement());        // no main position
  EXPECT_FALSE(doc->LeaveElement());        // at document level
  ASSERT_TRUE(doc->SeekChildElement("a"));
  EXPECT_TRUE(doc->EnterElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 0, 1}));
  ASSERT_TRUE(doc->SeekChildElement("b"));
  EXPECT_TRUE(doc->EnterElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{2, 3, 0, 1}));
  EXPECT_TRUE(doc->EnterElement());  // into b, which has no child: no main position
  EXPECT_EQ(PositionsOf(*doc), (Positions{3, 0, 0, 0}));
  EXPECT_FALSE(doc->EnterElement());
  EXPECT_TRUE(doc->LeaveElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{2, 3, 0, 1}));
  EXPECT_TRUE(doc->LeaveElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 3, 1}));
  EXPECT_TRUE(doc->LeaveElement());
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 2, 1}));
  EXPECT_FALSE(doc->LeaveElement());
}

TEST(EnterElement, RefusedWhileANodeIsCurrent) {
  auto doc = Parse("<r><a/>tail</r>");
  doc->SeekSiblingElement(nullptr);
  doc->EnterElement();
  ASSERT_EQ(doc->SeekNode(NodeText), NodeText);
  EXPECT_FALSE(doc->EnterElement());
  EXPECT_EQ(doc->nodeType, NodeText);
}

TEST(Rewind, ClearsItsPositions) {
  struct Case {
    void (XmlDocument::*rewind)();
    Positions expected;
  } cases[] = {
      {&XmlDocument::RewindChildren, {1, 2, 0, 1}},
      {&XmlDocument::RewindSiblings, {1, 0, 0, 0}},
      {&XmlDocument::RewindDocument, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    auto doc = Parse("<r><a><b/></a>x</r>");
    doc->SeekChildElement("a");
    doc->EnterElement();
    doc->SeekChildElement("b");
    ASSERT_EQ(PositionsOf(*doc), (Positions{1, 2, 3, 1}));
    (doc.get()->*c.rewind)();
    EXPECT_EQ(PositionsOf(*doc), c.expected);
    EXPECT_EQ(doc->nodeOffset, 0);
    EXPECT_EQ(doc->nodeLength, 0);
  }
}

TEST(SeekSiblingElement, AfterARewindStartsAgainAtTheFirstChild) {
  auto doc = Parse("<r><a/><b/></r>");
  doc->SeekSiblingElement(nullptr);
  doc->EnterElement();
  doc->SeekSiblingElement("b");
  doc->RewindSiblings();
  EXPECT_TRUE(doc->SeekSiblingElement("a"));
  EXPECT_EQ(doc->mainPos, 2);
}

TEST(SeekSiblingElement, EmptyDocumentFindsNothing) {
  auto doc = Parse("");
  EXPECT_FALSE(doc->SeekSiblingElement(nullptr));
  EXPECT_FALSE(doc->SeekChildElement(nullptr));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 0, 0, 0}));
}

}  // namespace
}  // namespace orvel
