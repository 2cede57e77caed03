// The node walk over start tags that the parser gave no record: a start tag
// beyond the layout limit and elements nested deeper than the level field. The
// walk pairs each start tag it scans with the next record of the sibling
// chain; a tag without record must not take the record of a later element.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc_fixture.h"
#include "engine/element_record.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

struct Step {
  int type;
  std::int32_t offset;  // nodeOffset, or the element's start for an element
  std::string name;
};

bool operator==(const Step& a, const Step& b) {
  return a.type == b.type && a.offset == b.offset && a.name == b.name;
}

void PrintTo(const Step& s, std::ostream* os) { *os << "{" << s.type << " @" << s.offset << " '" << s.name << "'}"; }

// SeekNode(mask) until it returns 0; one step per node found.
std::vector<Step> Walk(XmlDocument& doc, int mask) {
  std::vector<Step> steps;
  for (int guard = 0; guard < 100; ++guard) {
    const int type = doc.SeekNode(mask);
    if (type == 0) break;
    const std::int32_t at = type == NodeElement ? doc.Rec(doc.mainPos).start : doc.nodeOffset;
    steps.push_back({type, at, doc.ReadNodeName()});
  }
  return steps;
}

// <r><a k='...'>x</a>t<b/>u</r> with a start tag of a longer than the layout allows.
std::string LongStartTagDocument() {
  return "<r><a k='" + std::string(kMaxStartTagLength, 'v') + "'>x</a>t<b/>u</r>";
}

TEST(UnrecordedStartTag, TooLongTagIsMalformedMarkupAndTheNextElementKeepsItsPlace) {
  const std::string text = LongStartTagDocument();
  const std::int32_t x = static_cast<std::int32_t>(text.find(">x<")) + 1;
  const std::int32_t b = static_cast<std::int32_t>(text.find("<b/>"));
  auto doc = InsideRoot(text);
  ASSERT_EQ(doc->recordCount, 3);  // r and b only
  const std::vector<Step> expected = {
      {NodeBadMarkup, 3, ""}, {NodeText, x, "#text"}, {NodeEndTag, x + 1, "a"},
      {NodeText, b - 1, "#text"}, {NodeElement, b, "b"}, {NodeText, b + 4, "#text"},
  };
  EXPECT_EQ(Walk(*doc, 0), expected);
  EXPECT_EQ(doc->mainPos, 2);

  // A mask that asks for elements only finds b, at b.
  doc = InsideRoot(text);
  EXPECT_EQ(Walk(*doc, NodeElement), (std::vector<Step>{{NodeElement, b, "b"}}));
  // Texts only: the text after b is reached with b as the element before it.
  doc = InsideRoot(text);
  EXPECT_EQ(Walk(*doc, NodeText),
            (std::vector<Step>{{NodeText, x, "#text"}, {NodeText, b - 1, "#text"}, {NodeText, b + 4, "#text"}}));
  EXPECT_EQ(doc->mainPos, 2);
}

TEST(UnrecordedStartTag, ElementsBelowTheDeepestLevelAreWalkedAsOpaqueContent) {
  // One level more than the level field holds: the innermost e gets no record.
  const int levels = kMaxLevel + 2;
  std::string text;
  for (int i = 0; i < levels; ++i) text += "<e>";
  text += "t";
  for (int i = 0; i < levels; ++i) text += "</e>";
  auto doc = Parse(text);
  const std::int32_t deepest = doc->recordCount - 1;
  ASSERT_EQ(doc->Rec(deepest).Level(), kMaxLevel);
  ASSERT_EQ(doc->Rec(deepest).firstChild, 0);

  doc->SetPositions(deepest, 0, 0);  // inside the deepest recorded element
  const std::int32_t inner = doc->Rec(deepest).start + 3;
  const std::vector<Step> expected = {
      {NodeBadMarkup, inner, ""}, {NodeText, inner + 3, "#text"}, {NodeEndTag, inner + 4, "e"}};
  EXPECT_EQ(Walk(*doc, 0), expected);
  EXPECT_EQ(doc->mainPos, 0);
}

}  // namespace
}  // namespace orvel
