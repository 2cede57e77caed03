#include "tools/space_indent.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvelxml {

namespace {

// Offset just past the markup that starts at text[i] == '<' (the end of the
// text for markup that is not closed).
std::size_t SkipMarkup(const std::string& text, std::size_t i) {
  const auto past = [&text, i](const char* end) {
    const std::size_t at = text.find(end, i + 2);
    return at == std::string::npos ? text.size() : at + std::strlen(end);
  };
  if (text.compare(i, 4, "<!--") == 0) return past("-->");
  if (text.compare(i, 9, "<![CDATA[") == 0) return past("]]>");
  if (text.compare(i, 2, "<?") == 0) return past("?>");
  // A tag or a declaration: '>' ends it outside quotes and, in a declaration,
  // outside its [ ] internal subset.
  char quote = 0;
  int brackets = 0;
  for (std::size_t p = i + 1; p < text.size(); ++p) {
    const char c = text[p];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      --brackets;
    } else if (c == '>' && brackets <= 0) {
      return p + 1;
    }
  }
  return text.size();
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Calls indent(begin, end) for the indentation (the bytes after the last line
// break) of every white space run between markup that holds a line break and
// is followed by a tag; out receives text with each indentation replaced by
// what indent returns.
template <class Indent>
std::string ReplaceIndents(const std::string& text, Indent indent) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '<') {
      const std::size_t end = SkipMarkup(text, i);
      out.append(text, i, end - i);
      i = end;
      continue;
    }
    std::size_t end = text.find('<', i);
    if (end == std::string::npos) end = text.size();
    std::size_t lineStart = std::string::npos;
    bool blank = true;
    for (std::size_t p = i; p < end && blank; ++p) {
      blank = IsSpace(text[p]);
      if (text[p] == '\n' || text[p] == '\r') lineStart = p + 1;
    }
    const bool beforeTag = end < text.size() && text.compare(end, 2, "<!") != 0;
    if (blank && beforeTag && lineStart != std::string::npos) {
      out.append(text, i, lineStart - i);
      out += indent(text.substr(lineStart, end - lineStart));
    } else {
      out.append(text, i, end - i);
    }
    i = end;
  }
  return out;
}

}  // namespace

std::string StripLineIndents(const std::string& text) {
  return ReplaceIndents(text, [](const std::string&) { return std::string(); });
}

bool SpaceIndents(const std::string& stripped, const std::string& tabbed, int width, std::string* out) {
  std::vector<std::size_t> depths;
  ReplaceIndents(tabbed, [&depths](const std::string& indent) {
    depths.push_back(static_cast<std::size_t>(std::count(indent.begin(), indent.end(), '\t')));
    return std::string();
  });
  std::size_t next = 0;
  *out = ReplaceIndents(stripped, [&](const std::string&) {
    const std::size_t depth = next < depths.size() ? depths[next] : 0;
    ++next;
    return std::string(depth * static_cast<std::size_t>(width), ' ');
  });
  return next == depths.size();
}

}  // namespace orvelxml
