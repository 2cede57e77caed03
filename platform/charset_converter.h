// Conversion between UTF-8 and the other encodings a document may declare,
// by the system's converter: iconv on POSIX, the code-page functions on
// Windows. The module never converts text; the tool converts documents on
// their way in and out.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace orvel {
namespace platform {

class CharsetConverter {
 public:
  // A converter for the encoding name (as a document declares it, letter
  // case aside), or null when the system does not know it.
  static std::unique_ptr<CharsetConverter> Open(const std::string& name);
  // A converter for the encoding a program's command-line arguments come in,
  // or null when they come in UTF-8: on Windows the C runtime hands them over
  // in the ANSI code page; on POSIX they are taken as they come.
  static std::unique_ptr<CharsetConverter> OpenForArguments();
  virtual ~CharsetConverter() = default;

  // Appends the characters of bytes[0, n) to *utf8 as UTF-8. Returns n, or
  // the offset of the first byte that starts no character of the encoding
  // (a character cut short by the end included), with what precedes it
  // appended.
  virtual std::size_t ToUtf8(const char* bytes, std::size_t n, std::string* utf8) = 0;
  // Appends the UTF-8 text utf8[0, n) to *out in the encoding. Returns n, or
  // the offset of the first character the encoding cannot hold, with what
  // precedes it appended.
  virtual std::size_t FromUtf8(const char* utf8, std::size_t n, std::string* out) = 0;
};

}  // namespace platform
}  // namespace orvel
