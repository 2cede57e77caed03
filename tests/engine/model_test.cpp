#include <gtest/gtest.h>

#include <string>

#include "engine/xml_document.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

struct RecordRow {
  std::int32_t start, length, startTag, endTag;
  std::uint32_t tagLengths;
  std::int32_t level;
  std::uint32_t flags;
  std::int32_t parent, firstChild, nextSibling, prevSibling;
};

TEST(DocumentModel, WorkedExampleRecordByRecord) {
  XmlDocument doc;
  ASSERT_TRUE(doc.ParseText("<a><b/><c>x</c></a>"));
  const RecordRow rows[] = {
      {0, 19, 0, 0, 0, 0, 0, 0, 1, 0, 0},
      {0, 19, 3, 4, (4u << 22) + 3, 0, ElemFirstChild, 0, 2, 0, 1},
      {3, 4, 4, 0, 4, 1, ElemFirstChild, 1, 0, 3, 3},
      {7, 8, 3, 4, (4u << 22) + 3, 1, 0, 1, 0, 0, 2},
  };
  ASSERT_EQ(doc.recordCount, 4);
  for (std::int32_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const ElementRecord& r = doc.Rec(i);
    const RecordRow& w = rows[i];
    EXPECT_EQ(r.start, w.start);
    EXPECT_EQ(r.length, w.length);
    EXPECT_EQ(r.StartTagLength(), w.startTag);
    EXPECT_EQ(r.EndTagLength(), w.endTag);
    EXPECT_EQ(r.tagLengths, w.tagLengths);
    EXPECT_EQ(r.Level(), w.level);
    EXPECT_EQ(r.Flags(), w.flags);
    EXPECT_EQ(r.parent, w.parent);
    EXPECT_EQ(r.firstChild, w.firstChild);
    EXPECT_EQ(r.nextSibling, w.nextSibling);
    EXPECT_EQ(r.prevSibling, w.prevSibling);
  }
  EXPECT_EQ(doc.status, "");
  EXPECT_TRUE(CheckTable(doc));
}

TEST(DocumentModel, NewObjectIsAnEmptyInvalidDocument) {
  XmlDocument doc;
  EXPECT_EQ(doc.capacity, 8);
  EXPECT_EQ(doc.BlockCount(), 1);
  EXPECT_EQ(doc.blockSlots, 4);
  EXPECT_EQ(doc.recordCount, 1);
  EXPECT_EQ(doc.status, "Empty document");
  EXPECT_FALSE(doc.IsDocumentValid());
  EXPECT_EQ(doc.docFlags, 0);
  EXPECT_EQ(doc.parentPos + doc.mainPos + doc.childPos + doc.nodeType + doc.freeHead, 0);
  EXPECT_EQ(doc.marks, nullptr);
  EXPECT_TRUE(CheckTable(doc));
}

TEST(DocumentModel, IsDocumentValidNeedsOneRootAndNoError) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {{"<a/><b/>", false}, {"<a/>", true}, {"<!-- only -->", false}, {"", false},
               {"<a>", false},      {"x<a/>y", true}, {"<a></b></a>", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    XmlDocument doc;
    EXPECT_EQ(doc.ParseText(c.text), c.valid);
    EXPECT_EQ(doc.IsDocumentValid(), c.valid);
    EXPECT_TRUE(CheckTable(doc));
  }
}

TEST(DocumentModel, SetPositionsSetsTheNodeTypeFromMain) {
  XmlDocument doc;
  doc.nodeOffset = 9;
  doc.nodeLength = 3;
  doc.SetPositions(0, 5, 0);
  EXPECT_EQ(doc.nodeType, 1);
  EXPECT_EQ(doc.mainPos, 5);
  EXPECT_EQ(doc.nodeOffset, 0);
  EXPECT_EQ(doc.nodeLength, 0);
  doc.SetPositions(2, 0, 7);
  EXPECT_EQ(doc.nodeType, 0);
  EXPECT_EQ(doc.parentPos, 2);
  EXPECT_EQ(doc.childPos, 7);
}

// Drops every block so that the growth rule can be followed from capacity 0.
void DropTable(XmlDocument& doc) {
  for (std::int32_t b = 0; b < doc.BlockCount(); ++b) delete[] doc.blocks[b];
  delete[] doc.blocks;
  doc.blocks = nullptr;
  doc.capacity = 0;
  doc.blockSlots = 0;
}

