// The well-formedness rules the module leaves alone, for `check --strict`:
// one pass over the bytes of a document the module found well formed.
#pragma once

#include <string>
#include <vector>

#include "tools/first_error.h"

namespace orvelxml {

// The first rule the text breaks, or nothing.
std::vector<Diagnostic> FindStrictErrors(const std::string& text);

}  // namespace orvelxml
