// Stateless transforms between plain strings and markup.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel {

// Escapes text for element content, or for an attribute value with
// EditAttribute; EditKeepRefs leaves well-formed references as written.
std::string EscapeText(const char* text, int flags);
// The same, appended to out.
void EscapeTextInto(const char* text, int flags, std::string& out);

// Decodes the five named entities and numeric references (to UTF-8) in the
// span [text, text + length); length -1 means up to the NUL.
std::string DecodeText(const char* text, std::int32_t length);
// The same, appended to out.
void DecodeTextInto(const char* text, std::int32_t length, std::string& out);
// The same as a view: the span itself when it holds no '&' (nothing to
// decode, nothing copied), else the decoded text in scratch.
std::string_view DecodeView(const char* text, std::int32_t length, std::string& scratch);

// Wraps text as CDATA, splitting it wherever it holds "]]>".
std::string WrapCData(const char* text);

// Builds the markup of a new node of nodeType holding content into out;
// false for NodeEndTag and for CDATA content holding "]]>" (out untouched).
bool BuildNodeMarkup(int nodeType, const char* content, std::string& out);

}  // namespace orvel
