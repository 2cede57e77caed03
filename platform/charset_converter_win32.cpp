// The system's converter on Windows: the code-page functions, through
// UTF-16. Encoding names are mapped to code pages here, since Windows names
// its code pages by number.
#if defined(_WIN32)

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/charset_converter.h"

namespace orvel {
namespace platform {

namespace {

// A text is converted in pieces of about this many bytes, so that finding
// where a conversion fails takes calls per character in one piece only.
constexpr std::size_t kPiece = 1 << 16;

struct NamedCodePage {
  const char* name;
  UINT codePage;
};

// Names documents use for code pages that have no number in their name.
const NamedCodePage kNamedCodePages[] = {
    {"us-ascii", 20127},     {"ascii", 20127},       {"latin1", 28591},    {"l1", 28591},
    {"latin2", 28592},       {"latin9", 28605},      {"shift_jis", 932},   {"shift-jis", 932},
    {"sjis", 932},           {"ms_kanji", 932},      {"windows-31j", 932}, {"csshiftjis", 932},
    {"euc-jp", 20932},       {"iso-2022-jp", 50220}, {"gb2312", 936},      {"gbk", 936},
    {"euc-cn", 936},         {"gb18030", 54936},     {"big5", 950},        {"euc-kr", 949},
    {"ks_c_5601-1987", 949}, {"koi8-r", 20866},      {"koi8-u", 21866},    {"macintosh", 10000},
    {"tis-620", 874},
};

// The number after prefix in name ("windows-1252", "cp437"), or 0.
UINT NumberAfter(const char* name, const char* prefix) {
  const std::size_t n = std::strlen(prefix);
  if (_strnicmp(name, prefix, n) != 0 || name[n] < '0' || name[n] > '9') return 0;
  char* end = nullptr;
  const unsigned long number = std::strtoul(name + n, &end, 10);
  return *end == '\0' && number < 65536 ? static_cast<UINT>(number) : 0;
}

UINT CodePageOf(const char* name) {
  for (const NamedCodePage& named : kNamedCodePages)
    if (_stricmp(name, named.name) == 0) return named.codePage;
  for (const char* prefix : {"iso-8859-", "iso_8859-", "iso8859-"}) {
    const UINT part = NumberAfter(name, prefix);
    if (part >= 1 && part <= 16) return 28590 + part;
  }
  for (const char* prefix : {"windows-", "cp", "ibm"}) {
    const UINT number = NumberAfter(name, prefix);
    if (number != 0) return number;
  }
  return 0;
}

class CodePageConverter final : public CharsetConverter {
 public:
  explicit CodePageConverter(UINT codePage) : codePage_(codePage) {
    CPINFO info;
    maxCharSize_ = GetCPInfo(codePage, &info) ? info.MaxCharSize : 0;
  }

  std::size_t ToUtf8(const char* bytes, std::size_t n, std::string* utf8) override {
    std::size_t at = 0;
    while (at < n) {
      const std::size_t end = PieceEnd(bytes, n, at);
      if (!Decode(bytes + at, end - at, utf8)) return at + DecodablePrefix(bytes + at, end - at, utf8);
      at = end;
    }
    return n;
  }

