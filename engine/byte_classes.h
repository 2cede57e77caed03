// Byte classes of the markup scanner, one 256-entry table of class bits.
#pragma once

#include <cstdint>

namespace orvel {
namespace bytes {

enum : std::uint8_t {
  kSpace = 0x01,      // " \t\n\r"
  kNameEnd = 0x02,    // " \t\n\r/>" and NUL: ends a tag name
  kNameStart = 0x04,  // A-Z _ : and every byte above 0x60: may follow '<' in a start tag
  kTextStop = 0x08,   // '<' '>' NUL: ends a text run
  kTagStop = 0x10,    // '>' '"' '\'' NUL: stops the walk over a start tag's attributes
  kDelimiter = 0x20,  // " \t\n\r<>=\\/?!" and NUL: ends a name read by NextName
  kLtOrNul = 0x40,    // '<' and NUL: ends the content between two tags
  kNameFollow = 0x80  // " =/[]" and NUL: may follow the compared part of a name (NameMatches)
};

struct ClassTable {
  std::uint8_t bits[256];
  constexpr ClassTable() : bits() {
    for (int b = 0; b < 256; ++b) {
      std::uint8_t v = 0;
      const bool space = b == ' ' || b == '\t' || b == '\n' || b == '\r';
      if (space) v |= kSpace;
      if (space || b == '/' || b == '>' || b == 0) v |= kNameEnd;
      if ((b >= 'A' && b <= 'Z') || b == '_' || b == ':' || b > 0x60) v |= kNameStart;
      if (b == '<' || b == '>' || b == 0) v |= kTextStop;
      if (b == '>' || b == '"' || b == '\'' || b == 0) v |= kTagStop;
      if (space || b == '<' || b == '>' || b == '=' || b == '\\' || b == '/' || b == '?' ||
          b == '!' || b == 0)
        v |= kDelimiter;
      if (b == '<' || b == 0) v |= kLtOrNul;
      if (b == ' ' || b == '=' || b == '/' || b == '[' || b == ']' || b == 0) v |= kNameFollow;
      bits[b] = v;
    }
  }
};

inline constexpr ClassTable kClasses{};

// Letter case folding for names compared without case: A-Z to a-z, every
// other byte to itself, whatever the process locale says about bytes above 0x7F.
struct FoldTable {
  char to[256];
  constexpr FoldTable() : to() {
    for (int b = 0; b < 256; ++b) to[b] = static_cast<char>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b);
  }
};

inline constexpr FoldTable kFold{};

inline char Fold(char c) { return kFold.to[static_cast<unsigned char>(c)]; }

inline bool Is(char c, std::uint8_t cls) { return (kClasses.bits[static_cast<unsigned char>(c)] & cls) != 0; }

// First byte at or after p in class cls; the class must contain NUL.
inline const char* SkipUntil(const char* p, std::uint8_t cls) {
  for (;;) {
    if (Is(p[0], cls)) return p;
    if (Is(p[1], cls)) return p + 1;
    if (Is(p[2], cls)) return p + 2;
    if (Is(p[3], cls)) return p + 3;
    p += 4;
  }
}

}  // namespace bytes
}  // namespace orvel
