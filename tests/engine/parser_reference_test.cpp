// The parser and the re-indentation held to the literal rendering of their
// rules (tests/support/reference_parser): tables, texts and messages must be
// equal on random markup.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/reference_parser.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {
namespace {

::testing::AssertionResult ParseMatchesTheRules(const std::string& input, int docFlags) {
  XmlDocument doc;
  doc.docFlags = docFlags;
  const bool valid = doc.ParseText(input.c_str());
  const ReferenceDocument want = ReferenceParseText(input, docFlags);
  if (valid != want.valid) return ::testing::AssertionFailure() << "ParseText gave " << valid;
  ::testing::AssertionResult same = SameDocument(want, doc, true);
  return same ? CheckTable(doc) : same;
}

::testing::AssertionResult ReindentMatchesTheRules(const std::string& input, int docFlags) {
  XmlDocument doc;
  doc.docFlags = docFlags;
  doc.ParseText(input.c_str());
  const std::int64_t measured = doc.IndentedLength();
  doc.ReindentDocument();
  if (measured != static_cast<std::int64_t>(doc.text.size()))
    return ::testing::AssertionFailure()
           << "measured " << measured << " bytes, re-indented to " << doc.text.size();
  ::testing::AssertionResult same = SameDocument(ReferenceReindent(input, docFlags), doc, false);
  return same ? CheckTable(doc) : same;
}

// A fragment parsed under an element of a parsed document that may have
// children already, as the insertion operations do.
::testing::AssertionResult FragmentMatchesTheRules(const std::string& base, std::int32_t root,
                                                   const std::string& fragment, int docFlags) {
  XmlDocument doc;
  doc.docFlags = docFlags;
  doc.ParseText(base.c_str());
  if (root >= doc.recordCount) root = 0;
  std::vector<ElementRecord> records;
  for (std::int32_t i = 0; i < doc.recordCount; ++i) records.push_back(doc.Rec(i));
  ScanCursor cursor(fragment.c_str(), docFlags);
  const std::int32_t got = doc.ParseMarkup(root, cursor);
  std::string status;
  const std::int32_t want = ReferenceParseMarkup(records, status, root, fragment.c_str(), docFlags);
  if (got != want) return ::testing::AssertionFailure() << "first " << got << ", the rules give " << want;
  if (doc.status != status)
    return ::testing::AssertionFailure()
           << "status '" << doc.status << "', the rules give '" << status << "'";
  return SameRecords(records, doc);
}

// Random markup: whole tags with a few names (and names that differ only in
// case or run on), lone bytes that matter to the scanner, indentation, and
// document type declarations with internal subsets.
std::string RandomMarkup(std::mt19937& rng, int pieces) {
  static const char* const kPieces[] = {
      "<a>", "</a>", "<b>", "</b>", "<ab>", "</ab>", "<A>", "</A>", "<a/>", "<b />", "<a x='>'>",
      "<b y=\"/\"/>", "</a >", "</b\t>", "</>", "<a[1]>", "</a[1]>", "<:c>", "</:c>", "<a b=1/>",
      "<!-- c -->", "<!--", "-->", "<![CDATA[<a>]]>", "<![CDATA[", "]]>", "<?p x?>", "<?", "?>",
      "<!DOCTYPE r [<!ELEMENT a ANY><!-- > -->]>", "<!DOCTYPE r [", "<!ENTITY e 'a>b'>", "<!x>", "<!-x>",
      "<![x>", "<1>", "< a>", "\n", "\r\n", "\t", "\t\t", "  ", "\n\t\t\t", "x", "text", ">", "<", "'", "\"",
      "=", "/", "!", "-", "[", "]", "C", "D", "?", "<!D", "<!E",
      // Runs longer than a block of the scanner's searches.
      "a text run of 27 bytes here", "\r\n\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t",
      "<a x='a value of 19 b' y=\"&amp; then 17 by\">", "<!-- a comment of 35 bytes - > -->",
      "<![CDATA[ 21 bytes ] > ]]>", "</a                 >"};
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kPieces / sizeof kPieces[0]) - 1);
  std::string out;
  for (int n = 0; n < pieces; ++n) out += kPieces[pick(rng)];
  return out;
}

// Random nesting far deeper than the open elements that are simply walked:
// start tags first, end tags later, names that end tags match in several ways
// (by case, before '[', '=' or ']') and end tags that match nothing.
std::string DeepRandomMarkup(std::mt19937& rng, int pieces) {
  static const char* const kOpen[] = {"<a>",  "<b>",       "<A>",   "<ab>",      "<a[1]>", "<a=x>",
                                      "<a]>", "<a[1][2]>", "\n<a>", "\n\t\t<b>", "<c/>",   "\n<?p?>"};
  static const char* const kClose[] = {"</a>",     "</b>",   "</A>",           "</ab>", "</a[1]>",
                                       "</a[>",    "</a=x>", "</a[1][2]>",     "</a]>", "\n</a>",
                                       "\n\t</b>", "</z>",   "\n\t\t\t</a[1]>"};
  std::uniform_int_distribution<int> open(0, sizeof kOpen / sizeof kOpen[0] - 1);
  std::uniform_int_distribution<int> close(0, sizeof kClose / sizeof kClose[0] - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string out;
  for (int n = 0; n < pieces; ++n)
    out += percent(rng) < (n < pieces / 2 ? 80 : 25) ? kOpen[open(rng)] : kClose[close(rng)];
  return out;
}

// Each of count random texts, with and without DocNoCase in turn.
void ForRandomTexts(unsigned seed, ::testing::AssertionResult (*check)(const std::string&, int),
                    std::string (*generate)(std::mt19937&, int) = RandomMarkup, int maxPieces = 30,
                    int count = 20000) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> pieces(0, maxPieces);
  for (int i = 0; i < count; ++i) {
    const std::string input = generate(rng, pieces(rng));
    const int flags = (i & 1) ? DocNoCase : 0;
    ASSERT_TRUE(check(input, flags)) << "input '" << input << "' flags " << flags;
  }
}

TEST(ParserReference, DocumentParseEqualsTheRules) { ForRandomTexts(31337, ParseMatchesTheRules); }

TEST(ParserReference, ReindentationEqualsTheRules) { ForRandomTexts(4711, ReindentMatchesTheRules); }

TEST(ParserReference, DeepNestingEqualsTheRules) {
  ForRandomTexts(1618, ParseMatchesTheRules, DeepRandomMarkup, 400, 2000);
  ForRandomTexts(1414, ReindentMatchesTheRules, DeepRandomMarkup, 400, 2000);
}

TEST(ParserReference, FragmentUnderAnElementEqualsTheRules) {
  std::mt19937 rng(2718);
  std::uniform_int_distribution<int> count(0, 12);
  std::uniform_int_distribution<std::int32_t> root(0, 5);
  for (int i = 0; i < 10000; ++i) {
    const std::string base = RandomMarkup(rng, count(rng));
    const std::string fragment = RandomMarkup(rng, count(rng));
    const int flags = (i & 1) ? DocNoCase : 0;
    ASSERT_TRUE(FragmentMatchesTheRules(base, root(rng), fragment, flags))
        << "base '" << base << "' fragment '" << fragment << "' flags " << flags;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
