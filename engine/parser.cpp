// Parsing a text into the element table: ParseMarkup under any record, the
// whole-document parse with its document-level checks, and ParseText.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/markup_parser.h"
#include "engine/xml_document.h"

namespace orvel {

namespace {

// Offsets are int32: a longer text cannot be described by the table.
constexpr std::size_t kMaxTextLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
const char kTextTooLong[] = "Document text too long";

struct NoSpaceHook {
  static constexpr bool kSeesContent = false;
  template <class Parser>
  void AfterSpace(ScanCursor&, const Parser&) {}
};

}  // namespace

void SetFirstError(std::string& status, const char* format, ...) {
  if (!status.empty()) return;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    status.resize(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(&status[0], status.size(), format, again);
    status.resize(static_cast<std::size_t>(n));
  }
  va_end(again);
}

void ResetForFullParse(XmlDocument& doc) {
  doc.SetPositions(0, 0, 0);
  doc.marks.reset();
  doc.recordCount = 1;
  doc.ReserveRecords(static_cast<std::int32_t>(doc.text.size() / 64) + 8);
  doc.freeHead = 0;
  doc.Rec(0) = ElementRecord{};
}

std::int32_t XmlDocument::ParseMarkup(std::int32_t root, ScanCursor& cursor) {
  NoSpaceHook hook;
  return MarkupParser<NoSpaceHook>(*this, root, cursor, hook).Run();
}

bool XmlDocument::ParseText(const char* source) {
  if (source != nullptr) {
    const std::size_t n = std::strlen(source);
    if (n > kMaxTextLength) {
      // Refused before any copy; the document becomes empty and not valid.
      text.clear();
      status.clear();
      ParseDocument();
      status = kTextTooLong;
      Rec(0).Set(ElemParseError);
      return false;
    }
    text.assign(source, n);
  } else {
    text.clear();
  }
  status.clear();
  return ParseDocument();
}

bool XmlDocument::ParseDocument() {
  std::string loadStatus = status;
  if (text.size() > kMaxTextLength) {
    text.clear();
    text.shrink_to_fit();
    status.clear();
    ParseDocument();
    status = loadStatus.empty() ? std::string(kTextTooLong) : loadStatus + ", " + kTextTooLong;
    Rec(0).Set(ElemParseError);
    return false;
  }
  ResetForFullParse(*this);
  status.clear();
  if (text.empty()) {
    status = "Empty document";
  } else {
    ScanCursor cursor(text.c_str(), docFlags);
    const std::int32_t first = ParseMarkup(0, cursor);
    ElementRecord& document = Rec(0);
    document.length = static_cast<std::int32_t>(text.size());
    if (first > 0) {
      document.firstChild = first;
      if (Rec(first).nextSibling != 0) status = "Root element has sibling";
    } else {
      status = "No root element";
    }
  }
  SetPositions(0, 0, 0);
  if (!loadStatus.empty()) status = status.empty() ? loadStatus : loadStatus + ", " + status;
  return IsDocumentValid();
}

}  // namespace orvel
