#include "tools/document_encoding.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/charset_converter.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

const char kEncodingHelp[] =
    "FILE may be in UTF-8, in UTF-16 or UTF-32 of either byte order (starting with\n"
    "a byte-order mark or with '<?xml'), or in any encoding its XML declaration\n"
    "names that the system's converter knows; it is written back in its own\n"
    "encoding, byte-order mark included. PATH, VALUE and MARKUP are taken, and what\n"
    "get prints is given, in UTF-8. A character FILE's encoding cannot hold is\n"
    "written as a character reference in an element's text, and refused anywhere\n"
    "else (exit 1, nothing written).\n";

namespace {

using Form = DocumentEncoding::Form;

constexpr unsigned long kReplacement = 0xFFFD;  // what check --lenient reads for bytes not in the encoding

bool Starts(const std::string& text, std::size_t at, const char* prefix, std::size_t n) {
  return text.size() >= at + n && std::memcmp(text.data() + at, prefix, n) == 0;
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

// ---- first bytes and the XML declaration ----------------------------------------

struct FirstBytes {
  Form form;
  std::size_t mark;  // length of the byte-order mark, 0 for none
};

// The form of a file by its first bytes, as XML tells an encoding before
// reading the declaration: a byte-order mark, or "<?" (UTF-16) or "<" (UTF-32)
// in units of more than one byte.
FirstBytes FirstBytesOf(const std::string& b) {
  static const struct {
    const char* bytes;
    std::size_t length;
    FirstBytes first;
  } kStarts[] = {
      {"\0\0\xFE\xFF", 4, {Form::Utf32BE, 4}}, {"\xFF\xFE\0\0", 4, {Form::Utf32LE, 4}},
      {"\xFE\xFF", 2, {Form::Utf16BE, 2}},     {"\xFF\xFE", 2, {Form::Utf16LE, 2}},
      {"\0\0\0<", 4, {Form::Utf32BE, 0}},      {"<\0\0\0", 4, {Form::Utf32LE, 0}},
      {"\0<\0?", 4, {Form::Utf16BE, 0}},       {"<\0?\0", 4, {Form::Utf16LE, 0}},
  };
  for (const auto& s : kStarts)
    if (Starts(b, 0, s.bytes, s.length)) return s.first;
  return {Form::Bytes, 0};
}

const char* FormName(Form form) {
  switch (form) {
    case Form::Utf16LE:
      return "UTF-16LE";
    case Form::Utf16BE:
      return "UTF-16BE";
    case Form::Utf32LE:
      return "UTF-32LE";
    case Form::Utf32BE:
      return "UTF-32BE";
    case Form::Bytes:
      break;
  }
  return "UTF-8";
}

// The encoding name an XML declaration at start of text gives, with its
// offset; an empty name when there is none.
struct DeclaredName {
  std::string name;
  std::size_t at = 0;
};
DeclaredName DeclaredEncoding(const std::string& text, std::size_t start) {
  if (!Starts(text, start, "<?xml", 5) || text.size() <= start + 5 || !IsXmlSpace(text[start + 5])) return {};
  const std::size_t end = text.find("?>", start);
  const std::string_view declaration = std::string_view(text).substr(start, end - start);
  std::size_t p = declaration.find("encoding");
  if (p == std::string_view::npos) return {};
  for (p += 8; p < declaration.size() && IsXmlSpace(declaration[p]);) ++p;
  if (p >= declaration.size() || declaration[p] != '=') return {};
  for (++p; p < declaration.size() && IsXmlSpace(declaration[p]);) ++p;
  if (p >= declaration.size() || (declaration[p] != '"' && declaration[p] != '\'')) return {};
  const std::size_t close = declaration.find(declaration[p], p + 1);
  if (close == std::string_view::npos) return {};
  return {std::string(declaration.substr(p + 1, close - p - 1)), start + p + 1};
}

// The unit width in bytes (2, 4) of a name of UTF-16 or UTF-32 in lower case; 0 for other names.
int UnicodeUnitWidth(const std::string& lower) {
  for (const char* name : {"utf-16", "ucs-2", "ucs2", "iso-10646-ucs-2", "unicode"})
    if (lower.compare(0, std::strlen(name), name) == 0) return 2;
  for (const char* name : {"utf-32", "ucs-4", "ucs4", "iso-10646-ucs-4"})
    if (lower.compare(0, std::strlen(name), name) == 0) return 4;
  return 0;
}

// ---- UTF-16 and UTF-32 ------------------------------------------------------------

bool IsWide(Form form) { return form == Form::Utf32LE || form == Form::Utf32BE; }
bool IsBigEndian(Form form) { return form == Form::Utf16BE || form == Form::Utf32BE; }

// Appends the characters in b's units from at on to *out as UTF-8. Returns
// b.size(), or the offset of the first unit that is no character (with
// *reason), unless lenient reads it as U+FFFD.
std::size_t DecodeUnits(const std::string& b, std::size_t at, Form form, bool lenient, std::string* out,
                        std::string* reason) {
  const std::size_t unit = IsWide(form) ? 4 : 2;
  const bool big = IsBigEndian(form);
  const auto read = [&b, unit, big](std::size_t i) {
    unsigned long v = 0;
    for (std::size_t k = 0; k < unit; ++k)
      v |= static_cast<unsigned long>(static_cast<unsigned char>(b[i + k])) << (8 * (big ? unit - 1 - k : k));
    return v;
  };
  out->reserve(out->size() + (b.size() - at) / unit + 16);
  while (at < b.size()) {
    unsigned long c = kReplacement;
    std::size_t used = unit;
    reason->clear();
    if (b.size() - at < unit) {
      *reason = "the file ends inside a character";
      used = b.size() - at;
    } else if (c = read(at), IsWide(form)) {
      if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) *reason = CodePointName(c) + " is no character";
    } else if (c >= 0xD800 && c <= 0xDBFF && b.size() - at >= 4 && read(at + 2) >= 0xDC00 &&
               read(at + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (read(at + 2) - 0xDC00);
      used = 4;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      *reason = "the surrogate " + CodePointName(c) + " stands without its pair";
    }
    if (!reason->empty()) {
      if (!lenient) return at;
      c = kReplacement;
    }
    AppendUtf8(c, out);
    at += used;
  }
  return at;
}

// false, with *why at the byte of text at at, which starts no UTF-8 character.
bool NotUtf8(const std::string& text, std::size_t at, Diagnostic* why) {
  *why = {static_cast<long>(at), "byte " + ByteName(static_cast<unsigned char>(text[at])) + " is not UTF-8"};
  return false;
}

void AppendUnit(unsigned long v, Form form, std::string* out) {
  const std::size_t unit = IsWide(form) ? 4 : 2;
  for (std::size_t k = 0; k < unit; ++k) {
    const std::size_t shift = 8 * (IsBigEndian(form) ? unit - 1 - k : k);
    out->push_back(static_cast<char>((v >> shift) & 0xFF));
  }
}

// ---- a declared encoding ---------------------------------------------------------

// Where a place in a well-formed text stands, found by walking the text from
// its start: character data, or the markup that holds the place.
class MarkupWalk {
 public:
  explicit MarkupWalk(const std::string& text) : t_(text) {}

  // null for character data, else what holds offset ("an attribute value").
  // Offsets are asked for in ascending order.
  const char* PlaceOf(std::size_t offset) {
    while (p_ < offset) Step();
    switch (state_) {
      case State::Text:
        return nullptr;
      case State::Tag:
        return quote_ != 0 ? "an attribute value" : "a name";
      case State::Comment:
        return "a comment";
      case State::Instruction:
        return "a processing instruction";
      case State::CData:
        return "a CDATA section";
      case State::Doctype:
        break;
    }
    return "the document type declaration";
  }

 private:
  enum class State { Text, Tag, Comment, Instruction, CData, Doctype };

  bool At(const char* s) const { return Starts(t_, p_, s, std::strlen(s)); }
  // Leaves the construct when its end stands at p_.
  void EndAt(const char* end, State next) {
    if (At(end)) {
      state_ = next;
      p_ += std::strlen(end);
    } else {
      ++p_;
    }
  }

  void Step() {
    const char ch = t_[p_];
    switch (state_) {
      case State::Text:
        if (ch != '<') {
          ++p_;
        } else if (At("<!--") || At("<![CDATA[") || At("<?")) {
          state_ = At("<!--") ? State::Comment : At("<?") ? State::Instruction : State::CData;
          p_ += state_ == State::Comment ? 4 : state_ == State::CData ? 9 : 2;
        } else {
          state_ = At("<!") ? State::Doctype : State::Tag;
          ++p_;
        }
        break;
      case State::Tag:
        if (quote_ != 0) {
          quote_ = ch == quote_ ? 0 : quote_;
        } else if (ch == '"' || ch == '\'') {
          quote_ = ch;
        } else if (ch == '>') {
          state_ = State::Text;
        }
        ++p_;
        break;
      case State::Comment:
        EndAt("-->", inSubset_ ? State::Doctype : State::Text);
        break;
      case State::Instruction:
        EndAt("?>", inSubset_ ? State::Doctype : State::Text);
        break;
      case State::CData:
        EndAt("]]>", State::Text);
        break;
      case State::Doctype:
        DoctypeStep(ch);
        break;
    }
  }

  // Inside <!DOCTYPE ...>: quoted literals, and the internal subset's
  // comments and instructions, which may hold any quote or bracket.
  void DoctypeStep(char ch) {
    if (quote_ != 0) {
      quote_ = ch == quote_ ? 0 : quote_;
    } else if (ch == '"' || ch == '\'') {
      quote_ = ch;
    } else if (inSubset_ && (At("<!--") || At("<?"))) {
      state_ = At("<!--") ? State::Comment : State::Instruction;
      p_ += state_ == State::Comment ? 3 : 1;
    } else if (ch == '[') {
      inSubset_ = true;
    } else if (ch == ']') {
      inSubset_ = false;
    } else if (ch == '>' && !inSubset_) {
      state_ = State::Text;
    }
    ++p_;
  }

  const std::string& t_;
  std::size_t p_ = 0;
  State state_ = State::Text;
  char quote_ = 0;
  bool inSubset_ = false;
};

// Where *bytes, read as text, would not be written back as they are: the
// offset in text of the first character that would come back otherwise, or
// -1 when all come back.
long FirstUnfaithful(const std::string& bytes, const std::string& text, const DocumentEncoding& encoding) {
  std::string back;
  Diagnostic refused{0, ""};
  if (!EncodeDocument(text, encoding, &back, &refused)) return refused.offset;
  if (back == bytes) return -1;
  std::size_t differs = 0;
  while (differs < back.size() && differs < bytes.size() && back[differs] == bytes[differs]) ++differs;
  std::string before;  // the characters before the first byte that differs
  encoding.converter->ToUtf8(bytes.data(), differs, &before);
  return static_cast<long>(before.size());
}

// *text (bytes in encoding's declared encoding) as UTF-8; false with *why
// at the first byte that is not in it.
bool Convert(std::string* text, DocumentEncoding* encoding, Diagnostic* why, const DecodeOptions& options) {
  std::string bytes;
  bytes.swap(*text);
  text->reserve(bytes.size() + bytes.size() / 8);
  for (std::size_t at = 0; at < bytes.size();) {
    at += encoding->converter->ToUtf8(bytes.data() + at, bytes.size() - at, text);
    if (at == bytes.size()) break;
    if (!options.lenient) {
      *why = {static_cast<long>(text->size()),
              "byte " + ByteName(static_cast<unsigned char>(bytes[at])) + " is not " + encoding->name};
      return false;
    }
    AppendUtf8(kReplacement, text);
    ++at;
  }
  if (!options.faithful) return true;
  const long unfaithful = FirstUnfaithful(bytes, *text, *encoding);
  if (unfaithful < 0) return true;
  *why = {unfaithful, "this character would not be written back as the bytes it was read from (" +
                          encoding->name + " has more than one form of it); nothing is written"};
  return false;
}

}  // namespace

bool DecodeDocument(std::string* text, DocumentEncoding* encoding, Diagnostic* why,
                    const DecodeOptions& options) {
  *encoding = DocumentEncoding();
  const FirstBytes first = FirstBytesOf(*text);
  if (first.form != Form::Bytes) {
    encoding->form = first.form;
    encoding->byteOrderMark = first.mark > 0;
    encoding->name = FormName(first.form);
    std::string bytes, reason;
    bytes.swap(*text);
    if (DecodeUnits(bytes, first.mark, first.form, options.lenient, text, &reason) < bytes.size()) {
      *why = {static_cast<long>(text->size()), "the bytes here are not " + encoding->name + ": " + reason};
      return false;
    }
    const DeclaredName declared = DeclaredEncoding(*text, 0);
    const std::string lower = Lower(declared.name);
    const bool sameWidth = UnicodeUnitWidth(lower) == (IsWide(first.form) ? 4 : 2);
    const std::string order = lower.size() >= 2 ? lower.substr(lower.size() - 2) : std::string();
    const bool otherOrder =
        (order == "le" && IsBigEndian(first.form)) || (order == "be" && !IsBigEndian(first.form));
    if (declared.name.empty() || (sameWidth && !otherOrder) || options.lenient) return true;
    *why = {static_cast<long>(declared.at),
            "the document is stored in " + encoding->name + " but declares " + declared.name};
    return false;
  }
  const bool utf8Mark = Starts(*text, 0, "\xEF\xBB\xBF", 3);
  const DeclaredName declared = DeclaredEncoding(*text, utf8Mark ? 3 : 0);
  const std::string lower = Lower(declared.name);
  if (declared.name.empty() || lower == "utf-8" || lower == "utf8") return true;
  const auto refuse = [why](std::size_t at, const std::string& message) {
    *why = {static_cast<long>(at), message};
    return false;
  };
  if (options.lenient) {
    // The module's verdict on what it can read: an encoding the system knows is converted.
    encoding->converter = IsEncodingName(declared.name) && UnicodeUnitWidth(lower) == 0
                              ? orvel::platform::CharsetConverter::Open(declared.name)
                              : nullptr;
    if (encoding->converter) encoding->name = declared.name;
    return !encoding->converter || Convert(text, encoding, why, options);
  }
  if (!IsEncodingName(declared.name))
    return refuse(declared.at, "'" + declared.name + "' is not an encoding name");
  if (utf8Mark)
    return refuse(0, "the document starts with a UTF-8 byte-order mark but declares another encoding");
  if (UnicodeUnitWidth(lower) != 0)
    return refuse(declared.at, "the document declares " + declared.name + " but is stored in 8-bit units");
  encoding->name = declared.name;
  if (lower == "us-ascii" || lower == "ascii") {
    // ASCII is UTF-8 as it stands: the bytes stay as they are.
    for (std::size_t i = 0; i < text->size(); ++i)
      if (static_cast<unsigned char>((*text)[i]) >= 0x80)
        return refuse(
            i, "byte " + ByteName(static_cast<unsigned char>((*text)[i])) + " is not " + declared.name);
    return true;
  }
  encoding->converter = orvel::platform::CharsetConverter::Open(declared.name);
  if (!encoding->converter)
    return refuse(declared.at, "encoding '" + declared.name + "' is not one this system can convert");
  return Convert(text, encoding, why, options);
}

bool EncodeDocument(const std::string& text, const DocumentEncoding& encoding, std::string* bytes,
                    Diagnostic* why) {
  bytes->clear();
  if (encoding.KeepsBytes()) {
    *bytes = text;
    return true;
  }
  if (encoding.form != Form::Bytes) {
    bytes->reserve((text.size() + 1) * (IsWide(encoding.form) ? 4 : 2));
    if (encoding.byteOrderMark) AppendUnit(0xFEFF, encoding.form, bytes);
    for (std::size_t at = 0; at < text.size();) {
      const DecodedChar c = DecodeUtf8(text, at);
      if (c.length == 0) return NotUtf8(text, at, why);
      if (c.code >= 0x10000 && !IsWide(encoding.form)) {
        AppendUnit(0xD800 + ((c.code - 0x10000) >> 10), encoding.form, bytes);
        AppendUnit(0xDC00 + ((c.code - 0x10000) & 0x3FF), encoding.form, bytes);
      } else {
        AppendUnit(c.code, encoding.form, bytes);
      }
      at += c.length;
    }
    return true;
  }
  MarkupWalk walk(text);
  bytes->reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    at += encoding.converter->FromUtf8(text.data() + at, text.size() - at, bytes);
    if (at == text.size()) break;
    const DecodedChar c = DecodeUtf8(text, at);
    if (c.length == 0) return NotUtf8(text, at, why);
    if (const char* place = walk.PlaceOf(at)) {
      *why = {static_cast<long>(at), encoding.name + " cannot hold " + CodePointName(c.code) + " in " +
                                         place +
                                         " (a character reference stands for it only in an element's text)"};
      return false;
    }
    char reference[16];
    std::snprintf(reference, sizeof reference, "&#x%lX;", c.code);
    encoding.converter->FromUtf8(reference, std::strlen(reference), bytes);
    at += c.length;
  }
  return true;
}

}  // namespace orvelxml
