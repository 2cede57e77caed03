// Texts made to be slow or to break the record limits, through the interface:
// each call gives a defined result within a bound of time and memory (loose
// enough for the sanitizer build on a busy machine, far below what work
// growing with the square of the input would take).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "orvel/constants.h"
#include "tests/hardening/in_process.h"
#include "tests/support/document_walk.h"
#include "tests/support/failing_allocator.h"
#include "tests/support/hostile_inputs.h"
#include "tests/support/reference_parser.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

constexpr double kSecondsPerCase = 60;

// Runs work; fails when it takes longer than kSecondsPerCase or holds more
// than maxBytes at its peak beyond what was held before.
template <class Work>
void WithinBounds(const std::string& what, std::size_t maxBytes, Work&& work) {
  ResetPeakBytes();
  const std::size_t before = LiveBytes();
  const auto start = std::chrono::steady_clock::now();
  work();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::size_t peak = PeakBytes() - before;
  std::printf("%-28s %8.3f s, peak %6.1f MB\n", what.c_str(), seconds, static_cast<double>(peak) / 1e6);
  EXPECT_LT(seconds, kSecondsPerCase) << what;
  EXPECT_LE(peak, maxBytes) << what;
}

std::string DocumentText(IXmlComponent* xml) {
  std::string buffer(DocumentOf(xml).text.size() + 1, '#');
  xml->ReadDocumentText(&buffer[0], static_cast<int>(buffer.size()));
  return buffer.c_str();
}

TEST(HostileInput, TextsThatBreakTheLimitsGiveTheirMessageAndStayUsable) {
  const struct {
    const char* what;
    std::string text;
    const char* status;
  } cases[] = {
      {"1,000,000 nested elements", NestedElements(1000000), "Element at offset 196608 nested too deeply"},
      {"a 2 MiB start tag", LongStartTag(2u << 20), "Element tag at offset 3 too long"},
      {"a 600-byte end tag", LongEndTag(600), "Element end tag at offset 602 too long"},
      // The document-level message replaces the first parse error.
      {"100 MB of '<'", LessThanRun(100u << 20), "No root element"},
      {"100 MB of quotes", QuoteRun(100u << 20, false), "No root element"},
      {"100 MB of quotes in a tag", QuoteRun(100u << 20, true), "No root element"},
  };
  for (const auto& c : cases) {
    IXmlComponent* xml = NewComponent();
    // The text, the table and the checker's own parse of the text, with room.
    WithinBounds(c.what, 5 * c.text.size() + (64u << 20), [&] {
      EXPECT_EQ(xml->ParseText(c.text.c_str()), 0) << c.what;
      EXPECT_EQ(DocumentOf(xml).status, c.status) << c.what;
      EXPECT_TRUE(CheckTable(DocumentOf(xml))) << c.what;
      // Every malformed token is a node of its own: 100 MB of '<' would make
      // 50 million of them, which the walk reads in linear but long time.
      if (c.text.size() < (16u << 20)) ReadWholeDocument(const_cast<XmlDocument&>(DocumentOf(xml)));
      xml->ReindentDocument();
      EXPECT_TRUE(CheckTable(DocumentOf(xml))) << c.what;
      EXPECT_EQ(DocumentText(xml).size(), DocumentOf(xml).text.size()) << c.what;
    });
    EXPECT_EQ(NestingOf(xml), 0);
    EXPECT_EQ(xml->ParseText("<r/>"), 1) << c.what;
    xml->Release(0);
  }
}

// A run of '<' is passed at once; whatever stands around it, the parse must
// equal the rules read byte by byte.
TEST(HostileInput, RunsOfLessThanSignsParseAsTheRulesSay) {
  const char* const before[] = {"", "<r>", "<r>x", "<r><a>"};
  const char* const after[] = {"", "a/>", "/r>", "!-- c -->", "?pi?>", ">", "'x'>", "\"", "<r/>", " </r>"};
  XmlDocument doc;
  for (int run = 1; run <= 9; ++run)
    for (const char* b : before)
      for (const char* a : after)
        for (const int flags : {0, static_cast<int>(DocNoCase)}) {
          const std::string text =
              std::string(b) + std::string(static_cast<std::size_t>(run), '<') + a + "</r>";
          doc.docFlags = flags;
          doc.ParseText(text.c_str());
          ASSERT_TRUE(SameDocument(ReferenceParseText(text, flags), doc, true)) << text;
        }
}

