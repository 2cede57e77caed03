// Texts made to be slow or to break limits, shared by the hostile-input tests
// and the benchmarks that time them.
#pragma once

#include <cstddef>
#include <string>

namespace orvel {
namespace test {

// n bytes of '<': 2-byte malformed tokens, one after the other.
std::string LessThanRun(std::size_t n);
// n bytes of '"' behind "<a " (an unterminated start tag of quotes) when
// inTag, else n bytes of '"' alone (text).
std::string QuoteRun(std::size_t n, bool inTag);
// depth nested <a> elements, then their end tags.
std::string NestedElements(int depth);
// <r><a ...attributes...></a></r> whose start tag is about tagBytes long.
std::string LongStartTag(std::size_t tagBytes);
// <r><n...></n...></r> whose end tag is exactly endTagBytes long.
std::string LongEndTag(std::size_t endTagBytes);
// <r a0="0" a1="1" ... /> with n attributes.
std::string ManyAttributes(int n);
// The name of mark i of a run of distinct mark names.
std::string MarkName(int i);

}  // namespace test
}  // namespace orvel
