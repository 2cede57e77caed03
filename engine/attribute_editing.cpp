// Setting one attribute in an element's start tag or in the current
// processing instruction: the value is replaced in place, or a new attribute
// is written after the last one.
#include <cstdio>
#include <string>

#include "engine/edit_checks.h"
#include "engine/encoding.h"
#include "engine/read_guards.h"
#include "engine/table_rebuild.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// The tag an attribute is written into: [start, start + length), scanned up to limit.
struct AttributeTarget {
  std::int32_t start = 0;
  std::int32_t length = 0;
  std::int32_t limit = 0;
  bool instruction = false;
};

bool FindTarget(const XmlDocument& d, std::int32_t index, AttributeTarget& target) {
  if (index != 0 && d.nodeType == NodeElement && IsLiveRecord(d, index)) {
    const ElementRecord& r = d.Rec(index);
    target = {r.start, r.StartTagLength(), r.start + r.StartTagLength(), false};
  } else if (index == d.mainPos && d.nodeLength != 0 && d.nodeType == NodeInstruction) {
    const std::int32_t closing = d.nodeOffset + d.nodeLength - 2;  // the "?>"
    target = {d.nodeOffset, d.nodeLength, closing > d.nodeOffset + 2 ? closing : d.nodeOffset + 2, true};
  } else {
    return false;
  }
  return IsScanStart(d.text, static_cast<std::int64_t>(target.start) + target.length);
}

}  // namespace

bool XmlDocument::SetAttribute(std::int32_t index, const char* name, const char* value) {
  if (!IsWritableAttributeName(name)) return false;
  index = FollowDocumentFlags(*this, index);
  AttributeTarget target;
  if (!FindTarget(*this, index, target)) return false;
  ScanCursor cursor(text.c_str(), docFlags);
  cursor.pos = target.start + (target.instruction ? 2 : 1);
  const bool found = ScanAttributes(cursor, name, 0, target.limit);

  const std::string quoted = "\"" + EscapeText(OrEmpty(value), EditAttribute) + "\"";
  std::string written;
  std::int32_t position = cursor.pos, count = 0;
  if (!found) {
    written = " " + std::string(name) + "=" + quoted;  // after the last attribute, before any space
  } else if (cursor.docFlags & CursorCut) {
    return false;  // the value runs past its tag: there is nothing sound to replace
  } else if (cursor.docFlags & CursorBare) {
    position = cursor.nameEnd + 1;  // a name without value gets one
    written = "=" + quoted;
  } else {
    const bool wasQuoted = (cursor.docFlags & CursorQuoted) != 0;
    position = cursor.nameStart - (wasQuoted ? 1 : 0);
    count = cursor.nameEnd - cursor.nameStart + 1 + (wasQuoted ? 2 : 0);
    written = quoted;
  }

  // The tag must still read as the same kind of tag: an attribute that
  // turned "<a b/>"-like text into an empty-element tag, or ended a tag
  // early, would leave records that describe other markup.
  std::string tag =
      text.substr(static_cast<std::size_t>(target.start), static_cast<std::size_t>(target.length));
  tag.replace(static_cast<std::size_t>(position - target.start), static_cast<std::size_t>(count), written);
  std::uint32_t tokenFlags = 0;
  if (ScanWholeToken(tag, &tokenFlags) != (target.instruction ? NodeInstruction : NodeElement)) return false;
  const std::int32_t change = static_cast<std::int32_t>(written.size()) - count;
  if (!target.instruction) {
    const ElementRecord& r = Rec(index);
    const bool emptyTag = r.IsBareTag() && !r.Has(ElemOpen);
    if (((tokenFlags & TokenEmptyTag) != 0) != emptyTag) return false;
    // Nor may it change the name the parser reads (the reads may end a name
    // sooner, as in "<a?b>", and put a new attribute inside it).
    if (ParsedNameLength(tag.c_str() + 1) != ParsedNameLength(text.c_str() + target.start + 1)) return false;
    if (static_cast<std::int64_t>(target.length) + change > kMaxStartTagLength) return false;
  }
  if (!FitsTextLimit(static_cast<std::int64_t>(text.size()) + change)) return false;

  // The tag keeps its name and kind, so a parse pairs the tags as before,
  // even in a document that holds an error.
  ReplaceText(position, count, written);
  if (target.instruction) {
    ShiftAfterNode(parentPos, mainPos, change);
    nodeLength += change;
  } else {
    ElementRecord& r = Rec(index);
    r.SetStartTagLength(r.StartTagLength() + change);
    r.length += change;
    ShiftFollowing(index, change, false);
  }
  return true;
}

bool XmlDocument::SetAttributeNumber(std::int32_t index, const char* name, int value) {
  char number[28];
  std::snprintf(number, sizeof number, "%d", value);
  return SetAttribute(index, name, number);
}

bool XmlDocument::SetChildAttribute(const char* name, const char* value) {
  return childPos != 0 && SetAttribute(childPos, name, value);
}

}  // namespace orvel
