// SeekNode: the node walk over a parent's own content.
#include <gtest/gtest.h>

#include <string>

#include "doc_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

TEST(SeekNode, StepsThroughTextCommentElementThenStops) {
  auto doc = InsideRoot("<r>x<!--c--><a/></r>");
  EXPECT_EQ(doc->SeekNode(0), NodeText);
  EXPECT_EQ(doc->ReadNodeName(), "#text");
  EXPECT_EQ(doc->nodeOffset, 3);
  EXPECT_EQ(doc->nodeLength, 1);
  EXPECT_EQ(doc->SeekNode(0), NodeComment);
  EXPECT_EQ(doc->SeekNode(0), NodeElement);
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 0, 1}));
  EXPECT_EQ(doc->SeekNode(0), 0);
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 0, 1}));
}

TEST(SeekNode, MaskSkipsOtherNodesAndWholeChildElements) {
  auto doc = InsideRoot("<r>x<!--c--><a/></r>");
  EXPECT_EQ(doc->SeekNode(NodeComment), NodeComment);
  EXPECT_EQ(doc->nodeOffset, 4);

  // Text and comments inside a child element are never reported for its parent.
  doc = InsideRoot("<r><a>inner<!--in--></a>outer<!--out--></r>");
  EXPECT_EQ(doc->SeekNode(NodeText), NodeText);
  EXPECT_EQ(doc->Content(doc->mainPos), "outer");
  EXPECT_EQ(doc->mainPos, 2);  // the element stepped over becomes main
  EXPECT_EQ(doc->SeekNode(NodeComment), NodeComment);
  EXPECT_EQ(doc->Content(doc->mainPos), "out");
  const Positions before = PositionsOf(*doc);
  const std::int32_t offset = doc->nodeOffset;
  EXPECT_EQ(doc->SeekNode(NodeText), 0);
  EXPECT_EQ(PositionsOf(*doc), before);
  EXPECT_EQ(doc->nodeOffset, offset);

  doc = InsideRoot("<r><a><!--x--></a></r>");
  EXPECT_EQ(doc->SeekNode(NodeComment), 0);

  doc = InsideRoot("<r><a/>t<b/><c/></r>");
  EXPECT_EQ(doc->SeekNode(NodeElement), NodeElement);
  EXPECT_EQ(doc->mainPos, 2);
  EXPECT_EQ(doc->SeekNode(NodeElement | NodeComment), NodeElement);
  EXPECT_EQ(doc->mainPos, 3);
}

TEST(SeekNode, BareParentHasNoNodes) {
  auto doc = InsideRoot("<r/>");
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 0, 0, 0}));
  EXPECT_EQ(doc->SeekNode(0), 0);
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 0, 0, 0}));
}

// One line per visited node: type, ReadNodeName, ReadContent of the main position.
std::string Trace(XmlDocument& doc) {
  std::string out;
  WalkAll(doc, [&](int type) {
    out += std::to_string(type) + " " + doc.ReadNodeName() + " [" + doc.Content(doc.mainPos) + "]\n";
  });
  return out;
}

TEST(SeekNode, FullWalkOverMixedContent) {
  struct Case {
    const char* text;
    const char* trace;
  } cases[] = {
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE r>\n<r a=\"1\">x &amp; y<![CDATA[<c>]]><!--note--><?pi data?>"
       "<e/><f>t</f></r>\n",
       "16 xml [xml version=\"1.0\"]\n"
       "4 #text [\n]\n"
       "64 r [<!DOCTYPE r>]\n"
       "4 #text [\n]\n"
       "1 r []\n"
       "2 #text [x & y]\n"
       "8 #cdata-section [<c>]\n"
       "32 #comment [note]\n"
       "16 pi [pi data]\n"
       "1 e []\n"
       "1 f [t]\n"
       "2 #text [t]\n"
       "4 #text [\n]\n"},
      // A stray end tag and malformed markup are nodes of their own.
      {"<r>a</x>b<1>c</r>",
       "1 r [abc]\n"
       "2 #text [a]\n"
       "128 x [x]\n"
       "2 #text [b]\n"
       "32768  [<1>]\n"
       "2 #text [c]\n"},
      {"<!DOCTYPE doc [ <!ELEMENT doc ANY> ]><doc>\r\n <i/>\r\n</doc>",
       "64 doc [<!DOCTYPE doc [ <!ELEMENT doc ANY> ]>]\n"
       "1 doc []\n"
       "4 #text [\r\n ]\n"
       "1 i []\n"
       "4 #text [\r\n]\n"},
      {"lead<r/>trail", "2 #text [lead]\n1 r []\n2 #text [trail]\n"},
      {"", ""},
  };
  for (const Case& c : cases) {
    auto doc = Parse(c.text);
    EXPECT_EQ(Trace(*doc), c.trace) << c.text;
  }
}

TEST(SeekNode, EndTagNodeReadsItsName) {
  auto doc = InsideRoot("<r><a>x</b ></a></r>");
  ASSERT_TRUE(doc->SeekSiblingElement("a"));
  ASSERT_TRUE(doc->EnterElement());  // into a: parent a, no main
  EXPECT_EQ(doc->SeekNode(NodeEndTag), NodeEndTag);
  EXPECT_EQ(doc->ReadNodeName(), "b");
  EXPECT_EQ(doc->Content(doc->mainPos), "b ");
  EXPECT_EQ(doc->SeekNode(0), 0);  // a's own end tag ends the walk
}

}  // namespace
}  // namespace orvel
