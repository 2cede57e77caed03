#include "tools/strict/strict_check.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "tools/strict/strict_parser.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

namespace {

struct ByteClasses {
  bool name[256];      // ASCII name characters but the colon: letters, digits, - . _
  bool textStop[256];  // < & ] end a run of character data
};

constexpr ByteClasses MakeByteClasses() {
  ByteClasses classes{};
  for (int c = 0; c < 128; ++c) {
    classes.name[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || c == '_';
  }
  classes.textStop[static_cast<unsigned char>('<')] = true;
  classes.textStop[static_cast<unsigned char>('&')] = true;
  classes.textStop[static_cast<unsigned char>(']')] = true;
  return classes;
}

constexpr ByteClasses kByteClasses = MakeByteClasses();

inline bool IsAsciiNameChar(char c) { return kByteClasses.name[static_cast<unsigned char>(c)]; }
inline bool IsTextStop(char c) { return kByteClasses.textStop[static_cast<unsigned char>(c)]; }

#if defined(__SSE2__)
constexpr std::size_t kPlainRun = 16;

// Whether the 16 bytes at p need no further look: ASCII from 0x20, tabs and
// line breaks. Compared as signed bytes, those from 0x80 are below 0x20 too.
inline bool PlainRun(const char* p) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i low = _mm_cmplt_epi8(v, _mm_set1_epi8(0x20));
  const __m128i space = _mm_or_si128(
      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\t'))),
      _mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
  return _mm_movemask_epi8(_mm_andnot_si128(space, low)) == 0;
}
#else
constexpr std::size_t kPlainRun = 8;

// Whether the eight bytes at p are all printable ASCII (0x20 to 0x7F), the
// bytes that need no further look. A byte below 0x20 borrows into its high
// bit; a byte from 0x80 has it already.
inline bool PlainRun(const char* p) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return (((w - kOnes * 0x20) | w) & kHighBits) == 0;
}
#endif

bool IsPredefinedEntity(std::string_view name) {
  return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

}  // namespace

std::vector<Diagnostic> FindStrictErrors(const std::string& text, const StrictOptions& options) {
  try {
    StrictParser(text, options).Run();
  } catch (const Diagnostic& d) {
    return {d};
  } catch (const StrictParser::Cancelled&) {
  }
  return {};
}

// ---- characters and tokens ---------------------------------------------------

void StrictParser::FailAt(const Source& c, std::size_t at, const std::string& message) const {
  throw Diagnostic{c.reportAt >= 0 ? c.reportAt : static_cast<long>(at),
                   c.context.empty() ? message : c.context + ": " + message};
}

void StrictParser::CheckCharacters(const Source& c) const {
  const std::string& s = c.s;
  const std::size_t n = s.size();
  std::size_t blockEnd = 0;
  for (std::size_t p = 0; p < n;) {
    if (p >= blockEnd) {
      if (n - p >= kPlainRun && PlainRun(s.data() + p)) {
        p += kPlainRun;
        continue;
      }
      blockEnd = p + kPlainRun;  // looked at byte by byte
    }
    const unsigned char b = static_cast<unsigned char>(s[p]);
    if ((b >= 0x20 && b < 0x80) || b == '\n' || b == '\t' || b == '\r') {
      ++p;
      continue;
    }
    const DecodedChar d = DecodeUtf8(s, p);
    if (d.length == 0) FailAt(c, p, "byte " + ByteName(b) + " is not UTF-8");
    if (!IsXmlChar(d.code)) FailAt(c, p, "character " + CodePointName(d.code) + " is not allowed in XML");
    p += d.length;
  }
}

unsigned long StrictParser::CharAt(const std::string& s, std::size_t at, std::size_t* length) const {
  const DecodedChar d = DecodeUtf8(s, at);
  *length = d.length == 0 ? 1 : d.length;
  return d.length == 0 ? 0 : d.code;
}

void StrictParser::RequireSpace(Source& c, const char* where) const {
  if (!SkipSpace(c)) Fail(c, std::string("white space is needed ") + where);
}

std::string_view StrictParser::Name(Source& c, const char* what, bool* colon) const {
  const std::size_t start = c.p;
  std::size_t length = 1;
  const char first = c.p < c.s.size() ? c.s[c.p] : '\0';
  bool sawColon = first == ':';
  const bool asciiStart =
      sawColon || (IsAsciiNameChar(first) && first != '-' && first != '.' && (first < '0' || first > '9'));
  if (!asciiStart && (c.p >= c.s.size() || !IsNameStartChar(CharAt(c.s, c.p, &length)))) {
    Fail(c, std::string("expected ") + what);
  }
  c.p += length;
  const std::size_t n = c.s.size();
  for (;;) {
    while (c.p < n && IsAsciiNameChar(c.s[c.p])) ++c.p;
    if (c.p < n && c.s[c.p] == ':') {
      sawColon = true;
      ++c.p;
      continue;
    }
    if (c.p >= n || static_cast<unsigned char>(c.s[c.p]) < 0x80 || !IsNameChar(CharAt(c.s, c.p, &length)))
      break;
    c.p += length;
  }
  if (colon != nullptr) *colon = sawColon;
  return std::string_view(c.s).substr(start, c.p - start);
}

void StrictParser::Nmtoken(Source& c) const {
  const std::size_t start = c.p;
  std::size_t length = 0;
  while (c.p < c.s.size() && IsNameChar(CharAt(c.s, c.p, &length))) c.p += length;
  if (c.p == start) Fail(c, "expected a name token");
}

std::string StrictParser::Quoted(Source& c, const char* what) const {
  const char quote = c.p < c.s.size() ? c.s[c.p] : 0;
  if (quote != '"' && quote != '\'') Fail(c, std::string("expected ") + what + " in quotes");
  const std::size_t end = c.s.find(quote, c.p + 1);
  if (end == std::string::npos) Fail(c, std::string(what) + " is not closed");
  const std::string value = c.s.substr(c.p + 1, end - c.p - 1);
  c.p = end + 1;
  return value;
}

// ---- document and content -----------------------------------------------------

void StrictParser::Run() {
  Source c{text_, 0, -1, ""};
  if (Looking(c, "\xEF\xBB\xBF")) c.p = 3;  // a UTF-8 byte-order mark
  if (Looking(c, "<?xml") && c.p + 5 < text_.size() && (IsXmlSpace(text_[c.p + 5]) || text_[c.p + 5] == '?'))
    ReadClosed(
        c, c.p, [] { return std::string("the XML declaration"); }, [&] { XmlDeclaration(c); });
  // The characters are checked in one quick pass first; a bad one is
  // reported unless the markup breaks a rule before it.
  bool badCharacter = false;
  Diagnostic character{0, ""};
  try {
    CheckCharacters(c);
  } catch (const Diagnostic& d) {
    badCharacter = true;
    character = d;
  }
  try {
    Prolog(c);
  } catch (const Diagnostic& d) {
    if (badCharacter && character.offset <= d.offset) throw character;
    throw;
  }
  if (badCharacter) throw character;
}

// The document after its XML declaration: the root element with what may
// stand before and after it.
void StrictParser::Prolog(Source& c) {
  bool doctype = false, root = false;
  for (;;) {
    SkipSpace(c);
    if (c.p >= text_.size()) break;
    if (Looking(c, "<!--")) {
      Comment(c);
    } else if (Looking(c, "<?")) {
      Instruction(c);
    } else if (Looking(c, "<!DOCTYPE")) {
      if (doctype || root) Fail(c, "a document type declaration comes once, before the root element");
      ReadClosed(
          c, c.p, [] { return std::string("the document type declaration"); }, [&] { Doctype(c); });
      doctype = true;
    } else if (Looking(c, "<!") || Looking(c, "</")) {
      Fail(c, Looking(c, "<![CDATA[") ? "a CDATA section outside the root element"
                                      : "markup that is not allowed outside the root element");
    } else if (Looking(c, "<")) {
      if (root) Fail(c, "a second root element");
      Content(c, true);
      root = true;
    } else {
      Fail(c, text_[c.p] == '&' ? "a reference outside the root element" : "text outside the root element");
    }
  }
  if (!root) Fail(c, text_.empty() ? "the document is empty" : "no root element");
}

template <class What, class Read>
void StrictParser::ReadClosed(const Source& c, std::size_t at, What what, Read read) const {
  try {
    read();
  } catch (const Diagnostic& d) {
    if (&c.s == &text_ && d.offset >= static_cast<long>(text_.size()))
      FailAt(c, at, what() + " is not closed");
    throw;
  }
}

void StrictParser::XmlDeclaration(Source& c) {
  c.p += 5;
  RequireSpace(c, "after '<?xml'");
  Expect(c, "version", "version first in the XML declaration");
  SkipSpace(c), Expect(c, "=", "'=' after version"), SkipSpace(c);
  const std::string version = Quoted(c, "the version");
  if (version.size() < 3 || version.compare(0, 2, "1.") != 0 ||
      version.find_first_not_of("0123456789", 2) != std::string::npos)
    Fail(c, "version '" + version + "' is not 1.x");
  bool space = SkipSpace(c);
  std::string encoding;
  if (Looking(c, "encoding")) {
    if (!space) Fail(c, "white space is needed before encoding");
    c.p += 8;
    SkipSpace(c), Expect(c, "=", "'=' after encoding"), SkipSpace(c);
    encoding = Quoted(c, "the encoding name");
    if (!IsEncodingName(encoding)) Fail(c, "'" + encoding + "' is not an encoding name");
    space = SkipSpace(c);
  }
  if (Looking(c, "standalone")) {
    if (!space) Fail(c, "white space is needed before standalone");
    c.p += 10;
    SkipSpace(c), Expect(c, "=", "'=' after standalone"), SkipSpace(c);
    const std::string value = Quoted(c, "the standalone value");
    if (value != "yes" && value != "no") Fail(c, "standalone is 'yes' or 'no'");
    standalone_ = value == "yes";
    SkipSpace(c);
  }
  Expect(c, "?>", "'?>' to end the XML declaration (version, encoding, standalone in that order)");
}

void StrictParser::Comment(Source& c) const {
  const std::size_t at = c.p;
  const std::size_t dashes = c.s.find("--", at + 4);
  if (dashes == std::string::npos) FailAt(c, at, "comment is not closed");
  if (dashes + 2 >= c.s.size() || c.s[dashes + 2] != '>') FailAt(c, dashes, "'--' inside a comment");
  c.p = dashes + 3;
}

void StrictParser::Instruction(Source& c) const {
  const std::size_t at = c.p;
  c.p += 2;
  const std::string target(Name(c, "a processing instruction target after '<?'"));
  if (namespaces_) CheckNoColon(c, at + 2, target, "processing instruction target");
  if (target == "xml") FailAt(c, at, "the XML declaration is allowed only at the very start of the document");
  if (Lower(target) == "xml") FailAt(c, at, "processing instruction target '" + target + "' is reserved");
  if (Looking(c, "?>")) {
    c.p += 2;
    return;
  }
  RequireSpace(c, "after the processing instruction target");
  const std::size_t end = c.s.find("?>", c.p);
  if (end == std::string::npos) FailAt(c, at, "processing instruction is not closed");
  c.p = end + 2;
}

void StrictParser::CData(Source& c) const {
  const std::size_t end = c.s.find("]]>", c.p + 9);
  if (end == std::string::npos) Fail(c, "CDATA section is not closed");
  c.p = end + 3;
}

void StrictParser::Content(Source& c, bool document) {
  std::vector<OpenTag> open;
  const std::size_t n = c.s.size();
  for (;;) {
    if (c.p >= n) {
      if (open.empty()) return;
      if (&c.s != &text_) Fail(c, "element '" + std::string(open.back().name) + "' is not closed");
      std::vector<OpenElement> left;
      for (const OpenTag& t : open) left.push_back({std::string(t.name), static_cast<long>(t.at)});
      Fail(c, EndsOpenMessage(text_, left));
    }
    const char ch = c.s[c.p];
    if (ch == '&') {
      Reference(c, false);
    } else if (ch != '<') {
      for (; c.p < n && !IsTextStop(c.s[c.p]); ++c.p) {
      }
      if (c.p < n && c.s[c.p] == ']') {
        if (Looking(c, "]]>")) Fail(c, "']]>' in text");
        ++c.p;
      }
    } else if (Looking(c, "</")) {
      const std::size_t at = c.p;
      c.p += 2;
      // Most end tags name the open element, whose name was read already.
      const std::string_view openName = open.empty() ? std::string_view() : open.back().name;
      const std::size_t after = c.p + openName.size();
      const bool same = !open.empty() && after < n && (c.s[after] == '>' || IsXmlSpace(c.s[after])) &&
                        c.s.compare(c.p, openName.size(), openName.data(), openName.size()) == 0;
      if (same) c.p = after;
      const std::string_view name = same ? openName : Name(c, "a name after '</'");
      SkipSpace(c);
      Expect(c, ">", "'>' to end the end tag");
      if (open.empty()) FailAt(c, at, "end tag '" + std::string(name) + "' has no start tag");
      if (open.back().name != name)
        FailAt(c, at,
               "end tag '" + std::string(name) + "' does not match start tag '" +
                   std::string(open.back().name) + "'" + OpenedAt(c, open.back().at));
      bindingCount_ = open.back().scope;
      open.pop_back();
      if (document && open.empty()) return;
    } else if (Looking(c, "<!--")) {
      Comment(c);
    } else if (Looking(c, "<![CDATA[")) {
      CData(c);
    } else if (Looking(c, "<?")) {
      Instruction(c);
    } else if (Looking(c, "<!")) {
      Fail(c, "a declaration inside an element");
    } else {
      if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) throw Cancelled();
      const std::size_t at = c.p;
      const std::size_t scope = bindingCount_;
      std::string_view name;
      bool empty = false;
      const auto what = [&c, at] {
        const std::size_t end = c.s.find_first_of(" \t\r\n/>", at + 1);
        return "start tag '" + c.s.substr(at + 1, end == std::string::npos ? end : end - at - 1) + "'";
      };
      ReadClosed(c, at, what, [&] { empty = StartTag(c, &name); });
      if (!empty) {
        open.push_back({name, at, scope});
      } else {
        bindingCount_ = scope;
        if (document && open.empty()) return;
      }
    }
  }
}

