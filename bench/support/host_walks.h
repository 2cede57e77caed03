// The read walks the benchmarks time: a host's walks through the component's
// slots, and the same reads on pugixml's tree.
#pragma once

#include <cstddef>

namespace pugi {
class xml_document;
}

namespace orvel {
class IXmlComponent;

namespace bench {

// Bytes read, so that the compiler keeps every read; two walks that read the
// same texts report the same tally.
struct Tally {
  std::size_t bytes = 0;
  std::size_t elements = 0;
  bool operator==(const Tally& o) const { return bytes == o.bytes && elements == o.elements; }
};

// Every element's name, every attribute by index and then its value by name,
// and every leaf element's content, into the host's own buffers. Down with
// SeekChildElement and EnterElement, along with SeekSiblingElement, up with
// LeaveElement.
void WalkAskingForAChild(IXmlComponent* x, Tally& tally);

// The same reads as a host writes them without asking first: for each element
// SeekSiblingElement, its name and attributes, EnterElement, its children by
// SeekSiblingElement until it fails, LeaveElement, and ReadContent when no
// child was found.
void WalkEnteringEachElement(IXmlComponent* x, Tally& tally);

// The same reads on pugixml's tree; a leaf's content is its text and CDATA children.
void WalkPugixml(const pugi::xml_document& doc, Tally& tally);

}  // namespace bench
}  // namespace orvel
