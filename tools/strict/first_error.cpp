#include "tools/strict/first_error.h"

#include <algorithm>
#include <cstdlib>

#include "engine/scanner.h"
#include "engine/xml_document.h"
#include "tools/tool_support.h"

namespace orvelxml {

namespace {

using orvel::XmlDocument;

const char kSibling[] = "Root element has sibling";
// The most elements an end-of-document report names; the rest are counted.
constexpr std::size_t kNamedOpenElements = 8;

// The first "at offset N" of a message, or -1.
long OffsetInMessage(const std::string& status) {
  static const char kMarker[] = "at offset ";
  const std::size_t at = status.find(kMarker);
  if (at == std::string::npos) return -1;
  return std::strtol(status.c_str() + at + sizeof kMarker - 1, nullptr, 10);
}

// Where a message of the parser points. Messages about an end tag name its
// '/'; the tool names the '<'.
long MessageOffset(const std::string& text, const std::string& message) {
  long offset = OffsetInMessage(message);
  if (offset > 0 && static_cast<std::size_t>(offset) < text.size() && text[offset] == '/' &&
      text[offset - 1] == '<') {
    --offset;
  }
  return offset < 0 ? 0 : offset;
}

// The parser's message for an element the end of the text left open, which
// the end-of-document report says better.
bool IsNotEndedMessage(const std::string& message) {
  static const char kStart[] = "Element '";
  static const char kEnd[] = " not ended";
  return message.compare(0, sizeof kStart - 1, kStart) == 0 && message.size() >= sizeof kEnd - 1 &&
         message.compare(message.size() - (sizeof kEnd - 1), std::string::npos, kEnd) == 0;
}

// The elements still open where the text ends, outermost first. The parser
// closes them there and hands each one's children up to its parent, so they
// all end up at the top level without an end tag; an element that an end
// tag of an ancestor closed stays inside that ancestor.
std::vector<std::int32_t> OpenAtEnd(const XmlDocument& document) {
  std::vector<std::int32_t> open;
  for (std::int32_t i = 1; i < document.recordCount; ++i) {
    const orvel::ElementRecord& r = document.Rec(i);
    if (r.parent == 0 && r.Has(orvel::ElemOpen) && !r.Has(orvel::ElemFreed)) open.push_back(i);
  }
  std::sort(open.begin(), open.end(), [&document](std::int32_t a, std::int32_t b) {
    return document.Rec(a).start < document.Rec(b).start;
  });
  return open;
}

// The first error in the markup of text, before the checks of the whole
// document: "Root element has sibling" takes the place of what the parse
// found before it.
std::string FirstMarkupError(const std::string& text) {
  XmlDocument document;
  document.text = text;
  orvel::ScanCursor cursor(document.text.c_str(), 0);
  document.ParseMarkup(0, cursor);
  return document.status;
}

std::string At(const LineColumn& lc) { return std::to_string(lc.line) + ":" + std::to_string(lc.column); }

// "the document ends with ... not closed", innermost first, placed at the end.
Diagnostic EndOfDocument(const XmlDocument& document, const std::vector<std::int32_t>& open) {
  const std::string& text = document.text;
  const std::size_t named = std::min(open.size(), kNamedOpenElements);
  // Positions counted in one pass, from the outermost named one to the end.
  std::vector<std::string> where(named);
  LineColumn lc{1, 1};
  std::size_t counted = 0;
  for (std::size_t k = named; k-- > 0;) {
    const std::size_t to = static_cast<std::size_t>(document.Rec(open[open.size() - 1 - k]).start);
    for (; counted < to; ++counted) {
      const unsigned char c = static_cast<unsigned char>(text[counted]);
      if (c == '\n') {
        lc = {lc.line + 1, 1};
      } else if ((c & 0xC0) != 0x80) {  // as LineColumnAt counts
        ++lc.column;
      }
    }
    where[k] = At(lc);
  }
  std::string message;
  if (open.size() == 1) {
    message = "the document ends with element '" + document.TagName(open[0]) + "' not closed (opened at " +
              where[0] + ")";
  } else {
    message = "the document ends with " + std::to_string(open.size()) + " elements not closed: ";
    for (std::size_t k = 0; k < named; ++k) {
      const std::int32_t e = open[open.size() - 1 - k];
      message += (k > 0 ? ", '" : "'") + document.TagName(e) + "' (" + where[k] + ")";
    }
    if (open.size() > named) message += ", and " + std::to_string(open.size() - named) + " more";
  }
  return {static_cast<long>(text.size()), message};
}

}  // namespace

std::vector<Diagnostic> FindFirstErrors(const std::string& text) {
  std::vector<Diagnostic> found;
  bool hidden = false;  // "Root element has sibling" took the place of the first error
  {
    XmlDocument document;
    if (document.ParseText(text.c_str())) return {};
    const std::vector<std::int32_t> open = OpenAtEnd(document);
    if (document.status == kSibling) {
      hidden = true;
      // The elements an open one held were handed up beside it: no sibling of the root's own.
      const std::int32_t root = document.Rec(0).firstChild;
      const std::int32_t sibling = root > 0 ? document.Rec(root).nextSibling : 0;
      if ((open.empty() || open.front() != root) && sibling > 0)
        found.push_back({document.Rec(sibling).start, kSibling});
    } else if (!IsNotEndedMessage(document.status) || open.empty()) {
      found.push_back({MessageOffset(text, document.status), document.status});
    }
    if (!open.empty()) found.push_back(EndOfDocument(document, open));
  }
  // Parsed again only now, so that the two tables are never held at once.
  const std::string first = hidden ? FirstMarkupError(text) : std::string();
  if (!first.empty() && !IsNotEndedMessage(first))
    found.insert(found.begin(), {MessageOffset(text, first), first});
  return found;
}

}  // namespace orvelxml
