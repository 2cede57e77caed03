// Visits every node of a document through the positions (SeekNode into each
// element and out again) and reads all that the read operations give there:
// names, contents, inner and whole markup, attribute names and values.
#pragma once

#include <cstddef>

#include "engine/xml_document.h"

namespace orvel {
namespace test {

struct WalkTally {
  std::size_t nodes = 0;
  std::size_t elements = 0;
  std::size_t bytesRead = 0;  // of every text the reads returned
};

// Walks doc from its start; attributes by index up to maxAttributes per
// element (each read scans the tag from its start), inner and whole markup of
// the elements up to 64 KiB long. Leaves the positions at the document level;
// changes nothing else.
WalkTally ReadWholeDocument(XmlDocument& doc, int maxAttributes = 32);

}  // namespace test
}  // namespace orvel
