#include "tools/markup_scan.h"

#include <array>
#include <cstring>

namespace orvelxml {

namespace {

// Byte classes of the tag scan, bits of a 256-entry table.
enum : unsigned char {
  kNameEnd = 1,  // " \t\n\r/>": ends a tag's name
  kTagStop = 2,  // '"', '\'', '<', '>' and NUL (the string's end): the bytes a tag scan looks at
};
constexpr std::array<unsigned char, 256> kByteClasses = [] {
  std::array<unsigned char, 256> classes{};
  for (const char c : {' ', '\t', '\n', '\r', '/', '>', '\0'})
    classes[static_cast<unsigned char>(c)] |= kNameEnd;
  for (const char c : {'"', '\'', '<', '>', '\0'}) classes[static_cast<unsigned char>(c)] |= kTagStop;
  return classes;
}();

bool HasClass(char c, unsigned char bits) {
  return (kByteClasses[static_cast<unsigned char>(c)] & bits) != 0;
}

// A comment, CDATA section or instruction: it ends after terminator, which
// is looked for from offset from on (it may overlap the opening: <!-->).
MarkupSpan Delimited(const std::string& text, std::size_t from, MarkupKind kind, const char* terminator) {
  const std::size_t at = text.find(terminator, from);
  if (at == std::string::npos) return {kind, text.size(), false};
  return {kind, at + std::strlen(terminator), true};
}

// A tag or declaration whose quotes count from offset from on: it ends after
// the first '>' outside quotes. Malformed markup ends before a '<' too.
MarkupSpan Tag(const std::string& text, std::size_t from, MarkupKind kind, bool quotes) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  char quote = 0;
  for (std::size_t p = from; p < size; ++p) {
    while (!HasClass(data[p], kTagStop)) ++p;  // the NUL after the text stops it at the end
    if (p >= size) break;
    const char c = data[p];
    if (kind == MarkupKind::Malformed && c == '<') return {kind, p, true};
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (quotes && (c == '"' || c == '\'')) {
      quote = c;
    } else if (c == '>') {
      if (kind == MarkupKind::StartTag && data[p - 1] == '/') kind = MarkupKind::EmptyTag;
      return {kind, p + 1, true};
    }
  }
  return {kind, size, false};
}

// A byte that can start an element's name after '<', as the module reads it.
bool IsNameStartByte(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u > 0x60;
}

// A document type declaration ends at the first '>' outside the markup nested
// in it (the declarations, comments and instructions of its internal subset);
// quotes outside that markup mean nothing.
MarkupSpan DocumentType(const std::string& text, std::size_t i) {
  for (std::size_t p = i + 3; p < text.size(); ++p) {
    if (text[p] == '>') return {MarkupKind::Declaration, p + 1, true};
    if (text[p] != '<') continue;
    // A nested <!D or <![ is malformed and ends at its own '>'.
    const bool odd = text.compare(p, 3, "<!D") == 0 || text.compare(p, 3, "<![") == 0;
    const MarkupSpan nested = odd ? Tag(text, p + 1, MarkupKind::Malformed, true) : ScanMarkup(text, p);
    if (!nested.closed) return {MarkupKind::Declaration, text.size(), false};
    p = nested.end - 1;
  }
  return {MarkupKind::Declaration, text.size(), false};
}

}  // namespace

MarkupSpan ScanMarkup(const std::string& text, std::size_t i) {
  const auto at = [&text](std::size_t p) { return p < text.size() ? text[p] : '\0'; };
  if (at(i + 1) == '?') return Delimited(text, i + 1, MarkupKind::Instruction, "?>");
  if (at(i + 1) == '/') return Tag(text, i + 2, MarkupKind::EndTag, false);
  if (IsNameStartByte(at(i + 1))) {
    // Quotes count once the name has ended: a quote in a name is part of it.
    std::size_t p = i + 1;
    while (!HasClass(text[p], kNameEnd)) ++p;  // as far as the NUL after the text at most
    return Tag(text, p, MarkupKind::StartTag, true);
  }
  if (at(i + 1) != '!') return Tag(text, i + 1, MarkupKind::Malformed, true);
  switch (at(i + 2)) {
    case '-':
      if (at(i + 3) == '-') return Delimited(text, i + 2, MarkupKind::Comment, "-->");
      break;
    case '[':
      if (at(i + 3) == 'C') return Delimited(text, i + 3, MarkupKind::CData, "]]>");
      break;
    case 'D':
      return DocumentType(text, i);
    case 'E':
    case 'A':
    case 'N':
      return Tag(text, i + 3, MarkupKind::Declaration, true);
  }
  return Tag(text, i + 2, MarkupKind::Malformed, true);
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
    if (span.kind == MarkupKind::Malformed) {
      *why = "MARKUP holds a '<' that starts no markup (write &lt; for the character)";
      return false;
    }
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