  std::size_t FromUtf8(const char* utf8, std::size_t n, std::string* out) override {
    std::size_t at = 0;
    while (at < n) {
      std::size_t end = at + kPiece < n ? at + kPiece : n;
      while (end < n && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
      if (!Encode(utf8 + at, end - at, out)) {
        // Character by character, up to the one that does not fit.
        for (std::size_t c = at; c < end;) {
          std::size_t next = c + 1;
          while (next < end && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) ++next;
          if (!Encode(utf8 + c, next - c, out)) return c;
          c = next;
        }
      }
      at = end;
    }
    return n;
  }

 private:
  // The end of the piece that starts at at, on a character boundary: past
  // a lead byte's trail byte in a double-byte code page. A code page of
  // longer characters is taken whole.
  std::size_t PieceEnd(const char* bytes, std::size_t n, std::size_t at) const {
    if (maxCharSize_ > 2 || n - at <= kPiece) return n;
    if (maxCharSize_ == 1) return at + kPiece;
    std::size_t end = at;
    while (end < at + kPiece && end < n) end += IsDBCSLeadByteEx(codePage_, bytes[end]) ? 2 : 1;
    return end < n ? end : n;
  }

  // Appends the UTF-8 of bytes[0, n); false, appending nothing, when they
  // do not convert.
  bool Decode(const char* bytes, std::size_t n, std::string* utf8) const {
    if (n == 0) return true;
    DWORD flags = MB_ERR_INVALID_CHARS;
    int units = MultiByteToWideChar(codePage_, flags, bytes, static_cast<int>(n), nullptr, 0);
    if (units == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
      flags = 0;  // code pages that cannot report bad input (ISO-2022, UTF-7)
      units = MultiByteToWideChar(codePage_, flags, bytes, static_cast<int>(n), nullptr, 0);
    }
    if (units == 0) return false;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(codePage_, flags, bytes, static_cast<int>(n), &wide[0], units);
    return AppendConverted(CP_UTF8, wide, utf8, nullptr);
  }

  // How much of bytes[0, n), which do not convert whole, converts: the
  // part before the first character that does not, which is appended.
  std::size_t DecodablePrefix(const char* bytes, std::size_t n, std::string* utf8) const {
    if (maxCharSize_ <= 2) {
      std::size_t at = 0;
      while (at < n) {
        const std::size_t length = maxCharSize_ == 2 && IsDBCSLeadByteEx(codePage_, bytes[at]) ? 2 : 1;
        if (at + length > n || !Decode(bytes + at, length, utf8)) return at;
        at += length;
      }
      return n;
    }
    // Longer characters: the longest prefix that converts, by halves.
    std::size_t good = 0, bad = n;
    std::string scratch;
    while (bad - good > 1) {
      const std::size_t mid = good + (bad - good) / 2;
      scratch.clear();
      (Decode(bytes, mid, &scratch) ? good : bad) = mid;
    }
    Decode(bytes, good, utf8);
    return good;
  }

  // Appends utf8[0, n) in the code page; false, appending nothing, when a
  // character has no form in it.
  bool Encode(const char* utf8, std::size_t n, std::string* out) const {
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(n), nullptr, 0);
    if (units == 0) return n == 0;
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, static_cast<int>(n), &wide[0], units);
    BOOL lost = FALSE;
    const std::size_t before = out->size();
    if (!AppendConverted(codePage_, wide, out, &lost) || lost) {
      out->resize(before);
      return false;
    }
    return true;
  }

  // Appends wide in codePage; *lost (when given and the code page can
  // tell) says whether a character had to be replaced.
  static bool AppendConverted(UINT codePage, const std::wstring& wide, std::string* out, BOOL* lost) {
    const int units = static_cast<int>(wide.size());
    DWORD flags = lost != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
    int bytes = WideCharToMultiByte(codePage, flags, wide.data(), units, nullptr, 0, nullptr, lost);
    if (bytes == 0 && lost != nullptr) {
      flags = 0;  // code pages that cannot tell (UTF-7, GB18030, ISO-2022) hold every character anyway
      lost = nullptr;
      bytes = WideCharToMultiByte(codePage, flags, wide.data(), units, nullptr, 0, nullptr, nullptr);
    }
    if (bytes == 0) return false;
    const std::size_t before = out->size();
    out->resize(before + static_cast<std::size_t>(bytes));
    WideCharToMultiByte(codePage, flags, wide.data(), units, &(*out)[before], bytes, nullptr, lost);
    return true;
  }

  UINT codePage_;
  UINT maxCharSize_ = 0;
};

}  // namespace

std::unique_ptr<CharsetConverter> CharsetConverter::Open(const std::string& name) {
  const UINT codePage = CodePageOf(name.c_str());
  if (codePage == 0 || codePage == CP_UTF8 || !IsValidCodePage(codePage)) return nullptr;
  return std::unique_ptr<CharsetConverter>(new CodePageConverter(codePage));
}

std::unique_ptr<CharsetConverter> CharsetConverter::OpenForArguments() {
  const UINT codePage = GetACP();
  if (codePage == CP_UTF8 || !IsValidCodePage(codePage)) return nullptr;
  return std::unique_ptr<CharsetConverter>(new CodePageConverter(codePage));
}

}  // namespace platform
}  // namespace orvel

#endif  // _WIN32
