// Named marks: saving and returning, bucket growth, a re-parse drops them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doc_fixture.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

int ByteSumBucket(const std::string& name) {
  unsigned sum = 0;
  for (unsigned char c : name) sum += c;
  return static_cast<int>(sum % 7);
}

// Number of entries of a bucket array: up to and including the MarkLast entry.
int BucketSize(const XmlDocument& doc, int bucket) {
  const MarkEntry* entries = doc.marks->buckets[bucket].get();
  if (entries == nullptr) return 0;
  int n = 1;
  while ((entries[n - 1].flags & MarkLast) == 0) ++n;
  return n;
}

TEST(Marks, SaveAndReturnEachKindOfPosition) {
  auto doc = Parse("<r><a><b/></a><c/></r>");  // r=1 a=2 b=3 c=4
  doc->SeekChildElement("a");                  // main r, child a
  ASSERT_TRUE(doc->MarkPosition("child"));
  doc->EnterElement();                          // parent r, main a
  ASSERT_TRUE(doc->MarkPosition("main"));
  doc->EnterElement();                          // parent a, no main
  ASSERT_TRUE(doc->MarkPosition("parent"));
  doc->RewindDocument();

  ASSERT_TRUE(doc->ReturnToMark("child"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 2, 1}));
  ASSERT_TRUE(doc->ReturnToMark("main"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{1, 2, 0, 1}));
  ASSERT_TRUE(doc->ReturnToMark("parent"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{2, 0, 0, 0}));
  EXPECT_TRUE(doc->SeekSiblingElement("b"));  // the walk goes on from the mark
  EXPECT_EQ(doc->mainPos, 3);
}

TEST(Marks, ReturnClearsTheCurrentNode) {
  auto doc = Parse("<r>t<a/></r>");
  doc->SeekSiblingElement(nullptr);
  doc->MarkPosition("m");
  doc->EnterElement();
  ASSERT_EQ(doc->SeekNode(0), NodeText);
  ASSERT_TRUE(doc->ReturnToMark("m"));
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 1, 0, 1}));
  EXPECT_EQ(doc->nodeLength, 0);
  EXPECT_EQ(doc->nodeOffset, 0);
}

TEST(Marks, FailuresChangeNothing) {
  auto doc = Parse("<r><a/></r>");
  EXPECT_FALSE(doc->ReturnToMark("none"));  // no table yet
  EXPECT_FALSE(doc->MarkPosition(nullptr));
  EXPECT_EQ(doc->marks, nullptr);
  doc->SeekChildElement("a");
  ASSERT_TRUE(doc->MarkPosition("a"));
  const Positions here = PositionsOf(*doc);
  EXPECT_FALSE(doc->ReturnToMark(nullptr));
  EXPECT_FALSE(doc->ReturnToMark("A"));    // names compare with case
  EXPECT_FALSE(doc->ReturnToMark("a "));   // and whole
  EXPECT_FALSE(doc->ReturnToMark(""));
  EXPECT_EQ(PositionsOf(*doc), here);
}

TEST(Marks, MarkingAgainOverwrites) {
  auto doc = Parse("<r><a/><b/></r>");
  doc->SeekChildElement("a");
  doc->MarkPosition("x");
  doc->SeekChildElement("b");
  doc->MarkPosition("x");
  doc->RewindDocument();
  ASSERT_TRUE(doc->ReturnToMark("x"));
  EXPECT_EQ(doc->childPos, 3);
  const MarkEntry* bucket = doc->marks->buckets[ByteSumBucket("x")].get();
  EXPECT_EQ(bucket[0].name, "x");
  EXPECT_EQ(bucket[1].flags & MarkInUse, 0u);  // still only one entry in use
}

TEST(Marks, FifteenCollidingNamesGrowTheBucket) {
  std::string text = "<r>";
  for (int i = 0; i < 15; ++i) text += "<e/>";
  text += "</r>";
  auto doc = Parse(text);
  std::vector<std::string> names;
  for (int i = 0; names.size() < 15; ++i) {
    std::string n = "m" + std::to_string(i);
    if (ByteSumBucket(n) == 3) names.push_back(n);
  }
  const int expectedSize[15] = {2, 2, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 14, 38};
  doc->SeekSiblingElement(nullptr);
  doc->EnterElement();
  for (int i = 0; i < 15; ++i) {
    ASSERT_TRUE(doc->SeekSiblingElement("e"));
    ASSERT_TRUE(doc->MarkPosition(names[i].c_str()));
    EXPECT_EQ(BucketSize(*doc, 3), expectedSize[i]) << i;
  }
  for (int b = 0; b < 7; ++b)
    if (b != 3) {
      EXPECT_EQ(doc->marks->buckets[b], nullptr) << b;
    }
  // Every mark still returns to its own element, the newest and the oldest alike.
  for (int i = 14; i >= 0; --i) {
    ASSERT_TRUE(doc->ReturnToMark(names[i].c_str())) << names[i];
    EXPECT_EQ(doc->mainPos, 2 + i) << names[i];
  }
  // Overwriting one in the grown bucket keeps the others.
  doc->RewindSiblings();
  doc->SeekSiblingElement("e");
  ASSERT_TRUE(doc->MarkPosition(names[7].c_str()));
  EXPECT_EQ(BucketSize(*doc, 3), 38);
  ASSERT_TRUE(doc->ReturnToMark(names[7].c_str()));
  EXPECT_EQ(doc->mainPos, 2);
  ASSERT_TRUE(doc->ReturnToMark(names[8].c_str()));
  EXPECT_EQ(doc->mainPos, 10);
}

// Bytes of 0x80 and above count by their unsigned values in the bucket
// hash (as signed values some of these sums would even be negative).
TEST(Marks, NamesWithBytesAbove0x7FHashUnsigned) {
  for (const std::string name : {"zz\x80", "\xC3\xA9t\xC3\xA9", "\xFF", "m\x80\x81\x82", "\xE2\x82\xAC"}) {
    auto doc = AtRoot("<r/>");
    ASSERT_TRUE(doc->MarkPosition(name.c_str()));
    for (int b = 0; b < 7; ++b) {
      const MarkEntry* entries = doc->marks->buckets[b].get();
      EXPECT_EQ(entries != nullptr && entries[0].name == name, b == ByteSumBucket(name))
          << name << " bucket " << b;
    }
    doc->RewindDocument();
    ASSERT_TRUE(doc->ReturnToMark(name.c_str()));
    EXPECT_EQ(doc->mainPos, 1);
  }
}

TEST(Marks, ReparseDropsEveryMark) {
  auto doc = Parse("<r><a/></r>");
  doc->SeekChildElement("a");
  const char* names[] = {"one", "two", "three"};
  for (const char* n : names) ASSERT_TRUE(doc->MarkPosition(n));
  doc->ParseText("<r><a/></r>");
  for (const char* n : names) EXPECT_FALSE(doc->ReturnToMark(n)) << n;
  EXPECT_EQ(PositionsOf(*doc), (Positions{0, 0, 0, 0}));
}

}  // namespace
}  // namespace orvel
