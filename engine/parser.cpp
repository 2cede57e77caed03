// Parsing a text into the element table: ParseMarkup under any record, the
// whole-document parse with its document-level checks, and ParseText.
#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/markup_parser.h"
#include "engine/scanner_blocks.h"
#include "engine/xml_document.h"
#include "platform/platform.h"

namespace orvel {

namespace {

// Offsets are int32: a longer text cannot be described by the table.
constexpr std::size_t kMaxTextLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
const char kTextTooLong[] = "Document text too long";

// Stores bypass the caches only in copies far larger than them: the lines
// written are then not read from memory first.
constexpr std::size_t kStreamedCopy = std::size_t{8} << 20;
// Texts from this size on are given large pages where the system has them.
constexpr std::size_t kLargeText = std::size_t{4} << 20;
// Slices are sought for their NUL and copied while they are still in the cache.
constexpr std::size_t kSlice = std::size_t{16} << 10;

// Copies n bytes, all of them known to be readable, to out (16-byte aligned)
// with streaming stores. Meanwhile the next slice is fetched into the cache,
// so that its search overlaps these stores (a prefetch never faults, and
// reads nothing for the program).
void StreamCopy(char* out, const char* src, std::size_t n) {
#if defined(__SSE2__)
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(src + i) + kSlice),
                 _MM_HINT_T0);
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 48));
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + i), a);
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + i + 16), b);
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + i + 32), c);
    _mm_stream_si128(reinterpret_cast<__m128i*>(out + i + 48), d);
  }
  std::memcpy(out + i, src + i, n - i);
#else
  std::memcpy(out, src, n);
#endif
}

// Copies src into out up to and without its NUL, at most room bytes, slice
// by slice; stream: with StreamCopy. Returns the bytes copied.
std::size_t CopySlices(char* out, const char* src, std::size_t room, bool stream) {
  std::size_t i = 0;
  while (i < room) {
    const std::size_t want = std::min(room - i, kSlice);
    const char* nul = blocks::FindNul(src + i, want);
    const std::size_t n = nul != nullptr ? static_cast<std::size_t>(nul - (src + i)) : want;
    if (stream)
      StreamCopy(out + i, src + i, n);
    else
      std::memmove(out + i, src + i, n);
    i += n;
    if (nul != nullptr) break;
  }
  return i;
}

// Copies src into out up to and without its NUL, at most room bytes, in one
// pass over memory: the usual length-then-copy reads a long text twice.
// Returns the bytes copied; room of them means the NUL was not reached. The
// NUL is sought in aligned blocks (blocks::FindNul), so a text that ends just
// before unreadable memory is safe.
// The source may be the text itself or lie inside it (then after out).
std::size_t CopyUntilNul(char* out, const char* src, std::size_t room) {
#if defined(__SSE2__)
  const bool apart = out + room <= src || src + room <= out;
  if (apart && room >= kStreamedCopy) {
    // Ordinary stores up to the first 16-byte boundary of out.
    const std::size_t head = (16 - (reinterpret_cast<std::uintptr_t>(out) & 15)) & 15;
    const std::size_t n = CopySlices(out, src, head, false);
    if (n < head) return n;
    const std::size_t rest = CopySlices(out + head, src + head, room - head, true);
    _mm_sfence();
    return head + rest;
  }
#endif
  return CopySlices(out, src, room, false);
}

// Makes text a copy of source (null: empty); false, text cut short, when
// source is too long for int32 offsets.
bool CopySource(std::string& text, const char* source) {
  if (source == nullptr) {
    text.clear();
    return true;
  }
  // The room the text already holds (a little more if it is short) is
  // filled while the end is sought; a longer source continues after it.
  // Growing within the capacity clears at most a few hundred bytes.
  std::size_t room = std::max(text.size(), static_cast<std::size_t>(256));
  room = std::min(std::min(room, text.capacity()), kMaxTextLength);
  text.resize(room);
  std::size_t n = CopyUntilNul(&text[0], source, room);
  text.resize(n);
  if (n == room) n = static_cast<std::size_t>(blocks::FindNul(source + n, SIZE_MAX) - source);
  if (n > kMaxTextLength) return false;
  if (n > text.capacity() && n >= kLargeText) {
    // Fresh room for a large text: hinted before the copy first touches it.
    text.reserve(n);
    platform::AdviseLargePages(&text[0], text.capacity());
  }
  if (n > text.size()) text.append(source + text.size(), n - text.size());
  return true;
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

void ResetForFullParse(XmlDocument& doc, std::size_t textLength) {
  doc.attributeCache.Forget();  // the text is new or about to change
  doc.SetPositions(0, 0, 0);
  doc.marks.reset();
  doc.recordCount = 1;
  doc.ReserveRecords(static_cast<std::int32_t>(textLength / 64) + 8);
  doc.freeHead = 0;
  doc.Rec(0) = ElementRecord{};
  doc.tableFlags = doc.docFlags;
  doc.errorMarks = -1;
}

void BuildTable(XmlDocument& table, const std::string& text) {
  ResetForFullParse(table, text.size());
  table.status.clear();
  if (text.empty()) {
    table.status = "Empty document";
    return;
  }
  ScanCursor cursor(text, table.docFlags);
  const std::int32_t first = table.ParseMarkup(0, cursor);
  ElementRecord& document = table.Rec(0);
  document.length = static_cast<std::int32_t>(text.size());
  if (first > 0) {
    document.firstChild = first;
    if (table.Rec(first).nextSibling != 0) table.status = "Root element has sibling";
  } else {
    table.status = "No root element";
  }
}

void LeaveEmptyDocument(XmlDocument& doc) noexcept {
  doc.text.clear();
  doc.attributeCache.Forget();
  doc.SetPositions(0, 0, 0);
  doc.marks.reset();
  doc.freeHead = 0;
  doc.errorMarks = -1;
  doc.recordCount = doc.capacity > 0 ? 1 : 0;  // 0 only in a constructor that fails
  if (doc.capacity > 0) doc.Rec(0) = ElementRecord{};
  doc.status = "Out of memory";  // short enough to need no allocation
}

std::int32_t XmlDocument::ParseMarkup(std::int32_t root, ScanCursor& cursor) {
  NoSpaceHook hook;
  return MarkupParser<NoSpaceHook>(*this, root, cursor, hook).Run();
}

bool XmlDocument::ParseText(const char* source) {
  bool fits = true;
  try {
    fits = CopySource(text, source);
  } catch (...) {
    LeaveEmptyDocument(*this);  // the bytes copied so far overwrote the old text
    throw;
  }
  if (!fits) {
    // Refused; the document becomes empty and not valid.
    text.clear();
    status.clear();
    ParseDocument();
    status = kTextTooLong;
    Rec(0).Set(ElemParseError);
    return false;
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
  try {
    BuildTable(*this, text);
  } catch (...) {
    LeaveEmptyDocument(*this);  // a table half built describes no text
    throw;
  }
  SetPositions(0, 0, 0);
  if (!loadStatus.empty()) status = status.empty() ? loadStatus : loadStatus + ", " + status;
  return IsDocumentValid();
}

}  // namespace orvel
