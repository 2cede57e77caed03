// A markup fragment parsed on its own under a placeholder record, for the
// operations that insert parsed markup: the new records hold offsets into the
// fragment and are not yet linked into the document's tree.
#pragma once

#include <cstdint>

#include "engine/xml_document.h"

namespace orvel {

struct ParsedFragment {
  std::int32_t holder = 0;  // the placeholder: zeroed, no start tag, so fix-up walks end at it
  std::int32_t first = 0;   // first top-level element, 0 when the fragment holds none
  std::int32_t last = 0;    // last top-level element
  bool parseError = false;  // the fragment is not well formed
  bool innerError = false;  // an error lay outside every element of the fragment
};

// The level its children take under parent: 0 at document level.
inline std::int32_t ChildLevel(const XmlDocument& doc, std::int32_t parent) {
  return parent == 0 ? 0 : doc.Rec(parent).Level() + 1;
}

// Parses markup under a new placeholder at level (the level its top-level
// elements take). Touches no record of the tree, so running out of memory
// half way leaves the document as it was.
ParsedFragment ParseFragment(XmlDocument& doc, const char* markup, std::int32_t level);

// Moves the fragment's records by delta, to where the fragment was written.
void PlaceFragment(XmlDocument& doc, const ParsedFragment& fragment, std::int32_t delta);

}  // namespace orvel
