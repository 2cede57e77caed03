// Deterministic catalogue-like document for the walk benchmark.
#pragma once

#include <cstddef>
#include <string>

namespace orvel {
namespace bench {

// About targetBytes of XML: items with attributes, leaf texts with references,
// nested lists, CDATA, comments and indentation; the same bytes on every run.
std::string WalkDocument(std::size_t targetBytes);

}  // namespace bench
}  // namespace orvel