TEST(DocumentModel, ReserveRecordsFollowsTheGrowthRule) {
  XmlDocument doc;
  ElementRecord* block0 = doc.blocks[0];
  EXPECT_TRUE(doc.ReserveRecords(5));
  EXPECT_EQ(doc.capacity, 8);
  EXPECT_EQ(doc.blocks[0], block0);

  DropTable(doc);
  EXPECT_TRUE(doc.ReserveRecords(200000));
  EXPECT_EQ(doc.capacity, 131072);
  EXPECT_EQ(doc.BlockCount(), 2);
  EXPECT_EQ(doc.blockSlots, 6);
  doc.Rec(131071).start = 1;  // last slot of the second full block

  DropTable(doc);
  EXPECT_TRUE(doc.ReserveRecords(10));
  EXPECT_EQ(doc.blockSlots, 4);
  for (std::int32_t i = 0; i < 10; ++i) doc.Rec(i) = ElementRecord{i, i * 2, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(doc.ReserveRecords(70000));
  EXPECT_EQ(doc.capacity, 70000);
  EXPECT_EQ(doc.blockSlots, 4);
  EXPECT_EQ(doc.BlockCount(), 2);
  for (std::int32_t i = 0; i < 10; ++i) EXPECT_EQ(doc.Rec(i).length, i * 2);
  doc.Rec(65535).start = 1;  // block 0 is full now
  doc.Rec(69999).start = 1;  // block 1 holds 4,464 records

  // One block per call at most: a wish far beyond ends at the next block's end.
  EXPECT_TRUE(doc.ReserveRecords(1000000));
  EXPECT_EQ(doc.capacity, 3 * 65536);
  EXPECT_EQ(doc.Rec(5).length, 10);
  doc.recordCount = doc.capacity;
  EXPECT_TRUE(doc.ReserveRecords(0));
  EXPECT_EQ(doc.capacity, 4 * 65536);
  EXPECT_GE(doc.blockSlots, doc.BlockCount());
  doc.recordCount = 1;
  doc.ParseText(nullptr);
  EXPECT_EQ(doc.capacity, 4 * 65536);  // the table never shrinks
}

TEST(DocumentModel, AllocRecordGrowsByHalfAcrossTheBlockBoundary) {
  XmlDocument doc;
  std::int32_t lastCapacity = doc.capacity;
  while (doc.recordCount < 70000) {
    const std::int32_t i = doc.AllocRecord();
    doc.Rec(i) = ElementRecord{i, 1, 0, 0, 0, 0, 0, 0};
    if (doc.capacity != lastCapacity) {
      // Growth keeps one and a half times the records in use, up to a block end.
      const std::int32_t wish = i + (i >> 1);
      const std::int32_t blockEnd = (((lastCapacity - 1) >> 16) + 2) * 65536;
      EXPECT_EQ(doc.capacity, wish < blockEnd ? wish : blockEnd) << "at record " << i;
      lastCapacity = doc.capacity;
    }
  }
  for (std::int32_t i = 0; i < doc.recordCount; ++i) ASSERT_EQ(doc.Rec(i).start, i);
  EXPECT_EQ(&doc.Rec(65535), doc.blocks[0] + 65535);
  EXPECT_EQ(&doc.Rec(65536), doc.blocks[1]);
}

TEST(DocumentModel, ParseCrossesTheBlockBoundary) {
  std::string text = "<r>";
  for (int i = 0; i < 70000; ++i) text += "<a/>";
  text += "</r>";
  XmlDocument doc;
  ASSERT_TRUE(doc.ParseText(text.c_str()));
  EXPECT_EQ(doc.recordCount, 70002);
  EXPECT_EQ(doc.BlockCount(), 2);
  EXPECT_EQ(doc.Rec(65535).start, 3 + 4 * (65535 - 2));
  EXPECT_EQ(doc.Rec(65536).start, 3 + 4 * (65536 - 2));
  EXPECT_EQ(doc.Rec(65536).prevSibling, 65535);
  EXPECT_EQ(doc.Rec(2).prevSibling, 70001);
  EXPECT_TRUE(CheckTable(doc));
}

}  // namespace
}  // namespace test
}  // namespace orvel
