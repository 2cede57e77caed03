// Finding the bytes that end a run (text, an attribute value, a comment, the
// rest of a tag) 16 at a time with SSE2, or a machine word at a time where
// the target has no SSE2. The C library's string routines are not used: the
// Windows runtime's read one byte at a time.
//
// Every search is bounded by the end of its text, the address of the NUL
// that ends it, which may be read: whole blocks are read only while they lie
// at or before that NUL, the bytes after the last whole block one at a time,
// so no byte beyond the text's allocation is ever touched. A search without
// an end (null) reads byte by byte; it finds exactly what the block search
// finds.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orvel {
namespace blocks {

// A block of bytes as the searches read it: Mask<Bytes...>(p) has a bit set
// for each byte at p equal to NUL or one of Bytes (with the word unit, a
// byte after the first such one may be flagged wrongly, so only the first
// flag is used), and First(mask) is the offset of the first byte flagged.
#if defined(__SSE2__)
struct Sse2Unit {
  static constexpr std::ptrdiff_t kSize = 16;
  template <char... Bytes>
  static unsigned Mask(const char* p) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i hits = _mm_cmpeq_epi8(v, _mm_setzero_si128());
    ((hits = _mm_or_si128(hits, _mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)))), ...);
    return static_cast<unsigned>(_mm_movemask_epi8(hits));
  }
  static int First(unsigned mask) { return __builtin_ctz(mask); }
};
#endif

// A machine word, for targets without SSE2 (little-endian byte order).
struct WordUnit {
  using Word = std::uintptr_t;
  static constexpr std::ptrdiff_t kSize = sizeof(Word);
  static constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x01 in every byte
  static constexpr Word kHighs = kOnes * 0x80;
  // The top bit of every byte of w that is zero (and maybe of later ones).
  static Word ZeroBytes(Word w) { return (w - kOnes) & ~w & kHighs; }
  template <char... Bytes>
  static Word Mask(const char* p) {
    Word w;
    std::memcpy(&w, p, sizeof w);
    return (ZeroBytes(w) | ... | ZeroBytes(w ^ (kOnes * static_cast<unsigned char>(Bytes))));
  }
  static int First(Word mask) {
    return (sizeof(Word) == 8 ? __builtin_ctzll(static_cast<unsigned long long>(mask))
                              : __builtin_ctz(mask)) /
           8;
  }
};

#if defined(__SSE2__)
using Unit = Sse2Unit;
constexpr bool kBlocks = true;
inline int FirstBit(unsigned mask) { return __builtin_ctz(mask); }
#elif defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
using Unit = WordUnit;
constexpr bool kBlocks = true;
#else
using Unit = WordUnit;
constexpr bool kBlocks = false;  // bytes one at a time
#endif
constexpr std::ptrdiff_t kBlock = Unit::kSize;

template <char... Bytes>
inline bool IsStop(char c) {
  return c == '\0' || ((c == Bytes) || ...);
}

// The first byte at or after p that is NUL or one of Bytes, read in blocks
// of U. end: the address of the text's NUL (p <= end), or null to read byte
// by byte.
template <class U, char... Bytes>
inline const char* FindStopIn(const char* p, const char* end) {
  if (kBlocks && end != nullptr) {
    for (; end - p >= U::kSize - 1; p += U::kSize)
      if (const auto mask = U::template Mask<Bytes...>(p)) return p + U::First(mask);
  }
  while (!IsStop<Bytes...>(*p)) ++p;
  return p;
}

template <char... Bytes>
inline const char* FindStop(const char* p, const char* end) {
  return FindStopIn<Unit, Bytes...>(p, end);
}

