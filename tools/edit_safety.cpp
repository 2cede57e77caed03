#include "tools/edit_safety.h"

#include "tools/strict/strict_check.h"
#include "tools/strict/xml_chars.h"
#include "tools/tool_support.h"

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

bool EditedDocumentWellFormed(orvel::IXmlComponent* xml, std::size_t expected,
                              const DocumentEncoding& encoding, std::string* fileBytes, std::string* why) {
  fileBytes->clear();
  if (xml->IsDocumentValid() == 0) {
    *why = "the module finds the result not well formed";
    return false;
  }
  const std::string text = FetchDocumentText(xml, expected);
  const std::vector<Diagnostic> errors = FindStrictErrors(text);
  if (!errors.empty()) {
    *why = "the result would not be well formed (" + LineColumnText(text, errors.front().offset) + ": " +
           errors.front().message + ")";
    return false;
  }
  Diagnostic refused{0, ""};
  if (encoding.KeepsBytes() || EncodeDocument(text, encoding, fileBytes, &refused)) return true;
  fileBytes->clear();
  *why = "the result cannot be written in the file's encoding (" + LineColumnText(text, refused.offset) +
         ": " + refused.message + ")";
  return false;
}

}  // namespace orvelxml
