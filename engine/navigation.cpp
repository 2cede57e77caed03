// Moving the parent, main and child positions and the current node.
#include "engine/read_guards.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Link of a record, or 0 when x is no live record, so that a stale link ends a walk.
std::int32_t NextSiblingOf(const XmlDocument& doc, std::int32_t x) {
  return IsLiveRecord(doc, x) ? doc.Rec(x).nextSibling : 0;
}

std::int32_t FirstChildOf(const XmlDocument& doc, std::int32_t x) {
  return IsLiveRecord(doc, x) ? doc.Rec(x).firstChild : 0;
}

std::int32_t ParentOf(const XmlDocument& doc, std::int32_t x) {
  return IsLiveRecord(doc, x) ? doc.Rec(x).parent : 0;
}

}  // namespace

// ---- finding siblings -----------------------------------------------------

std::int32_t XmlDocument::FindSibling(std::int32_t parent, std::int32_t ref, const char* name) const {
  if (capacity == 0) return 0;
  std::int32_t candidate = ref != 0 ? NextSiblingOf(*this, ref) : FirstChildOf(*this, parent);
  if (name == nullptr || *name == '\0') return IsLiveRecord(*this, candidate) ? candidate : 0;
  ScanCursor cursor(text.c_str(), docFlags);
  // A sibling chain is at most recordCount long; the bound stops a broken chain.
  for (std::int32_t steps = 0; candidate != 0 && steps < recordCount; ++steps) {
    if (!IsLiveRecord(*this, candidate)) return 0;
    const std::int32_t nameAt = Rec(candidate).start + 1;
    if (IsScanStart(text, nameAt)) {
      cursor.pos = nameAt;
      if (NextName(cursor) && NameMatches(cursor, name)) return candidate;
    }
    candidate = Rec(candidate).nextSibling;
  }
  return 0;
}

// ---- element moves --------------------------------------------------------

bool XmlDocument::SeekSiblingElement(const char* name) {
  if (capacity == 0) return false;
  const std::int32_t found = FindSibling(parentPos, mainPos, name);
  if (found == 0) return false;
  mainPos = found;
  parentPos = Rec(found).parent;
  childPos = 0;
  nodeOffset = nodeLength = 0;
  nodeType = NodeElement;
  return true;
}

bool XmlDocument::SeekChildElement(const char* name) {
  if (capacity == 0) return false;
  if (mainPos == 0) {
    SeekSiblingElement(nullptr);
    // Inside an element without children: nothing to search under (the
    // search would otherwise run over the top-level elements).
    if (mainPos == 0 && parentPos != 0) return false;
  }
  const std::int32_t found = FindSibling(mainPos, childPos, name);
  if (found == 0) return false;
  childPos = found;
  mainPos = Rec(found).parent;
  parentPos = ParentOf(*this, mainPos);
  nodeOffset = nodeLength = 0;
  nodeType = mainPos != 0 ? NodeElement : 0;
  return true;
}

bool XmlDocument::EnterElement() {
  if (mainPos == 0 || nodeType != NodeElement) return false;
  parentPos = mainPos;
  mainPos = childPos;
  childPos = 0;
  nodeOffset = nodeLength = 0;
  nodeType = mainPos != 0 ? NodeElement : 0;
  return true;
}

bool XmlDocument::LeaveElement() {
  if (parentPos == 0) return false;
  childPos = mainPos;
  mainPos = parentPos;
  parentPos = ParentOf(*this, parentPos);
  nodeOffset = nodeLength = 0;
  nodeType = NodeElement;
  return true;
}

void XmlDocument::RewindChildren() {
  childPos = 0;
  nodeOffset = nodeLength = 0;
  nodeType = mainPos != 0 ? NodeElement : 0;
}

void XmlDocument::RewindSiblings() {
  mainPos = childPos = 0;
  nodeOffset = nodeLength = 0;
  nodeType = 0;
}

void XmlDocument::RewindDocument() {
  RewindSiblings();
  parentPos = 0;
}

