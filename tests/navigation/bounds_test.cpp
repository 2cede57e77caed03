// Reads stay inside the text: truncated documents whose text ends exactly at
// the end of its heap block (AddressSanitizer reports a one-byte over-read),
// and tables whose records hold offsets that do not fit the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <random>
#include <string>

#include "doc_fixture.h"
#include "engine/encoding.h"
#include "orvel/constants.h"

namespace orvel {
namespace {

const char kRichDocument[] =
    "<?xml version=\"1.0\" encoding='utf-8'?>\r\n"
    "<!DOCTYPE r [ <!ENTITY e 'x'> <!-- > --> ]>\n"
    "<r a=\"1 &amp; 2\" b='x>y' flag>lead &#x1F600; &lt;"
    "<![CDATA[ c]]d ]]><!-- note --><?pi k=\"v\"?>"
    "<item k=v/><item>t&#233;xt</item></bad><1x>"
    "<deep><er><est q='&quot;'>&amp</est></er></deep>tail</r>\n<!--after-->";

// Runs every read on the current state; each result must be a piece of the
// text or shorter than it (decoding never grows a text).
// A read stays inside the text, and holds no NUL byte even when the text
// does: the slots hand reads back without looking for one.
void ExpectRead(const std::string& read, std::size_t limit) {
  EXPECT_LE(read.size(), limit);
  EXPECT_EQ(read.find('\0'), std::string::npos) << "read holds a NUL: " << read;
}

void ReadEverything(const XmlDocument& doc) {
  const std::size_t limit = doc.text.size();
  const std::int32_t positions[] = {doc.mainPos, doc.childPos, doc.parentPos, 0};
  for (std::int32_t x : positions) {
    ExpectRead(doc.TagName(x), limit);
    ExpectRead(doc.Content(x), limit);
    ExpectRead(doc.InnerMarkup(x), limit);
    ExpectRead(doc.ElementMarkup(x), limit);
    for (const char* name : {"a", "b", "flag", "k", "q", "version", "zz"})
      ExpectRead(doc.AttributeValue(x, name), limit);
  }
  ExpectRead(doc.ReadNodeName(), std::max<std::size_t>(limit, sizeof "#cdata-section"));  // or a fixed name
  for (int i = -1; i < 4; ++i) ExpectRead(doc.ReadAttributeName(i), limit);
}

// Walks every node and also every element by name search, reading at each step.
void ExerciseAll(XmlDocument& doc) {
  int visits = 0;
  WalkAll(
      doc,
      [&](int) {
        ++visits;
        ReadEverything(doc);
      },
      10000);
  doc.RewindDocument();
  for (int steps = 0; steps < 1000 && doc.SeekChildElement(nullptr); ++steps) {
    ReadEverything(doc);
    doc.EnterElement();
  }
  EXPECT_LT(visits, 10000);
}

TEST(Bounds, EveryTruncationAtTheEndOfTheHeapBlock) {
  const std::string full = kRichDocument;
  XmlDocument doc;
  for (std::size_t n = 0; n <= full.size(); ++n) {
    doc.ParseText(full.substr(0, n).c_str());
    doc.text.shrink_to_fit();  // the NUL is now the last byte of the block
    ExerciseAll(doc);
  }
}

// A text that holds a NUL byte (loaded from a file) ends there for every scan.
TEST(Bounds, ANulByteAnywhereEndsTheText) {
  XmlDocument doc;
  for (const char* bytes : {"x", "no markup &amp; more"}) {
    doc.text.assign(bytes, std::strlen(bytes) + 1) += "after";
    doc.status.clear();
    doc.ParseDocument();
    EXPECT_EQ(doc.Content(0), DecodeText(bytes, -1));
  }
  const std::string full = kRichDocument;
  for (std::size_t n = 0; n < full.size(); ++n) {
    doc.text = full;
    doc.text[n] = '\0';
    doc.status.clear();
    doc.ParseDocument();
    ExerciseAll(doc);
    if (HasFailure()) {
      ADD_FAILURE() << "NUL at " << n;
      return;
    }
  }
}

// Random byte soups drawn mostly from markup characters: whatever the parser
// makes of them, every walk and read stays inside the text.
TEST(Bounds, RandomMarkupSoups) {
  static const char kAlphabet[] = "<<<>>>//?\?!!--==''\"\"[[]]  \t\r\nabAB&#x;:CDATA\x80\xFF";
  std::mt19937 rng(7);
  XmlDocument doc;
  for (int round = 0; round < 2000; ++round) {
    std::string text(1 + rng() % 80, ' ');
    for (char& c : text) c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
    doc.ParseText(text.c_str());
    doc.text.shrink_to_fit();
    ExerciseAll(doc);
    if (HasFailure()) {
      ADD_FAILURE() << "input: " << text;
      return;
    }
  }
}

TEST(Bounds, RecordsOutOfStepWithTheText) {
  struct Damage {
    std::int32_t start, length;
    std::uint32_t tagLengths;
  } damages[] = {
      {-7, 5, 3},
      {INT_MAX - 2, 100, 3},
      {0, INT_MAX, 0xFFFFFFFFu},
      {3, -40, (4u << 22) | 3},
      {2, 1, 0x2FFFFFu},
      {INT_MIN, INT_MIN, 0},
      {10, 0, 0},
  };
  for (const Damage& d : damages) {
    auto doc = Parse(kRichDocument);
    doc->text.shrink_to_fit();
    for (std::int32_t i = 1; i < doc->recordCount; ++i) {
      ElementRecord& r = doc->Rec(i);
      r.start = d.start;
      r.length = d.length;
      r.tagLengths = d.tagLengths;
    }
    ExerciseAll(*doc);
  }
}

TEST(Bounds, PositionsThatNameNoRecord) {
  auto doc = Parse(kRichDocument);
  const std::int32_t bad[] = {-1, doc->recordCount, doc->capacity, INT_MAX};
  for (std::int32_t b : bad) {
    doc->parentPos = doc->mainPos = doc->childPos = b;
    doc->nodeType = NodeElement;
    ReadEverything(*doc);
    EXPECT_EQ(doc->TagName(b), "");
    EXPECT_EQ(doc->SeekNode(0), 0);
    doc->nodeType = NodeText;
    doc->nodeOffset = b;
    doc->nodeLength = 5;
    ReadEverything(*doc);
    doc->SeekNode(0);
    doc->RewindDocument();
  }
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

// A parent position that names no live record has no content to walk: the
// walk must not fall back to the top of the document.
TEST(Bounds, WalkUnderAParentThatNamesNoRecordFindsNothing) {
  auto doc = Parse("lead<!--c--><r>x</r>");
  const std::int32_t stale[] = {-1, doc->recordCount, doc->capacity};
  for (std::int32_t parent : stale) {
    for (int mask : {0, int{NodeText}, int{NodeComment}, int{NodeElement}}) {
      doc->SetPositions(parent, 0, 0);
      EXPECT_EQ(doc->SeekNode(mask), 0) << parent << " / " << mask;
      EXPECT_EQ(PositionsOf(*doc), (Positions{parent, 0, 0, 0}));
      EXPECT_EQ(doc->nodeLength, 0);
    }
  }
}

}  // namespace
}  // namespace orvel
