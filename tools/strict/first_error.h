// What the module's parser recorded about a document it refuses. The
// interface hands out neither the status text nor the element table, so the
// tool parses a second time with the engine: for `check --lenient`, and for
// a document that only the module refuses.
#pragma once

#include <string>
#include <vector>

#include "tools/strict/diagnostic.h"

namespace orvelxml {

// Nothing for a text the module parses cleanly (up to its first NUL, as the
// component reads it). Otherwise its first error, placed where it points: the
// parser's status text with its offsets told as LINE:COL, or, for a text that
// ends inside elements, the elements left open.
std::vector<Diagnostic> FindModuleError(const std::string& text);

}  // namespace orvelxml
