#include "tests/support/parse_invariants.h"

#include "engine/xml_document.h"
#include "orvel/constants.h"
#include "tests/support/reference_parser.h"
#include "tests/support/table_checker.h"

namespace orvel {
namespace test {

namespace {

std::string WithoutTabsAndSpaces(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '\t' && c != ' ') out += c;
  return out;
}

}  // namespace

::testing::AssertionResult ParseInvariantsHold(const std::string& bytes) {
  for (const int flags : {0, static_cast<int>(DocNoCase)}) {
    XmlDocument doc;
    doc.docFlags = flags;
    const bool valid = doc.ParseText(bytes.c_str());
    if (valid != doc.IsDocumentValid()) return ::testing::AssertionFailure() << "result differs from IsDocumentValid";
    if (valid != doc.status.empty()) return ::testing::AssertionFailure() << "valid with status '" << doc.status << "'";
    ::testing::AssertionResult parsed = CheckTable(doc);
    if (!parsed) return parsed << " (after ParseText, flags " << flags << ")";
    const std::string before = doc.text;
    ::testing::AssertionResult byRules = SameDocument(ReferenceParseText(before, flags), doc, true);
    if (!byRules) return byRules << " (after ParseText, flags " << flags << ")";
    const std::int64_t measured = doc.IndentedLength();
    doc.ReindentDocument();
    if (measured != static_cast<std::int64_t>(doc.text.size()))
      return ::testing::AssertionFailure()
             << "measured " << measured << " bytes, re-indented to " << doc.text.size();
    ::testing::AssertionResult reindented = CheckTable(doc);
    if (!reindented) return reindented << " (after ReindentDocument, flags " << flags << ")";
    byRules = SameDocument(ReferenceReindent(before, flags), doc, false);
    if (!byRules) return byRules << " (after ReindentDocument, flags " << flags << ")";
    if (WithoutTabsAndSpaces(before) != WithoutTabsAndSpaces(doc.text))
      return ::testing::AssertionFailure() << "re-indentation changed more than tabs and spaces";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace test
}  // namespace orvel
