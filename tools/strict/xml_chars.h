// Characters as XML 1.0 (fifth edition) defines them, for `check`:
// UTF-8 decoding, the Char production and the name classes.
#pragma once

#include <cstddef>
#include <string>

namespace orvelxml {

// One character decoded at text[at]: its code point and byte count, or
// length 0 when the bytes there are not UTF-8 (a bad lead or continuation
// byte, an overlong form, a surrogate, a value past U+10FFFF, a cut sequence).
struct DecodedChar {
  unsigned long code;
  std::size_t length;
};
DecodedChar DecodeUtf8(const std::string& text, std::size_t at);

// Char: tab, line feed, carriage return, and U+0020 to U+10FFFF without the
// surrogates, U+FFFE and U+FFFF.
bool IsXmlChar(unsigned long c);
bool IsNameStartChar(unsigned long c);
bool IsNameChar(unsigned long c);
// EncName: a letter, then letters, digits, '.', '_' and '-'.
bool IsEncodingName(const std::string& name);
// S: space, tab, carriage return, line feed.
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// c as UTF-8 at the end of *out.
void AppendUtf8(unsigned long c, std::string* out);

// "U+000C" for messages.
std::string CodePointName(unsigned long c);
// "0xE9" for messages.
std::string ByteName(unsigned char b);

}  // namespace orvelxml
