// The markup of a text as the tool's own layout rules see it: where a piece of
// markup that starts at '<' ends, and what kind it is. Used where the tool
// decides which white space it may touch (format) and where MARKUP splits
// into the nodes an edit adds; the module's scanner stays the judge of what
// is well formed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvelxml {

enum class MarkupKind {
  StartTag,     // <name ...>
  EmptyTag,     // <name .../>
  EndTag,       // </name>
  Comment,      // <!-- -->
  CData,        // <![CDATA[ ]]>
  Instruction,  // <? ?>
  Declaration,  // <!DOCTYPE ...> and the like
  Malformed,    // '<' that starts none of these
};

struct MarkupSpan {
  MarkupKind kind;
  std::size_t end;  // just past the markup; the end of the text when it is not closed
  bool closed;      // false when the text ends inside it
};

// The markup that starts at text[i] == '<', told apart and ended as the
// module's scanner does: a start tag at the first '>' outside quotes after
// its name, an end tag at its first '>', a comment, CDATA section or
// instruction at its terminator, a document type declaration at the first
// '>' outside the markup of its internal subset, and malformed markup at the
// first '>' outside quotes or before the next '<'.
MarkupSpan ScanMarkup(const std::string& text, std::size_t i);

// The top-level elements of markup meant to stand inside an element (text,
// elements, comments, instructions, CDATA sections), as [begin, end) offsets
// in order. false with the reason in *why when it cannot stand there whole:
// markup left open, an end tag that closes nothing of markup's own, an
// element left open, a document type or an XML declaration. What is inside a
// tag, a reference or a character is left to the check of the edited document.
struct ElementSpan {
  std::size_t begin;
  std::size_t end;
};
bool ContentElements(const std::string& markup, std::vector<ElementSpan>* elements, std::string* why);

// Space, tab, line feed or carriage return.
inline bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace orvelxml