// " (opened at LINE:COL)" for a start tag at at in the document itself.
std::string StrictParser::OpenedAt(const Source& c, std::size_t at) const {
  return &c.s == &text_ ? " (opened at " + LineColumnText(text_, static_cast<long>(at)) + ")" : std::string();
}

bool StrictParser::StartTag(Source& c, std::string_view* name) {
  const std::size_t at = c.p;
  ++c.p;
  bool prefixed = false;  // a name with a colon, or a declaration, needs the namespace rules
  *name = Name(c, "a tag name after '<'", &prefixed);
  attributes_.clear();
  attributeSet_.reset();
  for (;;) {
    const bool space = SkipSpace(c);
    const bool empty = Looking(c, "/>");
    if (empty || Looking(c, ">")) {
      c.p += empty ? 2 : 1;
      if (namespaces_ && (prefixed || !namespaceAttributes_.empty())) CheckNamespaces(c, at, *name);
      return empty;
    }
    if (c.p >= c.s.size()) FailAt(c, at, "start tag '" + std::string(*name) + "' is not closed");
    if (!space) Fail(c, "white space is needed before an attribute");
    const std::size_t attributeAt = c.p;
    bool colon = false;
    const std::string_view attribute = Name(c, "an attribute name", &colon);
    prefixed = prefixed || colon || (attribute.size() == 5 && attribute == "xmlns");
    SkipSpace(c);
    if (!Looking(c, "=")) Fail(c, "expected '=' after attribute '" + std::string(attribute) + "'");
    ++c.p;
    SkipSpace(c);
    const std::size_t valueAt = c.p + 1;
    AttributeValue(c);
    const std::string_view value(c.s.data() + valueAt, c.p - 1 - valueAt);
    if (RepeatsAttribute({attribute, attributeAt, value, std::string_view()}))
      FailAt(c, attributeAt, "attribute '" + std::string(attribute) + "' is given twice");
  }
}

