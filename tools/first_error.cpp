#include "tools/first_error.h"

#include <cstdlib>
#include <cstring>

#include "engine/xml_document.h"

namespace orvelxml {

namespace {

// The first "at offset N" of a message, or -1.
long OffsetInMessage(const std::string& status) {
  static const char kMarker[] = "at offset ";
  const std::size_t at = status.find(kMarker);
  if (at == std::string::npos) return -1;
  return std::strtol(status.c_str() + at + sizeof kMarker - 1, nullptr, 10);
}

}  // namespace

FirstError FindFirstError(const std::string& text) {
  orvel::XmlDocument document;
  const bool valid = document.ParseText(text.c_str());
  FirstError error{valid ? std::string() : document.status, 0};
  if (valid) return error;
  const long named = OffsetInMessage(document.status);
  if (named >= 0) {
    error.offset = named;
  } else if (document.recordCount > 1) {
    // "Root element has sibling" names no offset: point at the sibling.
    const std::int32_t root = document.Rec(0).firstChild;
    const std::int32_t sibling = root > 0 ? document.Rec(root).nextSibling : 0;
    if (sibling > 0) error.offset = document.Rec(sibling).start;
  }
  return error;
}

}  // namespace orvelxml
