// Escaping, entity decoding, CDATA wrapping and new-node markup.
#include "engine/encoding.h"

#include <cstdlib>
#include <cstring>

#include "engine/scanner_blocks.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Escape rows in lookup order; the first three form the text-mode set.
struct EscapeRow {
  char c;
  const char* replacement;
  std::size_t length;
};
constexpr EscapeRow kEscapes[5] = {
    {'<', "&lt;", 4}, {'&', "&amp;", 5}, {'>', "&gt;", 4}, {'\'', "&apos;", 6}, {'"', "&quot;", 6}};
constexpr int kTextModeRows = 3;

// Names after '&', ';' included, in the same order as kEscapes.
struct EntityRow {
  const char* name;
  std::int32_t length;
  char decoded;
};
constexpr EntityRow kEntities[5] = {
    {"lt;", 3, '<'}, {"amp;", 4, '&'}, {"gt;", 3, '>'}, {"apos;", 5, '\''}, {"quot;", 5, '"'}};

// A numeric reference's ';' may stand at most this many bytes after the first digit.
constexpr std::int32_t kMaxDigitRun = 7;

constexpr unsigned kMaxCodePoint = 0x10FFFF;

bool IsRefNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '#' || c == '_' || c == ':' || c >= 0x80;
}

bool IsRefNameChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == ':' ||
         c == '-' || c == '.' || c >= 0x80;
}

// Length of the reference "&name;" starting at amp (the '&'), or 0 when the
// bytes after it are not a name followed by ';'.
std::size_t ReferenceLength(const char* amp) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(amp) + 1;
  if (!IsRefNameStart(*p)) return 0;
  ++p;
  while (IsRefNameChar(*p)) ++p;
  if (*p != ';') return 0;
  return static_cast<std::size_t>(p - reinterpret_cast<const unsigned char*>(amp)) + 1;
}

const EscapeRow* FindEscape(char c, int rows) {
  for (int r = 0; r < rows; ++r)
    if (kEscapes[r].c == c) return &kEscapes[r];
  return nullptr;
}

// Which bytes are escaped: bit 1 in text and attribute mode ('<', '&', '>'),
// bit 2 in attribute mode only (the quotes). NUL stops a run too.
struct EscapeClasses {
  unsigned char of[256] = {};
  constexpr EscapeClasses() {
    of[0] = 3;
    of[static_cast<unsigned char>('<')] = of[static_cast<unsigned char>('&')] = 3;
    of[static_cast<unsigned char>('>')] = 3;
    of[static_cast<unsigned char>('\'')] = of[static_cast<unsigned char>('"')] = 2;
  }
};
constexpr EscapeClasses kEscapeClasses{};

// Appends code point v (1..0x10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, unsigned v) {
  if (v < 0x80) {
    out += static_cast<char>(v);
  } else if (v < 0x800) {
    out += static_cast<char>(0xC0 | ((v >> 6) & 0x1F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  } else if (v < 0x10000) {
    out += static_cast<char>(0xE0 | ((v >> 12) & 0x0F));
    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | ((v >> 18) & 0x07));
    out += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (v & 0x3F));
  }
}

// Decodes a numeric reference whose '&' stands at text[i] (text[i + 1] is '#').
// Returns the span length consumed (through ';') or 0 when it is no reference:
// no ';' within reach, a value of 0, a negative value, one above the Unicode
// range or a surrogate. Such text is left for the caller to copy unchanged.
std::int32_t DecodeNumericRef(const char* text, std::int32_t i, std::int32_t length, std::string& out) {
  std::int32_t digits = i + 2;
  int base = 10;
  if (digits < length && text[digits] == 'x') {
    base = 16;
    ++digits;
  }
  std::int32_t semi = -1;
  // Counted from the digits, so that a span ending near the largest offset cannot overflow.
  for (std::int32_t k = digits; k < length && k - digits <= kMaxDigitRun; ++k) {
    if (text[k] == '\0') break;
    if (text[k] == ';') {
      semi = k;
      break;
    }
  }
  if (semi < 0) return 0;
  // strtol stops at the ';' at the latest, so it never reads outside the span.
  long value = std::strtol(text + digits, nullptr, base);
  if (value <= 0 || value > static_cast<long>(kMaxCodePoint)) return 0;
  if (value >= 0xD800 && value <= 0xDFFF) return 0;
  AppendUtf8(out, static_cast<unsigned>(value));
  return semi + 1 - i;
}