TEST(HostileInput, NulBytesInAFileEndTheDocumentAndAreKept) {
  const std::string bytes("<r><a/></r>\0<x/>tail", 20);
  const std::string path = "/tmp/orvel_nul_" + std::to_string(getpid()) + ".xml";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  IXmlComponent* xml = NewComponent();
  EXPECT_EQ(xml->LoadDocumentFile(path.c_str()), 1);  // the scan ends at the NUL, after a whole root
  EXPECT_EQ(DocumentText(xml), "<r><a/></r>");        // a host reads the text up to the NUL
  // Added at the end of the document: before the NUL, where a parse still finds it.
  EXPECT_EQ(xml->AppendElement("b", "t", 0), 1);
  EXPECT_EQ(DocumentOf(xml).text, std::string("<r><a/></r><b>t</b>\r\n\0<x/>tail", 30));
  EXPECT_TRUE(CheckTable(DocumentOf(xml)));
  EXPECT_EQ(xml->SaveDocumentFile(path.c_str()), 1);
  EXPECT_EQ(xml->LoadDocumentFile(path.c_str()), 0);  // two top-level elements now
  EXPECT_EQ(DocumentOf(xml).text, std::string("<r><a/></r><b>t</b>\r\n\0<x/>tail", 30));
  xml->Release(0);
  std::remove(path.c_str());
}

// Bytes are bytes: names, values and contents that are no UTF-8 read back as written.
TEST(HostileInput, InvalidUtf8ReadsBackAsWritten) {
  const std::string bad[] = {"\xC0\xAF", "\xED\xA0\x80", "\xFF\xFE", "\x80", "\xF4\x90\x80\x80", "\xE2\x82"};
  for (const std::string& b : bad) {
    const std::string name = "n" + b;
    const std::string text = "<" + name + " v" + b + "='" + b + "'>" + b + "</" + name + ">";
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText(text.c_str()), 1);
    xml->SeekSiblingElement(nullptr);
    char out[64] = "";
    xml->ReadNodeName(out, sizeof out);
    EXPECT_EQ(out, name);
    xml->ReadAttribute(("v" + b).c_str(), out, sizeof out);
    EXPECT_EQ(out, b);
    xml->ReadContent(out, sizeof out);
    EXPECT_EQ(out, b);
    EXPECT_EQ(xml->WriteAttribute("w", (b + b).c_str()), 1);
    xml->ReadAttribute("w", out, sizeof out);
    EXPECT_EQ(out, b + b);
    EXPECT_TRUE(CheckTable(DocumentOf(xml)));
    xml->Release(0);
  }
}

// At the ends of what they stand in: cut by the end tag, the closing quote,
// the seven-character limit, and the code points that have no UTF-8 form.
TEST(HostileInput, NumericReferencesAtTheEndsOfTheirSpans) {
  const struct {
    const char* text;
    const char* content;
    const char* attribute;
  } cases[] = {
      {"<a v='&#65;'>&#65;</a>", "A", "A"},
      {"<a v='&#65'>&#65</a>", "&#65", "&#65"},
      {"<a v='&#x10FFFF;'>&#x10FFFF;</a>", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"<a v='&#x110000;'>&#xD800;</a>", "&#xD800;", "&#x110000;"},
      {"<a v='&#0000065;'>&#00000065;</a>", "&#00000065;", "A"},
      {"<a v='&#'>&#x</a>", "&#x", "&#"},
      {"<a v='x&#6'>&#6<!---->5;</a>", "&#65;", "x&#6"},
  };
  for (const auto& c : cases) {
    IXmlComponent* xml = NewComponent();
    ASSERT_EQ(xml->ParseText(c.text), 1) << c.text;
    xml->SeekSiblingElement(nullptr);
    char out[64] = "";
    xml->ReadContent(out, sizeof out);
    EXPECT_STREQ(out, c.content) << c.text;
    xml->ReadAttribute("v", out, sizeof out);
    EXPECT_STREQ(out, c.attribute) << c.text;
    xml->Release(0);
  }
}

