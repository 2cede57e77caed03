#include "tools/strict/diagnostic.h"

#include <algorithm>

namespace orvelxml {

namespace {

// The most elements an end-of-document report names; the rest are counted.
constexpr std::size_t kNamedOpenElements = 8;

// Positions of offsets (in ascending order) in text, counted in one pass.
std::vector<LineColumn> LineColumnsAt(const std::string& text, const std::vector<long>& offsets) {
  std::vector<LineColumn> at;
  LineColumn lc{1, 1};
  std::size_t counted = 0;
  for (const long offset : offsets) {
    const std::size_t to = offset < 0 ? 0 : std::min(static_cast<std::size_t>(offset), text.size());
    for (; counted < to; ++counted) {
      const unsigned char c = static_cast<unsigned char>(text[counted]);
      if (c == '\n') {
        lc = {lc.line + 1, 1};
      } else if ((c & 0xC0) != 0x80) {  // a UTF-8 continuation byte adds no column
        ++lc.column;
      }
    }
    at.push_back(lc);
  }
  return at;
}

std::string Text(const LineColumn& lc) { return std::to_string(lc.line) + ":" + std::to_string(lc.column); }

}  // namespace

LineColumn LineColumnAt(const std::string& text, long offset) {
  return LineColumnsAt(text, {offset}).front();
}

std::string LineColumnText(const std::string& text, long offset) { return Text(LineColumnAt(text, offset)); }

std::string EndsOpenMessage(const std::string& text, const std::vector<OpenElement>& open) {
  const std::size_t named = std::min(open.size(), kNamedOpenElements);
  std::vector<long> offsets;  // the innermost named ones, outermost first
  for (std::size_t k = open.size() - named; k < open.size(); ++k) offsets.push_back(open[k].offset);
  const std::vector<LineColumn> where = LineColumnsAt(text, offsets);
  if (open.size() == 1)
    return "the document ends with element '" + open[0].name + "' not closed (opened at " + Text(where[0]) +
           ")";
  std::string message = "the document ends with " + std::to_string(open.size()) + " elements not closed: ";
  for (std::size_t k = 0; k < named; ++k) {
    const std::size_t i = open.size() - 1 - k;  // innermost first
    message += (k > 0 ? ", '" : "'") + open[i].name + "' (" + Text(where[named - 1 - k]) + ")";
  }
  if (open.size() > named) message += ", and " + std::to_string(open.size() - named) + " more";
  return message;
}

}  // namespace orvelxml
