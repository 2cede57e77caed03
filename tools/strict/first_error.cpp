#include "tools/strict/first_error.h"

#include <algorithm>
#include <cstdlib>

#include "engine/scanner.h"
#include "engine/xml_document.h"

namespace orvelxml {

namespace {

using orvel::XmlDocument;

const char kSibling[] = "Root element has sibling";
const char kAtOffset[] = "at offset ";

// Where an offset of the parser points. Messages about an end tag name its
// '/'; the tool names the '<'.
long TagOffset(const std::string& text, long offset) {
  if (offset > 0 && static_cast<std::size_t>(offset) < text.size() && text[offset] == '/' &&
      text[offset - 1] == '<') {
    --offset;
  }
  return offset < 0 ? 0 : offset;
}

// message with each "at offset N" told as "at LINE:COL"; *first becomes the
// first of those offsets (0 when there is none).
std::string InLinesAndColumns(const std::string& text, const std::string& message, long* first) {
  std::string told;
  *first = -1;
  std::size_t from = 0;
  for (std::size_t at; (at = message.find(kAtOffset, from)) != std::string::npos;) {
    char* end = nullptr;
    const long offset = TagOffset(text, std::strtol(message.c_str() + at + sizeof kAtOffset - 1, &end, 10));
    if (*first < 0) *first = offset;
    told.append(message, from, at - from).append("at " + LineColumnText(text, offset));
    from = static_cast<std::size_t>(end - message.c_str());
  }
  if (*first < 0) *first = 0;
  return told + message.substr(from);
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
std::vector<OpenElement> OpenAtEnd(const XmlDocument& document) {
  std::vector<OpenElement> open;
  for (std::int32_t i = 1; i < document.recordCount; ++i) {
    const orvel::ElementRecord& r = document.Rec(i);
    if (r.parent == 0 && r.Has(orvel::ElemOpen) && !r.Has(orvel::ElemFreed))
      open.push_back({document.TagName(i), r.start});
  }
  std::sort(open.begin(), open.end(),
            [](const OpenElement& a, const OpenElement& b) { return a.offset < b.offset; });
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

}  // namespace

std::vector<Diagnostic> FindModuleError(const std::string& text) {
  Diagnostic found{0, ""};
  bool hidden = false;  // "Root element has sibling" took the place of the first error
  {
    XmlDocument document;
    if (document.ParseText(text.c_str())) return {};
    const std::vector<OpenElement> open = OpenAtEnd(document);
    const std::int32_t root = document.Rec(0).firstChild;
    const std::int32_t sibling = root > 0 ? document.Rec(root).nextSibling : 0;
    hidden = document.status == kSibling;
    if (hidden && sibling > 0 && (open.empty() || open.front().offset != document.Rec(root).start)) {
      // (The elements an open root held were handed up beside it: no sibling of the root's own.)
      found = {document.Rec(sibling).start, kSibling};
    } else if (!open.empty() && (hidden || IsNotEndedMessage(document.status))) {
      found = {static_cast<long>(text.size()), EndsOpenMessage(text, open)};
    } else {
      found.message = InLinesAndColumns(text, document.status, &found.offset);
    }
  }
  // Parsed again only now, so that the two tables are never held at once.
  const std::string first = hidden ? FirstMarkupError(text) : std::string();
  if (!first.empty() && !IsNotEndedMessage(first))
    found.message = InLinesAndColumns(text, first, &found.offset);
  return {found};
}

}  // namespace orvelxml
