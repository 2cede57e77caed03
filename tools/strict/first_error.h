// What the parser recorded about a document that is not well formed. The
// interface hands out neither the status text nor the element table, so
// `check` parses a second time with the engine.
#pragma once

#include <string>
#include <vector>

namespace orvelxml {

struct Diagnostic {
  long offset;  // byte offset the message is about: the '<' of a tag where it names one
  std::string message;
};

// Nothing for a well-formed text (up to its first NUL, as the component reads
// it). Otherwise, when elements were not ended, the innermost of them
// ("element 'a' opened at 2:1 is not closed"), then the status text exactly as
// the parser wrote it, placed where it points.
std::vector<Diagnostic> FindFirstErrors(const std::string& text);

}  // namespace orvelxml
