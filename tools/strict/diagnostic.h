// What a check finds wrong with a document, and where: a byte offset, told
// to a reader as line and column.
#pragma once

#include <string>
#include <vector>

namespace orvelxml {

struct Diagnostic {
  long offset;  // byte offset the message is about: the '<' of a tag where it names one
  std::string message;
};

// 1-based line and column of offset in text; columns count UTF-8 characters
// (offsets past the end count as the end).
struct LineColumn {
  int line;
  int column;
};
LineColumn LineColumnAt(const std::string& text, long offset);
// "LINE:COL" of offset in text.
std::string LineColumnText(const std::string& text, long offset);

// An element a document left open: its name and the offset of its '<'.
struct OpenElement {
  std::string name;
  long offset;
};
// "the document ends with element 'a' not closed (opened at 2:1)", or with
// several, innermost first (open lists them outermost first): a few named
// with their places, the rest counted.
std::string EndsOpenMessage(const std::string& text, const std::vector<OpenElement>& open);

}  // namespace orvelxml
