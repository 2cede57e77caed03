// The rules of XML 1.0 and, by default, of namespaces in XML, for `check` and
// the edits: one pass over a document's characters in UTF-8, into which
// tools/document_encoding.h turns every encoding first.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "tools/strict/diagnostic.h"

namespace orvelxml {

struct StrictOptions {
  bool namespaces = true;                     // also the rules of namespaces in XML 1.0
  const std::atomic<bool>* cancel = nullptr;  // once set, the check stops soon and finds nothing
};

// The first rule the text breaks, in document order, or nothing.
std::vector<Diagnostic> FindStrictErrors(const std::string& text, const StrictOptions& options = {});

}  // namespace orvelxml