// The '>' that ends a start tag or declaration whose attributes begin at p:
// the first '>' outside a value quoted with '"' or '\'' (inside one, the
// other quote and '>' are text), or the NUL when the text ends first.
inline const char* FindTagEnd(const char* p, const char* end) {
  char quote = '\0';
#if defined(__SSE2__)
  if (end != nullptr) {
    for (; end - p >= kBlock - 1; p += kBlock) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
      const unsigned gt = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('>'))));
      const unsigned dq = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('"'))));
      const unsigned sq = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('\''))));
      if (sq == 0 && quote != '\'') {
        // Only double quotes (the usual tag): bit i of inside is set when
        // byte i lies after an opening quote and up to its closing one (a
        // running parity of the quotes), so no byte needs a branch.
        unsigned inside = dq ^ (dq << 1);
        inside ^= inside << 2;
        inside ^= inside << 4;
        inside ^= inside << 8;
        if (quote == '"') inside = ~inside;
        if (const unsigned stop = nul | (gt & ~inside)) return p + FirstBit(stop);
        quote = (inside & 0x8000u) != 0 ? '"' : '\0';
        continue;
      }
      // The bytes that matter, in order: outside a value NUL, '>' and both
      // quotes; inside one NUL and its closing quote.
      for (unsigned seen = 0;;) {
        const unsigned bits = (quote == '\0' ? nul | gt | dq | sq : nul | (quote == '"' ? dq : sq)) & ~seen;
        if (bits == 0) break;
        const unsigned bit = bits & (0u - bits);
        if ((nul | gt) & bit) return p + FirstBit(bit);
        quote = quote != '\0' ? '\0' : (dq & bit) ? '"' : '\'';
        seen |= bit | (bit - 1);
      }
    }
  }
#else
  (void)end;
#endif
  for (;; ++p) {
    const char c = *p;
    if (c == '\0') return p;
    if (quote != '\0') {
      if (c == quote) quote = '\0';
    } else if (c == '>') {
      return p;
    } else if (c == '"' || c == '\'') {
      quote = c;
    }
  }
}

// The first byte equal to c in [p, limit), or null; no byte at or after
// limit is read (a span need not end at a NUL).
inline const char* FindIn(const char* p, const char* limit, char c) {
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi8(c);
  for (; limit - p >= kBlock; p += kBlock) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    if (const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted))))
      return p + FirstBit(mask);
  }
#endif
  for (; p < limit; ++p)
    if (*p == c) return p;
  return nullptr;
}

// The first byte at or after p that is not c (NUL is never c).
inline const char* SkipRunOf(char c, const char* p, const char* end) {
#if defined(__SSE2__)
  if (end != nullptr) {
    const __m128i run = _mm_set1_epi8(c);
    for (; end - p >= kBlock - 1; p += kBlock) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      const unsigned other = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, run))) ^ 0xFFFFu;
      if (other != 0) return p + FirstBit(other);
    }
  }
#else
  (void)end;
#endif
  while (*p == c) ++p;
  return p;
}

// The first NUL among the n bytes at s (n may be SIZE_MAX), or null; for a
// string of unknown length that a caller hands in. Blocks are read at 16-byte
// boundaries, so that a read never reaches into a page the string does not
// touch; the bytes after the NUL in its block are read but not used, as the
// C library's own routines do, which is why the address checks of sanitized
// builds are off here.
#if defined(__SSE2__) && defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
inline const char*
FindNul(const char* s, std::size_t n) {
  if (n == 0) return nullptr;
#if defined(__SSE2__)
  const std::size_t offset = reinterpret_cast<std::uintptr_t>(s) & 15;
  const char* block = s - offset;
  const __m128i zero = _mm_setzero_si128();
  unsigned mask = static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(block)), zero)));
  mask &= ~0u << offset;  // the bytes before s are not the string's
  std::size_t seen = 16 - offset;
  while (mask == 0) {
    if (seen >= n) return nullptr;
    block += 16;
    seen += 16;
    mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_load_si128(reinterpret_cast<const __m128i*>(block)), zero)));
  }
  const char* nul = block + FirstBit(mask);
  return static_cast<std::size_t>(nul - s) < n ? nul : nullptr;
#else
  if (n == SIZE_MAX) return s + std::strlen(s);
  return static_cast<const char*>(std::memchr(s, '\0', n));
#endif
}

// Copies n bytes; the short copies of names and values without a library
// call (a copy of fixed size is a few moves).
inline void CopyBytes(char* out, const char* src, std::size_t n) {
  // A copy of 2 * sizeof(T) bytes at most, as two pieces that may overlap.
  const auto overlapping = [&](auto piece) {
    using T = decltype(piece);
    T a, b;
    std::memcpy(&a, src, sizeof a);
    std::memcpy(&b, src + n - sizeof b, sizeof b);
    std::memcpy(out, &a, sizeof a);
    std::memcpy(out + n - sizeof b, &b, sizeof b);
  };
  if (n >= 16)
    std::memcpy(out, src, n);
  else if (n >= 8)
    overlapping(std::uint64_t{});
  else if (n >= 4)
    overlapping(std::uint32_t{});
  else
    for (std::size_t i = 0; i < n; ++i) out[i] = src[i];
}

}  // namespace blocks
}  // namespace orvel
