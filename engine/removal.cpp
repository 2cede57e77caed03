// Removing an element or the current node, and the position bookkeeping of
// the three delete operations.
#include <optional>

#include "engine/edit_checks.h"
#include "engine/read_guards.h"
#include "engine/table_rebuild.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The bytes RemoveElement takes out: the element, and the white space after
// it when a tag or the end follows.
std::int32_t RemovedLength(const XmlDocument& d, std::int32_t index) {
  const ElementRecord& e = d.Rec(index);
  const char* t = d.text.c_str();
  std::int32_t end = e.start + e.length;
  while (IsSpace(t[end])) ++end;
  return (t[end] == '<' || t[end] == '\0') ? end - e.start : e.length;
}

// A removal the table cannot follow record by record: the document holds an
// error, or the removal changes how the text's first token reads.
bool RemovalNeedsRebuild(const XmlDocument& d, std::int32_t position, std::int32_t count) {
  return d.NeedsRebuild() || ExposesOpenInstruction(d.text, position, count);
}

std::int32_t PreviousSibling(const ElementRecord& r) { return r.Has(ElemFirstChild) ? 0 : r.prevSibling; }

// The same for RemoveElement of index; what it removes is only measured when
// the element starts the text.
bool ElementRemovalNeedsRebuild(const XmlDocument& d, std::int32_t index) {
  const std::int32_t start = d.Rec(index).start;
  return RemovalNeedsRebuild(d, start, start == 0 ? RemovedLength(d, index) : 0);
}

}  // namespace

std::int32_t XmlDocument::RemoveElement(std::int32_t index) {
  if (index == 0 || !IsLiveRecord(*this, index)) return 0;
  const std::int32_t removed = RemovedLength(*this, index);
  if (activeRebuild != nullptr) activeRebuild->Around(Rec(index).parent, PreviousSibling(Rec(index)));
  ReplaceText(Rec(index).start, removed, std::string());
  ShiftFollowing(index, -removed, true);
  const std::int32_t result = UnlinkElement(index);
  PurgeMarks();
  return result;
}

void XmlDocument::RemoveNode() {
  const std::int32_t parent = parentPos;
  std::int32_t before = mainPos, offset = nodeOffset, length = nodeLength;
  const bool element = length == 0;  // no current node: the main element goes
  if (element) {
    offset = Rec(mainPos).start;
    length = Rec(mainPos).length;
    before = PreviousSibling(Rec(mainPos));
  }
  const ElementRecord& p = Rec(parent);
  std::int32_t scanStart = 0;
  if (before != 0)
    scanStart = Rec(before).start + Rec(before).length;
  else if (parent != 0)
    scanStart = p.start + p.StartTagLength();
  // The text changes first: a rebuild plans from the table as it was.
  if (activeRebuild != nullptr) activeRebuild->Around(parent, before);
  ReplaceText(offset, length, std::string());
  if (element) {
    UnlinkElement(mainPos);
    PurgeMarks();
  }
  ShiftAfterNode(parent, before, -length);
  // The node in front of the removed one becomes current, as a walk of the
  // new text reads it: text on both sides of the removed node is one node now.
  SetPositions(parent, before, 0);
  if (offset > scanStart) SeekNodeCovering(offset - 1);
}

bool XmlDocument::DeleteElement() {
  FollowDocumentFlags(*this);
  if (mainPos == 0 || nodeType != NodeElement || !IsLiveRecord(*this, mainPos)) return false;
  std::optional<TableRebuild> rebuild;
  if (ElementRemovalNeedsRebuild(*this, mainPos)) rebuild.emplace(*this);
  const std::int32_t previous = RemoveElement(mainPos);
  SetPositions(parentPos, previous, 0);
  FinishRebuild(rebuild);
  return true;
}

bool XmlDocument::DeleteChildElement() {
  FollowDocumentFlags(*this);
  if (childPos == 0 || !IsLiveRecord(*this, childPos)) return false;
  std::optional<TableRebuild> rebuild;
  if (ElementRemovalNeedsRebuild(*this, childPos)) rebuild.emplace(*this);
  childPos = RemoveElement(childPos);
  nodeOffset = nodeLength = 0;
  nodeType = mainPos != 0 ? NodeElement : 0;
  FinishRebuild(rebuild);
  return true;
}

bool XmlDocument::DeleteNode() {
  FollowDocumentFlags(*this);
  if (mainPos == 0 && nodeLength == 0) return false;
  if (!IsLiveRecord(*this, mainPos) || !IsLiveRecord(*this, parentPos) ||
      !IsScanStart(text, static_cast<std::int64_t>(nodeOffset) + nodeLength))
    return false;
  const bool node = nodeLength != 0;
  std::optional<TableRebuild> rebuild;
  if (RemovalNeedsRebuild(*this, node ? nodeOffset : Rec(mainPos).start,
                          node ? nodeLength : Rec(mainPos).length))
    rebuild.emplace(*this);
  RemoveNode();
  FinishRebuild(rebuild);
  return true;
}

}  // namespace orvel