bool StrictParser::RepeatsAttribute(const Attribute& attribute) {
  constexpr std::size_t kListed = 16;  // a list this short is searched faster than hashed
  if (attributeSet_) {
    if (!attributeSet_->insert(attribute.name).second) return true;
  } else {
    for (const Attribute& seen : attributes_)
      if (seen.name == attribute.name) return true;
  }
  attributes_.push_back(attribute);
  if (!attributeSet_ && attributes_.size() > kListed) {
    attributeSet_.reset(new std::unordered_set<std::string_view>());
    for (const Attribute& seen : attributes_) attributeSet_->insert(seen.name);
  }
  return false;
}

void StrictParser::AttributeValue(Source& c) {
  const char quote = c.p < c.s.size() ? c.s[c.p] : 0;
  if (quote != '"' && quote != '\'') Fail(c, "an attribute value must be in quotes");
  const std::size_t at = c.p++;
  AttributeText(c, quote);
  if (c.p >= c.s.size()) FailAt(c, at, "attribute value is not closed");
  ++c.p;
}

// The characters of an attribute value up to quote (or, with quote 0, the
// end of an entity's replacement text).
void StrictParser::AttributeText(Source& c, char quote) {
  while (c.p < c.s.size() && (quote == 0 || c.s[c.p] != quote)) {
    if (c.s[c.p] == '<') Fail(c, "'<' in an attribute value");
    if (c.s[c.p] == '&') {
      Reference(c, true);
    } else {
      ++c.p;
    }
  }
}