TEST(HostileInput, FiftyThousandAttributes) {
  const std::string text = ManyAttributes(50000);
  IXmlComponent* xml = NewComponent();
  WithinBounds("50,000 attributes", 8 * text.size() + (16u << 20), [&] {
    ASSERT_EQ(xml->ParseText(text.c_str()), 1);
    xml->SeekSiblingElement(nullptr);
    char out[32] = "";
    EXPECT_EQ(xml->ReadAttribute("a49999", out, sizeof out), 1);
    EXPECT_STREQ(out, "49999");
    EXPECT_EQ(xml->ReadAttributeName(49999, out, sizeof out), 1);
    EXPECT_STREQ(out, "a49999");
    EXPECT_EQ(xml->ReadAttributeName(50000, out, sizeof out), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(xml->WriteAttribute("a49999", "last"), 1);
    xml->ReadAttribute("a49999", out, sizeof out);
    EXPECT_STREQ(out, "last");
    EXPECT_TRUE(CheckTable(DocumentOf(xml)));
  });
  xml->Release(0);
}

// The number of entries a bucket holding n marks has: 2, then 2 * (n - 1) + 12.
std::int32_t BucketSizeFor(int n) {
  std::int32_t size = 2;
  while (size < n) size = 2 * (size - 1) + 12;
  return size;
}

TEST(HostileInput, AMillionNamedMarks) {
  constexpr int kMarks = 1000000;
  std::vector<std::string> names;
  names.reserve(kMarks);
  int perBucket[7] = {};
  for (int i = 0; i < kMarks; ++i) {
    names.push_back(MarkName(i));
    unsigned sum = 0;
    for (const unsigned char c : names.back()) sum += c;
    ++perBucket[sum % 7];
  }
  IXmlComponent* xml = NewComponent();
  ASSERT_EQ(xml->ParseText("<r><a/><b/></r>"), 1);
  WithinBounds("1,000,000 marks", std::size_t{400} << 20, [&] {
    for (int i = 0; i < kMarks; ++i) {
      xml->RewindDocument();
      xml->SeekSiblingElement(nullptr);
      if (i % 2 == 1) xml->SeekChildElement(i % 4 == 1 ? "a" : "b");
      ASSERT_EQ(xml->MarkPosition(names[static_cast<std::size_t>(i)].c_str()), 1);
    }
    xml->RewindDocument();
    for (int i = 0; i < kMarks; ++i) {
      ASSERT_EQ(xml->ReturnToMark(names[static_cast<std::size_t>(i)].c_str()), 1);
      char child[4] = "";
      xml->ReadChildTagName(child, sizeof child);
      ASSERT_STREQ(child, i % 2 == 0 ? "" : i % 4 == 1 ? "a" : "b") << names[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(xml->ReturnToMark("mark-1"), 0);
  });
  // The buckets are what marking them one by one makes of them: arrays grown
  // 2, 14, 38, 86, ..., the marks in use at their front, the last entry marked.
  const MarkTable& table = *DocumentOf(xml).marks;
  for (int b = 0; b < 7; ++b) {
    const MarkEntry* bucket = table.buckets[b].get();
    const std::int32_t size = BucketSizeFor(perBucket[b]);
    for (std::int32_t i = 0; i < size; ++i) {
      ASSERT_EQ((bucket[i].flags & MarkInUse) != 0, i < perBucket[b]) << "bucket " << b << " entry " << i;
      ASSERT_EQ((bucket[i].flags & MarkLast) != 0, i == size - 1) << "bucket " << b << " entry " << i;
    }
  }
  xml->Release(0);
}

}  // namespace
}  // namespace test
}  // namespace orvel
