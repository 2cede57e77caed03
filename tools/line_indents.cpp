#include "tools/line_indents.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "tools/markup_scan.h"

namespace orvelxml {

namespace {

// A run of white space between markup, and whether format may change its
// indentation.
struct Run {
  std::size_t begin;
  std::size_t end;
  std::size_t indent;  // just past its last line break; begin when it holds none
  bool indentable;
};

// The xml:space value the start tag text[begin, end) gives, if any: true for
// "preserve", false for "default"; *given tells whether it gives one.
bool SpaceAttribute(const std::string& text, std::size_t begin, std::size_t end, bool* given) {
  *given = false;
  const std::string_view tag(text.data() + begin, end - begin);
  if (tag.find("xml:space") == std::string_view::npos) return false;
  std::size_t p = 1;
  while (p < tag.size() && !IsXmlSpace(tag[p]) && tag[p] != '>' && tag[p] != '/') ++p;  // the tag name
  for (;;) {
    while (p < tag.size() && IsXmlSpace(tag[p])) ++p;
    const std::size_t name = p;
    while (p < tag.size() && !IsXmlSpace(tag[p]) && tag[p] != '=' && tag[p] != '>' && tag[p] != '/') ++p;
    const std::string_view attribute = tag.substr(name, p - name);
    while (p < tag.size() && IsXmlSpace(tag[p])) ++p;
    if (attribute.empty() || p >= tag.size() || tag[p] != '=') return false;
    ++p;
    while (p < tag.size() && IsXmlSpace(tag[p])) ++p;
    if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) return false;
    const std::size_t close = tag.find(tag[p], p + 1);
    if (close == std::string_view::npos) return false;
    if (attribute == "xml:space") {
      const std::string_view value = tag.substr(p + 1, close - p - 1);
      *given = value == "preserve" || value == "default";  // no other value has a meaning
      return value == "preserve";
    }
    p = close + 1;
  }
}

// The runs of white space of a text in order, each judged by the markup
// around it. The text is cut as the module's scanner cuts it, so that the
// runs are the white space tokens the module re-indents.
class LayoutWalk {
 public:
  explicit LayoutWalk(const std::string& text) : text_(text) {}

  bool NextRun(Run* run) {
    const char* const data = text_.data();
    const std::size_t size = text_.size();
    while (at_ < size) {
      if (data[at_] == '<') {
        const MarkupSpan span = ScanMarkup(text_, at_);
        Enter(span);
        at_ = span.end;
        continue;
      }
      const std::size_t begin = at_;
      std::size_t indent = begin;
      for (; at_ < size && IsXmlSpace(data[at_]); ++at_) {
        if (data[at_] == '\n' || data[at_] == '\r') indent = at_ + 1;
      }
      if (at_ == size || data[at_] == '<') {
        *run = {begin, at_, indent, afterMarkup_ && indent != begin && Indentable(at_)};
        afterMarkup_ = false;
        return true;
      }
      // Text: it ends before a '<' or after a '>'; white space after it is its own.
      const void* stop = std::memchr(data + at_, '<', size - at_);
      const std::size_t lt = stop == nullptr ? size : static_cast<const char*>(stop) - data;
      const void* gt = std::memchr(data + at_, '>', lt - at_);
      at_ = gt == nullptr ? lt : static_cast<const char*>(gt) - data + 1;
      afterMarkup_ = false;
    }
    return false;
  }

 private:
  void Enter(const MarkupSpan& span) {
    afterMarkup_ = true;
    afterStartTag_ = span.kind == MarkupKind::StartTag;
    if (span.kind == MarkupKind::StartTag) {
      ++depth_;
      bool given = false;
      const bool preserve = SpaceAttribute(text_, at_, span.end, &given);
      if (given) spaces_.push_back({depth_, preserve});
    } else if (span.kind == MarkupKind::EndTag && depth_ > 0) {
      if (!spaces_.empty() && spaces_.back().depth == depth_) spaces_.pop_back();
      --depth_;
    }
  }

  // Whether a run that holds a line break and ends at end may be re-indented.
  bool Indentable(std::size_t end) const {
    const char* const data = text_.data();
    if (end >= text_.size() || data[end + 1] == '!') return false;  // "<!" or the end
    if (afterStartTag_ && data[end + 1] == '/') return false;       // the element's whole content
    return spaces_.empty() || !spaces_.back().preserve;
  }

  // An xml:space attribute, on the element at depth.
  struct Space {
    long depth;
    bool preserve;
  };

  const std::string& text_;
  std::size_t at_ = 0;
  long depth_ = 0;
  bool afterMarkup_ = true;  // white space after text is part of that text
  bool afterStartTag_ = false;
  std::vector<Space> spaces_;  // the xml:space attributes in force, innermost last
};

}  // namespace

std::string StripLineIndents(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  LayoutWalk walk(text);
  Run run;
  while (walk.NextRun(&run)) {
    if (!run.indentable) continue;
    out.append(text, copied, run.indent - copied);
    copied = run.end;
  }
  out.append(text, copied, std::string::npos);
  return out;
}

bool MergeLineIndents(const std::string& text, const std::string& reindented, int width, std::string* out) {
  const char* const re = reindented.data();
  out->clear();
  out->reserve(reindented.size() + (width > 1 ? reindented.size() / 4 : 0));
  // Everything but the runs comes from text, so a byte outside them cannot
  // change; shift is where reindented stands against text, as the module
  // grew or shrank the runs before.
  std::size_t copied = 0;
  long long shift = 0;
  LayoutWalk walk(text);
  Run run;
  while (walk.NextRun(&run)) {
    const std::size_t j = static_cast<std::size_t>(static_cast<long long>(run.begin) + shift);
    std::size_t k = j;
    std::size_t indent = j;  // just past the last line break of the run in reindented
    for (; k < reindented.size() && IsXmlSpace(re[k]); ++k) {
      if (re[k] == '\n' || re[k] == '\r') indent = k + 1;
    }
    // The run must stand between the same bytes in both texts.
    const bool same =
        (run.begin == 0 ? j == 0 : j > 0 && j <= reindented.size() && re[j - 1] == text[run.begin - 1]) &&
        (run.end == text.size() ? k == reindented.size() : k < reindented.size() && re[k] == text[run.end]);
    if (!same) return false;
    shift = static_cast<long long>(k) - static_cast<long long>(run.end);
    if (!run.indentable) continue;
    out->append(text, copied, run.indent - copied);
    if (width < 0) {
      out->append(re + indent, k - indent);
    } else {
      out->append(
          static_cast<std::size_t>(std::count(re + indent, re + k, '\t')) * static_cast<std::size_t>(width),
          ' ');
    }
    copied = run.end;
  }
  out->append(text, copied, std::string::npos);
  return static_cast<long long>(text.size()) + shift == static_cast<long long>(reindented.size());
}

}  // namespace orvelxml