unsigned long StrictParser::CharacterReference(Source& c, std::size_t at) const {
  const bool hex = Looking(c, "&#x");
  c.p += hex ? 3 : 2;
  const std::size_t start = c.p;
  unsigned long value = 0;
  for (; c.p < c.s.size(); ++c.p) {
    const char d = c.s[c.p];
    int digit = d >= '0' && d <= '9' ? d - '0' : -1;
    if (hex && digit < 0 && (d | 0x20) >= 'a' && (d | 0x20) <= 'f') digit = (d | 0x20) - 'a' + 10;
    if (digit < 0) break;
    value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + digit;
  }
  if (c.p == start || !Looking(c, ";")) FailAt(c, at, "malformed character reference");
  ++c.p;
  if (!IsXmlChar(value)) FailAt(c, at, "character reference to a character XML does not allow");
  return value;
}

void StrictParser::Reference(Source& c, bool inAttribute) {
  const std::size_t at = c.p;
  if (Looking(c, "&#")) {
    CharacterReference(c, at);
    return;
  }
  ++c.p;
  std::size_t length = 0;
  if (c.p >= c.s.size() || !IsNameStartChar(CharAt(c.s, c.p, &length)))
    FailAt(c, at, inAttribute ? "a bare '&' in an attribute value" : "a bare '&' in text");
  const std::string_view name = Name(c, "an entity name");
  if (!Looking(c, ";")) FailAt(c, at, "entity reference '&" + std::string(name) + "' has no ';'");
  ++c.p;
  if (IsPredefinedEntity(name)) return;
  const auto found = general_.find(name);
  if (found == general_.end()) {
    if (EntityDeclaredRuleApplies()) FailAt(c, at, "entity '" + std::string(name) + "' is not declared");
    return;
  }
  Entity& e = found->second;
  if (e.unparsed) FailAt(c, at, "reference to the unparsed entity '" + found->first + "'");
  if (e.external) {
    if (inAttribute)
      FailAt(c, at, "reference to the external entity '" + found->first + "' in an attribute value");
    return;  // not read
  }
  CheckReplacement(c, found->first, e, at, inAttribute);
}

// An internal entity's replacement text read where it is referred to: as
// content, or as part of an attribute value. Each entity is read once a way.
void StrictParser::CheckReplacement(Source& c, const std::string& name, Entity& e, std::size_t at,
                                    bool inAttribute) {
  int& state = inAttribute ? e.attributeCheck : e.contentCheck;
  if (state == 2) return;
  if (state == 1) FailAt(c, at, "entity '" + name + "' refers to itself");
  if (entityDepth_ >= kMaxEntityDepth) FailAt(c, at, "entities nested more than 64 deep");
  state = 1;
  ++entityDepth_;
  Source inner{e.value, 0, c.reportAt >= 0 ? c.reportAt : static_cast<long>(at),
               (c.context.empty() ? "" : c.context + ": ") + "in entity '" + name + "'"};
  if (inAttribute) {
    AttributeText(inner, 0);
  } else {
    Content(inner, false);
  }
  --entityDepth_;
  state = 2;
}

}  // namespace orvelxml
