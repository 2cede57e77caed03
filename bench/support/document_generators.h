// Deterministic XML documents for the benchmarks, shared by every bench.
#pragma once

#include <cstddef>
#include <string>

namespace orvel {
namespace bench {

// A catalogue of nested records with attributes, short texts and comments,
// CRLF line breaks and tab indentation, about targetBytes long.
std::string GenerateRecordDocument(std::size_t targetBytes, unsigned seed = 1);

// A drawing of layers, groups and shapes with about three attributes per
// element (values of 5 to 30 bytes), some UTF-8 text, CRLF line breaks and
// tab indentation, about targetBytes long.
std::string GenerateAttributeDenseDocument(std::size_t targetBytes);

// One root holding a flat list of short elements, about targetBytes long.
std::string GenerateFlatDocument(std::size_t targetBytes);

// One chain of depth nested elements with an attribute each, a text at the bottom.
std::string GenerateDeepDocument(int depth);

// Chains of depth nested elements (as GenerateDeepDocument) one after the
// other under one root, about targetBytes long.
std::string GenerateDeepChains(std::size_t targetBytes, int depth);

// Hostile nesting: n copies of open, then n copies of close (each end tag
// of the usual kind matches no open element: "<a>" then "</b>").
std::string GenerateUnmatchedEndTags(int n, const char* open = "<a>", const char* close = "</b>");

// depth nested elements, one per line, then their end tags one per line,
// without indentation; names differ per level when distinct is set.
std::string GenerateDeepLines(int depth, bool distinct);

// A small configuration document of about 100 bytes.
std::string SmallDocument();

// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const char* path);

}  // namespace bench
}  // namespace orvel
