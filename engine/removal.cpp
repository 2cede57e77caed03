// Removing an element or the current node, and the position bookkeeping of
// the three delete operations.
#include "engine/read_guards.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The node type the walk reports for a scanner result between two elements:
// end tags and malformed markup get their walk codes, and a start tag here
// has no record (the parser refused it), so it is malformed markup too.
int WalkType(int scanned) {
  if (scanned == ScanEndTag) return NodeEndTag;
  if (scanned == ScanBadMarkup || scanned == NodeElement) return NodeBadMarkup;
  return scanned;
}

// The parent's content scans clean when every token up to its end is a node,
// child elements stepped over whole.
void ClearInnerErrorWhenClean(XmlDocument& d, std::int32_t parent) {
  const ElementRecord& p = d.Rec(parent);
  const std::int32_t begin = parent != 0 ? p.start + p.StartTagLength() : 0;
  const std::int32_t end =
      parent != 0 ? p.start + p.length - p.EndTagLength() : static_cast<std::int32_t>(d.text.size());
  ScanCursor cursor(d.text.c_str(), d.docFlags);
  cursor.pos = begin;
  MarkupToken token;
  token.quiet = true;  // runs after the text changed: nothing here may fail
  std::int32_t child = p.firstChild;
  while (cursor.pos < end) {
    const std::int32_t at = cursor.pos;
    const int scanned = ScanToken(cursor, token);
    if (scanned == NodeElement && child != 0 && d.Rec(child).start == at) {
      cursor.pos = at + d.Rec(child).length;
      child = d.Rec(child).nextSibling;
      continue;
    }
    // The document's content may end at a NUL byte before the end of the text.
    if (scanned == ScanAtEnd && parent == 0) {
      cursor.pos = end;
      break;
    }
    if (scanned == ScanEndTag || scanned == ScanBadMarkup || scanned == ScanAtEnd || scanned == NodeElement) {
      cursor.pos = at;  // a start tag without record is as wrong as a stray end tag
      break;
    }
  }
  if (cursor.pos == end) d.Rec(parent).Clear(ElemInnerError);
}

}  // namespace

std::int32_t XmlDocument::RemoveElement(std::int32_t index) {
  if (index == 0 || !IsLiveRecord(*this, index)) return 0;
  const ElementRecord& e = Rec(index);
  const bool heldError = SubtreeHoldsError(index);
  // White space after the element goes with it when a tag or the end follows.
  const char* t = text.c_str();
  std::int32_t end = e.start + e.length;
  while (IsSpace(t[end])) ++end;
  const std::int32_t removed = (t[end] == '<' || t[end] == '\0') ? end - e.start : e.length;
  ReplaceText(e.start, removed, std::string());
  ShiftFollowing(index, -removed, true);
  const std::int32_t result = UnlinkElement(index);
  PurgeMarks();
  if (heldError) ClearParseErrorWhenClean();
  return result;
}

void XmlDocument::RemoveNode(std::int32_t parent, std::int32_t& main, std::int32_t& type,
                             std::int32_t& offset, std::int32_t& length) {
  const int removedType = type;
  const bool parentHeldError = Rec(parent).Has(ElemInnerError);
  bool heldError = false;
  std::int32_t before = main;
  if (type == NodeElement) {
    heldError = SubtreeHoldsError(main);
    offset = Rec(main).start;
    length = Rec(main).length;
    before = UnlinkElement(main);
    PurgeMarks();
  }
  const ElementRecord& p = Rec(parent);
  std::int32_t scanStart = 0;
  if (before != 0)
    scanStart = Rec(before).start + Rec(before).length;
  else if (parent != 0)
    scanStart = p.start + p.StartTagLength();

  // The node in front of the removed one becomes current: the last token
  // whose scan began before it, cut where the removed node began.
  int newType = before != 0 ? NodeElement : 0;
  std::int32_t newOffset = 0, newLength = 0;
  ScanCursor cursor(text.c_str(), docFlags);
  cursor.pos = scanStart;
  MarkupToken token;
  token.quiet = true;  // runs after the element was unlinked: nothing here may fail
  while (cursor.pos < offset) {
    const std::int32_t at = cursor.pos;
    const int scanned = ScanToken(cursor, token);
    if (scanned == ScanAtEnd) break;
    newType = WalkType(scanned);
    newOffset = at;
    newLength = offset - at;
  }

  ReplaceText(offset, length, std::string());
  ShiftAfterNode(parent, before, -length);
  // Taking out a stray end tag or malformed markup may leave the parent's
  // content, and then the document, without error.
  if (removedType == NodeEndTag || removedType == NodeBadMarkup) {
    ClearInnerErrorWhenClean(*this, parent);
    heldError = parentHeldError && !Rec(parent).Has(ElemInnerError);
  }
  if (heldError) ClearParseErrorWhenClean();
  main = before;
  type = newType;
  offset = newOffset;
  length = newLength;
}

bool XmlDocument::DeleteElement() {
  if (mainPos == 0 || nodeType != NodeElement) return false;
  const std::int32_t previous = RemoveElement(mainPos);
  SetPositions(parentPos, previous, 0);
  return true;
}

bool XmlDocument::DeleteChildElement() {
  if (childPos == 0) return false;
  childPos = RemoveElement(childPos);
  nodeOffset = nodeLength = 0;
  nodeType = mainPos != 0 ? NodeElement : 0;
  return true;
}

bool XmlDocument::DeleteNode() {
  if (mainPos == 0 && nodeLength == 0) return false;
  if (!IsLiveRecord(*this, mainPos) || !IsLiveRecord(*this, parentPos) ||
      !IsScanStart(text, static_cast<std::int64_t>(nodeOffset) + nodeLength))
    return false;
  RemoveNode(parentPos, mainPos, nodeType, nodeOffset, nodeLength);
  childPos = 0;
  return true;
}

}  // namespace orvel
