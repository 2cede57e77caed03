// Deterministic random XML documents for the differential test: well-formed,
// with attributes quoted both ways, references, CDATA, comments and PIs.
#pragma once

#include <cstdint>
#include <string>

namespace orvel {

std::string GenerateDocument(std::uint32_t seed);

}  // namespace orvel
