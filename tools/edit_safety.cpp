#include "tools/edit_safety.h"

#include "tools/strict/strict_check.h"
#include "tools/tool_support.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

std::string RefusedValue(const std::string& value, bool attribute) {
  for (const char ch : value) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (attribute && (c == '\n' || c == '\r' || c == '\t')) {
      return std::string("VALUE holds a ") + (c == '\t' ? "tab" : "line break") +
             ", which an XML reader reads as a space in an attribute value (the module writes no "
             "character reference there)";
    }
    if (!IsXmlChar(c)) return "VALUE holds " + CodePointName(c) + ", which XML does not allow";
  }
  return std::string();
}

ContentText ContentFor(const std::string& value) {
  if (value.find('\r') == std::string::npos) return {value, 0};
  ContentText content{std::string(), orvel::EditKeepRefs};
  for (const char c : value) {
    if (c == '&') {
      content.text += "&amp;";
    } else if (c == '\r') {
      content.text += "&#13;";
    } else {
      content.text += c;
    }
  }
  return content;
}

bool EditedDocumentWellFormed(orvel::IXmlComponent* xml, std::size_t expected, std::string* why) {
  if (xml->IsDocumentValid() == 0) {
    *why = "the module finds the result not well formed";
    return false;
  }
  const std::string text = FetchDocumentText(xml, expected);
  const std::vector<Diagnostic> errors = FindStrictErrors(text);
  if (errors.empty()) return true;
  const LineColumn at = LineColumnAt(text, errors.front().offset);
  *why = "the result would not be well formed (" + std::to_string(at.line) + ":" + std::to_string(at.column) +
         ": " + errors.front().message + ")";
  return false;
}

}  // namespace orvelxml
