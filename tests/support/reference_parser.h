// The parse rules rendered literally and slowly, as the yardstick of the
// engine's parser and re-indentation: a stack of whole tokens scanned byte by
// byte (ScanTokenStepwise), a parent's last child found through its first
// child, each tab inserted into or erased from the string at once.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/xml_document.h"

namespace orvel {
namespace test {

// ParseMarkup by the rules over records (index = record), writing status.
// reindent non-null: the text being parsed, re-indented in place (fragment
// then is ignored and the cursor runs over *reindent).
std::int32_t ReferenceParseMarkup(std::vector<ElementRecord>& records, std::string& status, std::int32_t root,
                                  const char* fragment, int docFlags, std::string* reindent = nullptr);

// A whole document by the rules: its table, status, result and text.
struct ReferenceDocument {
  std::vector<ElementRecord> records;
  std::string status;
  std::string text;
  bool valid = false;
};

// ParseText(text): reset, ParseMarkup under record 0, document-level checks.
ReferenceDocument ReferenceParseText(const std::string& text, int docFlags);
// ReindentDocument on text.
ReferenceDocument ReferenceReindent(const std::string& text, int docFlags);

// doc's records 0..recordCount-1 equal records, field by field.
::testing::AssertionResult SameRecords(const std::vector<ElementRecord>& records, const XmlDocument& doc);
// doc's text, status, records (and, with checkValid, its validity) equal want.
::testing::AssertionResult SameDocument(const ReferenceDocument& want, const XmlDocument& doc, bool checkValid);

}  // namespace test
}  // namespace orvel
