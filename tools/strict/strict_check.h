// The well-formedness rules the module leaves alone, for `check` and the edits:
// one pass over the bytes of a document the module found well formed.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "tools/strict/first_error.h"

namespace orvelxml {

// The first rule the text breaks, or nothing. Once *cancel (when given) is
// set, the check stops soon and finds nothing.
std::vector<Diagnostic> FindStrictErrors(const std::string& text, const std::atomic<bool>* cancel = nullptr);

}  // namespace orvelxml