// ---- node walk ------------------------------------------------------------

// Walks the parent's own content token by token; child elements are stepped
// over whole by their recorded length, so their insides are never scanned.
int XmlDocument::SeekNode(int typeMask) {
  if (capacity == 0) return 0;
  // A parent that names no live record has no content (rather than the whole text).
  if (!IsLiveRecord(*this, parentPos)) return 0;
  const bool hasParent = parentPos != 0;
  std::int64_t offset = 0;
  if (nodeType >= NodeText) {
    offset = static_cast<std::int64_t>(nodeOffset) + nodeLength;
  } else if (mainPos != 0) {
    if (!IsLiveRecord(*this, mainPos)) return 0;
    offset = static_cast<std::int64_t>(Rec(mainPos).start) + Rec(mainPos).length;
  } else if (hasParent) {
    const ElementRecord& parent = Rec(parentPos);
    if (parent.IsBareTag()) return 0;
    offset = static_cast<std::int64_t>(parent.start) + parent.StartTagLength();
  }
  std::int64_t parentEndTag = -1;
  if (hasParent) {
    const ElementRecord& parent = Rec(parentPos);
    parentEndTag = static_cast<std::int64_t>(parent.start) + parent.length - parent.EndTagLength();
  }

  std::int32_t element = mainPos;
  ScanCursor cursor(text, docFlags);
  MarkupToken token;
  token.quiet = true;  // the walk needs no names: it allocates nothing
  for (;;) {
    if (!IsScanStart(text, offset)) return 0;
    const std::int32_t nodeStart = static_cast<std::int32_t>(offset);
    cursor.pos = nodeStart;
    const int scanned = ScanToken(cursor, token);
    const std::int32_t nodeEnd = cursor.pos;
    int type = scanned;
    if (scanned == ScanAtEnd) return 0;
    if (scanned == ScanBadMarkup) {
      type = NodeBadMarkup;
    } else if (scanned == ScanEndTag) {
      if (nodeStart == parentEndTag) return 0;
      type = NodeEndTag;
    } else if (scanned == NodeElement) {
      const std::int32_t next = element != 0 ? NextSiblingOf(*this, element) : FirstChildOf(*this, parentPos);
      if (next != 0 && IsLiveRecord(*this, next) && Rec(next).start == nodeStart) {
        element = next;
        if (typeMask == 0 || (typeMask & NodeElement) != 0) {
          mainPos = element;
          childPos = 0;
          nodeOffset = nodeLength = 0;
          nodeType = NodeElement;
          return NodeElement;
        }
        const std::int64_t after = static_cast<std::int64_t>(Rec(element).start) + Rec(element).length;
        offset = after > nodeStart ? after : nodeEnd;  // never stand still on a broken record
        continue;
      }
      // The parser made no record for this tag (one beyond the layout limits,
      // which it reported as an error): it is malformed markup to the walk,
      // and the next record still waits for its own tag further on.
      type = NodeBadMarkup;
    }
    if (typeMask != 0 && (typeMask & type) == 0) {
      offset = nodeEnd;
      continue;
    }
    mainPos = element;
    childPos = 0;
    nodeOffset = nodeStart;
    nodeLength = nodeEnd - nodeStart;
    nodeType = type;
    return type;
  }
}

// The walk is the one SeekNode makes, so the node found is one that a host
// walking the content meets.
bool XmlDocument::SeekNodeCovering(std::int32_t offset) {
  const std::int32_t parent = parentPos, main = mainPos;
  SetPositions(parent, main, 0);
  for (;;) {
    const int type = SeekNode(0);
    if (type == 0) break;
    if (type == NodeElement) {
      const ElementRecord& e = Rec(mainPos);
      if (static_cast<std::int64_t>(e.start) + e.length > offset) break;
      continue;
    }
    if (static_cast<std::int64_t>(nodeOffset) + nodeLength > offset) {
      if (nodeOffset <= offset) return true;
      break;
    }
  }
  SetPositions(parent, main, 0);
  return false;
}

}  // namespace orvel