// Decodes a named entity at text[i] ('&'); returns the span length consumed or 0.
std::int32_t DecodeNamedRef(const char* text, std::int32_t i, std::int32_t length, std::string& out) {
  for (const EntityRow& row : kEntities) {
    // The name with its ';' must fit the span: i + 1 + row.length <= length, without overflow.
    if (row.length < length - i && std::memcmp(text + i + 1, row.name, row.length) == 0) {
      out += row.decoded;
      return 1 + row.length;
    }
  }
  return 0;
}

constexpr char kCDataOpen[] = "<![CDATA[";
constexpr char kCDataClose[] = "]]>";

}  // namespace

// ---- escaping -------------------------------------------------------------

std::string EscapeText(const char* text, int flags) {
  std::string out;
  EscapeTextInto(text, flags, out);
  return out;
}

void EscapeTextInto(const char* text, int flags, std::string& out) {
  if (text == nullptr) text = "";
  const int rows = (flags & EditAttribute) ? 5 : kTextModeRows;
  const bool keepRefs = (flags & EditKeepRefs) != 0;
  const std::size_t n = std::strlen(text);
  const std::size_t room = out.size() + n + n / 10 + 7;
  if (out.capacity() < room) out.reserve(room);
  const unsigned char stops = rows == kTextModeRows ? 1 : 3;
  const char* p = text;
  while (*p != '\0') {
    // Copy the run of bytes that need no escaping in one piece.
    const char* run = p;
    while ((kEscapeClasses.of[static_cast<unsigned char>(*p)] & stops) == 0) ++p;
    out.append(run, static_cast<std::size_t>(p - run));
    if (*p == '\0') break;
    if (*p == '&' && keepRefs) {
      std::size_t refLength = ReferenceLength(p);
      if (refLength != 0) {
        out.append(p, refLength);
        p += refLength;
        continue;
      }
    }
    const EscapeRow* row = FindEscape(*p, rows);
    out.append(row->replacement, row->length);
    ++p;
  }
}

// ---- decoding -------------------------------------------------------------

void DecodeTextInto(const char* text, std::int32_t length, std::string& out) {
  if (text == nullptr) return;
  if (length == -1) length = static_cast<std::int32_t>(std::strlen(text));
  if (length < 0) return;  // no other negative length names a span
  out.reserve(out.size() + static_cast<std::size_t>(length));
  std::int32_t i = 0;
  while (i < length) {
    const char* amp = blocks::FindIn(text + i, text + length, '&');
    if (amp == nullptr) {
      out.append(text + i, static_cast<std::size_t>(length - i));
      break;
    }
    std::int32_t at = static_cast<std::int32_t>(amp - text);
    out.append(text + i, static_cast<std::size_t>(at - i));
    i = at;
    std::int32_t used = (i + 1 < length && text[i + 1] == '#') ? DecodeNumericRef(text, i, length, out)
                                                               : DecodeNamedRef(text, i, length, out);
    if (used == 0) {
      out += '&';
      used = 1;
    }
    i += used;
  }
}

std::string DecodeText(const char* text, std::int32_t length) {
  std::string out;
  DecodeTextInto(text, length, out);
  return out;
}

std::string_view DecodeView(const char* text, std::int32_t length, std::string& scratch) {
  if (text == nullptr || length <= 0) return std::string_view();
  if (blocks::FindIn(text, text + length, '&') == nullptr)
    return std::string_view(text, static_cast<std::size_t>(length));
  scratch.clear();
  DecodeTextInto(text, length, scratch);
  return scratch;
}

// ---- CDATA ----------------------------------------------------------------

std::string WrapCData(const char* text) {
  if (text == nullptr) text = "";
  std::string out(kCDataOpen);
  const char* rest = text;
  while (const char* end = std::strstr(rest, kCDataClose)) {
    out.append(rest, static_cast<std::size_t>(end - rest));
    out += "]]]]><![CDATA[>";
    rest = end + 3;
  }
  out += rest;
  out += kCDataClose;
  return out;
}

// ---- new-node markup ------------------------------------------------------

bool BuildNodeMarkup(int nodeType, const char* content, std::string& out) {
  if (content == nullptr) content = "";
  switch (nodeType) {
    case NodeElement:
      out = std::string("<") + content + "/>";
      return true;
    case NodeText:
    case NodeSpace:
      out = EscapeText(content, 0);
      return true;
    case NodeCData:
      if (std::strstr(content, kCDataClose) != nullptr) return false;
      out = std::string(kCDataOpen) + content + kCDataClose;
      return true;
    case NodeInstruction:
      out = std::string("<?") + content + "?>";
      return true;
    case NodeComment:
      out = std::string("<!--") + content + "-->";
      return true;
    case NodeDoctype:
      out = content;
      return true;
    case NodeEndTag:
      return false;
    default:
      return true;
  }
}

}  // namespace orvel
