// Shared helpers of the navigation tests: a parsed document and a full walk.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/xml_document.h"

namespace orvel {

inline std::unique_ptr<XmlDocument> Parse(const std::string& text, int flags = 0) {
  std::unique_ptr<XmlDocument> doc(new XmlDocument());
  doc->docFlags = flags;
  doc->ParseText(text.c_str());
  return doc;
}

// Parses text and makes its first top-level element main.
inline std::unique_ptr<XmlDocument> AtRoot(const std::string& text, int flags = 0) {
  auto doc = Parse(text, flags);
  doc->SeekSiblingElement(nullptr);
  return doc;
}

// Parses text and enters its first top-level element: the walk runs over its content.
inline std::unique_ptr<XmlDocument> InsideRoot(const std::string& text, int flags = 0) {
  auto doc = AtRoot(text, flags);
  doc->EnterElement();
  return doc;
}

struct Positions {
  std::int32_t parent, main, child, type;
  bool operator==(const Positions& o) const {
    return parent == o.parent && main == o.main && child == o.child && type == o.type;
  }
};

inline void PrintTo(const Positions& p, std::ostream* os) {
  *os << "{parent " << p.parent << ", main " << p.main << ", child " << p.child << ", type " << p.type << "}";
}

inline Positions PositionsOf(const XmlDocument& d) { return {d.parentPos, d.mainPos, d.childPos, d.nodeType}; }

// Visits every node with SeekNode(0), entering each element and leaving it at
// its end; calls visit after every successful step with the node type.
template <class Visit>
void WalkAll(XmlDocument& doc, Visit visit, int limit = 100000) {
  doc.RewindDocument();
  for (int steps = 0; steps < limit; ++steps) {
    int type = doc.SeekNode(0);
    if (type == 0) {
      if (!doc.LeaveElement()) return;
      continue;
    }
    visit(type);
    if (type == 1) doc.EnterElement();
  }
}

}  // namespace orvel
