#include "tools/markup_scan.h"

#include <cstring>

namespace orvelxml {

namespace {

// A comment, CDATA section or instruction: it ends after terminator.
MarkupSpan Delimited(const std::string& text, std::size_t i, MarkupKind kind, const char* opener,
                     const char* terminator) {
  const std::size_t at = text.find(terminator, i + std::strlen(opener));
  if (at == std::string::npos) return {kind, text.size(), false};
  return {kind, at + std::strlen(terminator), true};
}

}  // namespace

MarkupSpan ScanMarkup(const std::string& text, std::size_t i) {
  if (text.compare(i, 4, "<!--") == 0) return Delimited(text, i, MarkupKind::Comment, "<!--", "-->");
  if (text.compare(i, 9, "<![CDATA[") == 0) return Delimited(text, i, MarkupKind::CData, "<![CDATA[", "]]>");
  if (text.compare(i, 2, "<?") == 0) return Delimited(text, i, MarkupKind::Instruction, "<?", "?>");
  const bool declaration = text.compare(i, 2, "<!") == 0;
  MarkupKind kind = declaration ? MarkupKind::Declaration : MarkupKind::StartTag;
  if (text.compare(i, 2, "</") == 0) kind = MarkupKind::EndTag;
  char quote = 0;
  int brackets = 0;
  for (std::size_t p = i + 1; p < text.size(); ++p) {
    const char c = text[p];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (declaration && c == '[') {
      ++brackets;
    } else if (declaration && c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      if (kind == MarkupKind::StartTag && text[p - 1] == '/') kind = MarkupKind::EmptyTag;
      return {kind, p + 1, true};
    }
  }
  return {kind, text.size(), false};
}

namespace {

// The name of the tag at text[i], from i + skip up to a byte that ends names.
std::string TagName(const std::string& text, std::size_t i, std::size_t skip) {
  const std::size_t end = text.find_first_of(" \t\r\n/>", i + skip);
  return text.substr(i + skip, (end == std::string::npos ? text.size() : end) - i - skip);
}

// Whether the instruction at text[i] is an XML declaration: target "xml" in any case.
bool IsXmlDeclaration(const std::string& text, std::size_t i) {
  const std::string target = TagName(text, i, 2);
  return target.size() >= 3 && target.size() <= 4 && (target[0] | 0x20) == 'x' && (target[1] | 0x20) == 'm' &&
         (target[2] | 0x20) == 'l' && (target.size() == 3 || target[3] == '?');
}

}  // namespace

bool ContentElements(const std::string& markup, std::vector<ElementSpan>* elements, std::string* why) {
  elements->clear();
  std::vector<std::string> open;
  std::size_t first = 0;  // start of the open top-level element
  for (std::size_t i = markup.find('<'); i != std::string::npos; i = markup.find('<', i)) {
    const MarkupSpan span = ScanMarkup(markup, i);
    if (!span.closed) {
      *why = "MARKUP ends inside its last markup (" + markup.substr(i, 12) + "...)";
      return false;
    }
    if (span.kind == MarkupKind::Declaration ||
        (span.kind == MarkupKind::Instruction && IsXmlDeclaration(markup, i))) {
      *why = std::string("MARKUP holds ") +
             (span.kind == MarkupKind::Declaration ? "a document type declaration" : "an XML declaration") +
             ", which stands only at the start of a document";
      return false;
    }
    if (span.kind == MarkupKind::StartTag || span.kind == MarkupKind::EmptyTag) {
      if (open.empty()) first = i;
      if (span.kind == MarkupKind::StartTag) open.push_back(TagName(markup, i, 1));
      if (open.empty()) elements->push_back({i, span.end});
    } else if (span.kind == MarkupKind::EndTag) {
      const std::string name = TagName(markup, i, 2);
      if (open.empty() || open.back() != name) {
        *why = "in MARKUP, </" + name + "> closes " +
               (open.empty() ? "nothing of its own" : "<" + open.back() + ">");
        return false;
      }
      open.pop_back();
      if (open.empty()) elements->push_back({first, span.end});
    }
    i = span.end;
  }
  if (!open.empty()) {
    *why = "in MARKUP, <" + open.back() + "> is not closed";
    return false;
  }
  return true;
}

}  // namespace orvelxml
