// Parsing a text into the element table: ParseMarkup under any record, the
// whole-document parse with its document-level checks, and ParseText.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Copies src into out up to and without its NUL, at most room bytes, in one
// pass: the usual length-then-copy reads a long text twice. Returns the bytes
// copied; room of them means the NUL was not reached. The vector loads are
// aligned, so they never cross into a page the text does not reach, but they
// may read bytes past the NUL inside the last 16: hence no address checks.
// The source may be the text itself or lie inside it (then after out).
#if defined(__GNUC__)
__attribute__((no_sanitize_address, noinline))
#endif
std::size_t CopyUntilNul(char* out, const char* src, std::size_t room) {
#if defined(__SSE2__)
  // Written out without helpers: a helper would be instrumented again.
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  unsigned mask = 0;  // bit k: a NUL at src[i + k]
  const std::size_t skew = reinterpret_cast<std::uintptr_t>(src) & 15;
  if (skew != 0) {
    const __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(src - skew));
    mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero))) >> skew;
    if (mask == 0 && 16 - skew < room) {
      std::memmove(out, src, 16 - skew);
      i = 16 - skew;
    }
  }
  if (i != 0 || skew == 0) {
    // A copy far larger than the caches bypasses them: the lines it writes
    // are then not read from memory first.
    const bool apart = out + room <= src || src + room <= out;
    const bool stream =
        apart && room - i >= (std::size_t{8} << 20) && (reinterpret_cast<std::uintptr_t>(out + i) & 15) == 0;
    while (room - i >= 32) {
      const __m128i a = _mm_load_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(src + i + 16));
      if (_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero))) != 0) break;
      if (stream) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), a);
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i + 16), b);
      } else {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 16), b);
      }
      i += 32;
    }
    if (stream) _mm_sfence();
    for (;;) {
      const __m128i v = _mm_load_si128(reinterpret_cast<const __m128i*>(src + i));
      mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
      if (mask != 0 || room - i <= 16) break;
      std::memmove(out + i, src + i, 16);
      i += 16;
    }
  }
  std::size_t n = room - i;
  if (mask != 0 && static_cast<std::size_t>(__builtin_ctz(mask)) < n) n = static_cast<std::size_t>(__builtin_ctz(mask));
  std::memmove(out + i, src + i, n);
  return i + n;
#else
  std::size_t i = 0;
  while (i < room && src[i] != '\0') {
    out[i] = src[i];
    ++i;
  }
  return i;
#endif
}

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
    // The room the text already holds (a little more if it is short) is
    // filled while the end is sought; a longer source continues after it.
    // Growing within the capacity clears at most a few hundred bytes.
    std::size_t room = std::max(text.size(), static_cast<std::size_t>(256));
    room = std::min(std::min(room, text.capacity()), kMaxTextLength);
    text.resize(room);
    std::size_t n = CopyUntilNul(&text[0], source, room);
    text.resize(n);
    if (n == room) n += std::strlen(source + n);
    if (n > kMaxTextLength) {
      // Refused; the document becomes empty and not valid.
      text.clear();
      status.clear();
      ParseDocument();
      status = kTextTooLong;
      Rec(0).Set(ElemParseError);
      return false;
    }
    if (n > text.size()) text.append(source + text.size(), n - text.size());
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
