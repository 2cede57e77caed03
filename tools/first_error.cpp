#include "tools/first_error.h"

#include <cstdlib>

#include "engine/xml_document.h"
#include "tools/tool_support.h"

namespace orvelxml {

namespace {

using orvel::XmlDocument;

// The first "at offset N" of a message, or -1.
long OffsetInMessage(const std::string& status) {
  static const char kMarker[] = "at offset ";
  const std::size_t at = status.find(kMarker);
  if (at == std::string::npos) return -1;
  return std::strtol(status.c_str() + at + sizeof kMarker - 1, nullptr, 10);
}

// Where the status text points. Messages about an end tag name its '/'; the
// tool names the '<'. "Root element has sibling" names nothing: the sibling.
long StatusOffset(const XmlDocument& document) {
  const std::string& text = document.text;
  long offset = OffsetInMessage(document.status);
  if (offset > 0 && static_cast<std::size_t>(offset) < text.size() && text[offset] == '/' &&
      text[offset - 1] == '<') {
    --offset;
  }
  if (offset >= 0 || document.recordCount <= 1) return offset < 0 ? 0 : offset;
  const std::int32_t root = document.Rec(0).firstChild;
  const std::int32_t sibling = root > 0 ? document.Rec(root).nextSibling : 0;
  return sibling > 0 ? document.Rec(sibling).start : 0;
}

// The innermost element the parser closed for want of an end tag (the deepest,
// the last opened among equals), or 0.
std::int32_t InnermostOpenElement(const XmlDocument& document) {
  std::int32_t found = 0;
  for (std::int32_t i = 1; i < document.recordCount; ++i) {
    const orvel::ElementRecord& r = document.Rec(i);
    if (!r.Has(orvel::ElemOpen) || r.Has(orvel::ElemFreed)) continue;
    if (found == 0 || r.Level() >= document.Rec(found).Level()) found = i;
  }
  return found;
}

}  // namespace

std::vector<Diagnostic> FindFirstErrors(const std::string& text) {
  XmlDocument document;
  if (document.ParseText(text.c_str())) return {};
  std::vector<Diagnostic> found;
  const std::int32_t open = InnermostOpenElement(document);
  if (open > 0) {
    const long start = document.Rec(open).start;
    const LineColumn lc = LineColumnAt(document.text, start);
    found.push_back({start, "element '" + document.TagName(open) + "' opened at " + std::to_string(lc.line) +
                                ":" + std::to_string(lc.column) + " is not closed"});
  }
  found.push_back({StatusOffset(document), document.status});
  return found;
}

}  // namespace orvelxml
