#include "tools/edit_safety.h"

#include "tools/strict/strict_check.h"
#include "tools/strict/xml_chars.h"
#include "tools/tool_support.h"

namespace orvelxml {

std::string RefusedValue(const std::string& value, bool attribute) {
  for (std::size_t at = 0; at < value.size();) {
    const DecodedChar c = DecodeUtf8(value, at);
    if (c.length == 0)
      return "VALUE holds byte " + ByteName(static_cast<unsigned char>(value[at])) + ", which is not UTF-8";
    if (attribute && (c.code == '\n' || c.code == '\r' || c.code == '\t')) {
      return std::string("VALUE holds a ") + (c.code == '\t' ? "tab" : "line break") +
             ", which an XML reader reads as a space in an attribute value (the module writes no "
             "character reference there)";
    }
    if (!IsXmlChar(c.code)) return "VALUE holds " + CodePointName(c.code) + ", which XML does not allow";
    at += c.length;
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

bool EditedDocumentWellFormed(orvel::IXmlComponent* xml, std::size_t expected, bool namespaces,
                              const DocumentEncoding& encoding, std::string* fileBytes, std::string* why) {
  fileBytes->clear();
  if (xml->IsDocumentValid() == 0) {
    *why = "the module finds the result not well formed";
    return false;
  }
  const std::string text = FetchDocumentText(xml, expected);
  const std::vector<Diagnostic> errors = FindStrictErrors(text, {namespaces});
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
