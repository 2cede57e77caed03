// Edits the records could not describe are refused whole: a start tag of
// 1 MiB, an end tag over 511 bytes, a level past 65,535. And the fix-up
// routines keep working where the input has no bound: deep subtrees.
#include <gtest/gtest.h>

#include <string>

#include "edit_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace test {
namespace {

void ExpectRefused(XmlDocument& d, const Edit& edit) {
  const std::string before = Snapshot(d);
  EXPECT_FALSE(edit(d));
  EXPECT_EQ(Snapshot(d), before);
}

TEST(EditLimits, StartTagsStayBelowOneMebibyte) {
  auto d = Prepared("<r><a/><b/></r>", "ses");
  const std::size_t fits = kMaxStartTagLength - 9;  // <a v="..."/>
  ExpectRefused(
      *d, [&](XmlDocument& x) { return x.SetAttribute(x.mainPos, "v", std::string(fits + 1, 'x').c_str()); });
  EXPECT_TRUE(d->SetAttribute(d->mainPos, "v", std::string(fits, 'x').c_str()));
  EXPECT_EQ(d->Rec(d->mainPos).StartTagLength(), kMaxStartTagLength);
  ExpectRefused(*d, [](XmlDocument& x) { return x.SetAttribute(x.mainPos, "w", ""); });
  EXPECT_TRUE(CheckTable(*d));
  const std::string longName(kMaxStartTagLength - 2, 'n');  // "<" name "/>" is one byte too many
  ExpectRefused(*d, [&](XmlDocument& x) { return x.AddElement(longName.c_str(), "", 0); });
  ExpectRefused(*d, [&](XmlDocument& x) { return x.AddNode(NodeElement, longName.c_str(), 0); });
}

TEST(EditLimits, EndTagsStayWithin511Bytes) {
  const std::string fits(508, 'e'), over(509, 'e');
  auto d = Prepared("<r/>", "s");
  EXPECT_TRUE(d->AddElement(fits.c_str(), "x", AddAsChild));
  ExpectRefused(*d, [&](XmlDocument& x) { return x.AddElement(over.c_str(), "x", AddAsChild); });
  EXPECT_TRUE(CheckTable(*d));
  // A parent written as a bare tag needs an end tag once it has content.
  const std::string bare = "<r><" + over + "/></r>";
  auto p = Prepared(bare.c_str(), "ses");
  ExpectRefused(*p, [](XmlDocument& x) { return x.AddElement("c", "", AddAsChild); });
  ExpectRefused(*p, [](XmlDocument& x) { return x.AddMarkup("<c/>", AddAsChild); });
  ExpectRefused(*p, [](XmlDocument& x) { return x.SetContent(x.mainPos, "t", 0); });
  ExpectRefused(*p, [](XmlDocument& x) { return x.SetInnerMarkup("<c/>"); });
  ASSERT_TRUE(p->EnterElement());
  ExpectRefused(*p, [](XmlDocument& x) { return x.AddNode(NodeComment, "c", 0); });
}

TEST(EditLimits, LevelsStayBelow65536) {
  const int depth = kMaxLevel + 1;  // levels 0 .. 65,535
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<a>";
  for (int i = 0; i < depth; ++i) text += "</a>";
  auto d = Prepared(text.c_str(), "s");
  ASSERT_TRUE(d->IsDocumentValid());
  for (int i = 1; i < depth; ++i) ASSERT_TRUE(d->SeekChildElement(nullptr) && d->EnterElement());
  ASSERT_EQ(d->Rec(d->mainPos).Level(), kMaxLevel);
  ExpectRefused(*d, [](XmlDocument& x) { return x.AddElement("b", "", AddAsChild); });
  ExpectRefused(*d, [](XmlDocument& x) { return x.AddMarkup("<b/>", AddAsChild); });
  ExpectRefused(*d, [](XmlDocument& x) { return x.SetInnerMarkup("<b/>"); });
  EXPECT_TRUE(d->AddElement("b", "", 0));  // a sibling is fine
  ASSERT_TRUE(d->EnterElement());
  ExpectRefused(*d, [](XmlDocument& x) { return x.AddNode(NodeElement, "b", 0); });
  EXPECT_TRUE(d->AddNode(NodeComment, "deep", 0));
}

TEST(EditLimits, FragmentsPastALimitAreRefusedWhole) {
  const std::string longTag = "<x v=\"" + std::string(kMaxStartTagLength, 'v') + "\"/>";
  const std::string name(509, 'e'), longEnd = "<" + name + ">t</" + name + ">";
  std::string deep;
  for (int i = 0; i <= kMaxLevel; ++i) deep += "<b>";
  for (int i = 0; i <= kMaxLevel; ++i) deep += "</b>";
  for (const std::string* fragment : std::initializer_list<const std::string*>{&longTag, &longEnd, &deep}) {
    auto d = Prepared("<r><a/></r>", "ses");
    ExpectRefused(*d, [&](XmlDocument& x) { return x.AddMarkup(fragment->c_str(), 0); });
    ExpectRefused(*d, [&](XmlDocument& x) { return x.SetInnerMarkup(fragment->c_str()); });
    EXPECT_TRUE(CheckTable(*d));
  }
}

TEST(DeepSubtrees, AreReleasedAndShiftedWithoutRecursion) {
  const int depth = 60000;
  std::string inner;
  for (int i = 0; i < depth; ++i) inner += "<d>";
  for (int i = 0; i < depth; ++i) inner += "</d>";
  const std::string text = "<r><a/>" + inner + "</r>";
  auto d = Prepared(text.c_str(), "ses");
  ASSERT_TRUE(d->SetAttribute(d->mainPos, "k", "v"));  // every deep record moves
  ASSERT_TRUE(d->SeekSiblingElement("d"));
  ASSERT_TRUE(d->DeleteElement());
  EXPECT_EQ(d->text, "<r><a k=\"v\"/></r>");
  std::int32_t freed = 0;
  for (std::int32_t f = d->freeHead; f != 0; f = d->Rec(f).nextSibling) ++freed;
  EXPECT_EQ(freed, depth);
  EXPECT_TRUE(CheckTable(*d));
  d->RewindDocument();
  ASSERT_TRUE(d->SeekSiblingElement(nullptr));
  ASSERT_TRUE(d->SetInnerMarkup(inner.c_str()));  // takes the released records back
  freed = 0;
  for (std::int32_t f = d->freeHead; f != 0; f = d->Rec(f).nextSibling) ++freed;
  EXPECT_EQ(freed, 2);  // the parse's placeholder and the replaced child a
  EXPECT_TRUE(CheckTable(*d));
}

TEST(TableChecker, CatchesPositionsAndMarksThatNameReleasedRecords) {
  auto d = Prepared("<r><a/><b/></r>", "ses");
  const std::int32_t a = d->mainPos;
  ASSERT_TRUE(d->MarkPosition("m"));
  ASSERT_TRUE(d->SeekSiblingElement("b") && d->DeleteElement());
  EXPECT_TRUE(CheckTable(*d));
  d->ReleaseRecord(a);  // behind the operations' back
  EXPECT_FALSE(CheckTable(*d));
  auto m = Prepared("<r><a/><b/></r>", "ses");
  ASSERT_TRUE(m->MarkPosition("m"));
  m->marks->buckets[0].reset();
  for (auto& bucket : m->marks->buckets)
    if (bucket) bucket[0].saved = m->recordCount;  // a record not in the tree
  EXPECT_FALSE(CheckTable(*m));
}

TEST(TableChecker, CatchesLostRecordsAndACurrentNodeNoWalkReads) {
  auto lost = Prepared("<r><a/><b/></r>", "ses");
  ASSERT_TRUE(lost->DeleteElement());
  EXPECT_TRUE(CheckTable(*lost));
  lost->freeHead = lost->Rec(lost->freeHead).nextSibling;  // dropped from the free chain
  EXPECT_FALSE(CheckTable(*lost));
  auto node = Prepared("<r><a/>xy<!--c--></r>", "se");
  ASSERT_EQ(node->SeekNode(NodeText), NodeText);
  EXPECT_TRUE(CheckTable(*node));
  node->nodeLength = 1;  // "x" alone: the walk reads "xy"
  EXPECT_FALSE(CheckTable(*node));
}

}  // namespace
}  // namespace test
}  // namespace orvel
