// The first error of a document as the parser records it. The interface does
// not hand the status text out, so `check` parses a second time with the engine.
#pragma once

#include <string>

namespace orvelxml {

struct FirstError {
  std::string status;  // the status text ("" when the document is well formed)
  long offset;         // byte offset the error points at (0 when the message names none)
};

// Parses text (up to its first NUL, as the component does) and reports the first error.
FirstError FindFirstError(const std::string& text);

}  // namespace orvelxml
