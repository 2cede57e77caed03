#include "tests/support/hostile_inputs.h"

namespace orvel {
namespace test {

std::string LessThanRun(std::size_t n) { return std::string(n, '<'); }

std::string QuoteRun(std::size_t n, bool inTag) { return (inTag ? "<a " : "") + std::string(n, '"'); }

std::string NestedElements(int depth) {
  std::string out;
  out.reserve(static_cast<std::size_t>(depth) * 7);
  for (int i = 0; i < depth; ++i) out += "<a>";
  for (int i = 0; i < depth; ++i) out += "</a>";
  return out;
}

std::string LongStartTag(std::size_t tagBytes) {
  std::string tag = "<a";
  for (int i = 0; tag.size() + 1 < tagBytes; ++i) tag += " k" + std::to_string(i) + "=\"v\"";
  return "<r>" + tag + "></a></r>";
}

std::string LongEndTag(std::size_t endTagBytes) {
  const std::string name(endTagBytes - 3, 'n');
  return "<r><" + name + "></" + name + "></r>";
}

std::string ManyAttributes(int n) {
  std::string out = "<r";
  for (int i = 0; i < n; ++i) out += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  return out + "/>";
}

std::string MarkName(int i) { return "mark" + std::to_string(i); }

}  // namespace test
}  // namespace orvel
