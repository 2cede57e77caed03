// A markup fragment parsed on its own under a placeholder record, for the
// operations that insert parsed markup: the new records hold offsets into the
// fragment and are not yet linked into the document's tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/xml_document.h"

namespace orvel {

struct ParsedFragment {
  std::int32_t holder = 0;    // the placeholder: zeroed, no start tag, so fix-up walks end at it
  std::int32_t first = 0;     // first top-level element, 0 when the fragment holds none
  std::int32_t last = 0;      // last top-level element
  bool parseError = false;    // the fragment is not well formed
  bool innerError = false;    // an error lay outside every element of the fragment
  bool exceedsLimit = false;  // a tag beyond what a record can hold: the fragment is refused
};

// The level its children take under parent: 0 at document level.
inline std::int32_t ChildLevel(const XmlDocument& doc, std::int32_t parent) {
  return parent == 0 ? 0 : doc.Rec(parent).Level() + 1;
}

// Takes back the parse of markup (the records it took, the status it wrote)
// when the edit it serves fails before writing anything, as on running out of
// memory half way; made before the parse, Keep() once the text has changed.
class FragmentUndo {
 public:
  FragmentUndo(XmlDocument& doc, const char* markup);
  ~FragmentUndo();
  FragmentUndo(const FragmentUndo&) = delete;
  FragmentUndo& operator=(const FragmentUndo&) = delete;
  void Keep() { kept_ = true; }

 private:
  XmlDocument& doc_;
  std::string status_;
  std::int32_t records_;
  // The front of the free chain, in chain order, as far as the parse can take
  // records from it (one per '<' and the placeholder): a record in use has
  // lost its chain link, so the chain is put back from here.
  std::vector<std::int32_t> chain_;
  bool kept_ = false;
};

// Parses markup under a new placeholder at level (the level its top-level
// elements take). Touches no record of the tree.
ParsedFragment ParseFragment(XmlDocument& doc, const char* markup, std::int32_t level);

// Moves the fragment's records by delta, to where the fragment was written.
void PlaceFragment(XmlDocument& doc, const ParsedFragment& fragment, std::int32_t delta);

}  // namespace orvel
