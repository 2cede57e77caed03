#include "tools/line_indents.h"

#include <algorithm>
#include <vector>

#include "tools/markup_scan.h"

namespace orvelxml {

namespace {

// One stretch of a text: a piece of markup, text, or a run of white space
// between markup (blank).
struct Segment {
  std::size_t begin;
  std::size_t end;
  bool blank;
  bool indentable;  // a blank run whose indentation format may change
};

// Whether the start tag text[begin, end) sets xml:space; *preserve is its value then.
bool SpaceAttribute(const std::string& text, std::size_t begin, std::size_t end, bool* preserve) {
  std::size_t p = begin + 1;
  while (p < end && !IsXmlSpace(text[p]) && text[p] != '>' && text[p] != '/') ++p;  // the tag name
  for (;;) {
    while (p < end && IsXmlSpace(text[p])) ++p;
    const std::size_t name = p;
    while (p < end && !IsXmlSpace(text[p]) && text[p] != '=' && text[p] != '>' && text[p] != '/') ++p;
    const std::size_t nameEnd = p;
    while (p < end && IsXmlSpace(text[p])) ++p;
    if (nameEnd == name || p >= end || text[p] != '=') return false;
    ++p;
    while (p < end && IsXmlSpace(text[p])) ++p;
    if (p >= end || (text[p] != '"' && text[p] != '\'')) return false;
    const std::size_t value = p + 1;
    const std::size_t close = text.find(text[p], value);
    if (close == std::string::npos || close >= end) return false;
    if (text.compare(name, nameEnd - name, "xml:space") == 0) {
      const std::string v = text.substr(value, close - value);
      if (v != "preserve" && v != "default") return false;  // not a value XML gives a meaning
      *preserve = v == "preserve";
      return true;
    }
    p = close + 1;
  }
}

// The segments of a text in order, each blank run judged by the markup around it.
class LayoutWalk {
 public:
  explicit LayoutWalk(const std::string& text) : text_(text) {}

  bool Next(Segment* s) {
    if (at_ >= text_.size()) return false;
    if (text_[at_] == '<') {
      const MarkupSpan span = ScanMarkup(text_, at_);
      Enter(span);
      *s = {at_, span.end, false, false};
      at_ = span.end;
      return true;
    }
    // Text ends before a '<' or after a '>', where the module's scanner ends it.
    std::size_t end = std::min(text_.find('<', at_), text_.find('>', at_));
    end = end == std::string::npos ? text_.size() : end + (text_[end] == '>' ? 1 : 0);
    const bool blank = std::all_of(text_.begin() + static_cast<std::ptrdiff_t>(at_),
                                   text_.begin() + static_cast<std::ptrdiff_t>(end), IsXmlSpace);
    *s = {at_, end, blank, blank && afterMarkup_ && Indentable(at_, end)};
    afterMarkup_ = false;
    at_ = end;
    return true;
  }

 private:
  void Enter(const MarkupSpan& span) {
    afterMarkup_ = true;
    afterStartTag_ = span.kind == MarkupKind::StartTag;
    if (span.kind == MarkupKind::StartTag) {
      bool preserve = !preserve_.empty() && preserve_.back();
      SpaceAttribute(text_, at_, span.end, &preserve);
      preserve_.push_back(preserve);
    } else if (span.kind == MarkupKind::EndTag && !preserve_.empty()) {
      preserve_.pop_back();
    }
  }

  bool Indentable(std::size_t begin, std::size_t end) const {
    const bool breaks = std::any_of(text_.begin() + static_cast<std::ptrdiff_t>(begin),
                                    text_.begin() + static_cast<std::ptrdiff_t>(end),
                                    [](char c) { return c == '\n' || c == '\r'; });
    if (!breaks || end >= text_.size() || text_.compare(end, 2, "<!") == 0) return false;
    if (afterStartTag_ && text_.compare(end, 2, "</") == 0) return false;  // the element's whole content
    return preserve_.empty() || !preserve_.back();
  }

  const std::string& text_;
  std::size_t at_ = 0;
  bool afterMarkup_ = true;  // white space after text is part of that text
  bool afterStartTag_ = false;
  std::vector<bool> preserve_;  // per open element: inside xml:space="preserve"
};

// Just past the last line break in text[begin, end), which holds one.
std::size_t IndentStart(const std::string& text, std::size_t begin, std::size_t end) {
  std::size_t p = end;
  while (p > begin && text[p - 1] != '\n' && text[p - 1] != '\r') --p;
  return p;
}

}  // namespace

std::string StripLineIndents(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  LayoutWalk walk(text);
  Segment s;
  while (walk.Next(&s)) {
    const std::size_t end = s.indentable ? IndentStart(text, s.begin, s.end) : s.end;
    out.append(text, s.begin, end - s.begin);
  }
  return out;
}

bool MergeLineIndents(const std::string& text, const std::string& reindented, int width, std::string* out) {
  out->clear();
  out->reserve(reindented.size() + (width > 1 ? reindented.size() / 4 : 0));
  std::size_t j = 0;  // the same place in reindented
  LayoutWalk walk(text);
  Segment s;
  while (walk.Next(&s)) {
    const std::size_t n = s.end - s.begin;
    if (!s.blank) {
      // The module changes nothing but white space in front of tags.
      if (reindented.compare(j, n, text, s.begin, n) != 0) return false;
      out->append(text, s.begin, n);
      j += n;
      continue;
    }
    std::size_t k = j;
    while (k < reindented.size() && IsXmlSpace(reindented[k])) ++k;
    if (!s.indentable) {
      out->append(text, s.begin, n);
    } else {
      const std::size_t indent = IndentStart(reindented, j, k);
      out->append(reindented, j, indent - j);
      if (width < 0) {
        out->append(reindented, indent, k - indent);
      } else {
        const auto tabs = std::count(reindented.begin() + static_cast<std::ptrdiff_t>(indent),
                                     reindented.begin() + static_cast<std::ptrdiff_t>(k), '\t');
        out->append(static_cast<std::size_t>(tabs) * static_cast<std::size_t>(width), ' ');
      }
    }
    j = k;
  }
  return j == reindented.size();
}

}  // namespace orvelxml
