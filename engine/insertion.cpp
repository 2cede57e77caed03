// Adding to the document at its positions: a new element, parsed markup, or
// one node of any type. Each builds its markup, has SpliceMarkup write it,
// enters the new records into the table and moves the positions onto it.
// Everything that can fail (limits, memory) is settled before the first
// change, so a refused addition leaves the document as it was.
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "engine/edit_checks.h"
#include "engine/encoding.h"
#include "engine/fragment_parse.h"
#include "engine/read_guards.h"
#include "engine/table_rebuild.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Where an addition goes: under parent, next to the reference element after,
// or next to the current node that insertion carries. The insertion is the
// document's own, reused, so that an addition in a loop allocates nothing
// for its markup once the string has room.
struct Placement {
  explicit Placement(InsertSpec& reused) : insertion(reused) {
    insertion.offset = insertion.length = insertion.flags = 0;
    insertion.markup.clear();
  }
  std::int32_t parent = 0;
  std::int32_t after = 0;
  InsertSpec& insertion;
};

// With AddAsChild the main element is the parent and the child position the
// reference; otherwise the parent position is the parent and the addition
// goes next to the main element or the current node. False when AddAsChild
// has no main element, or a position names no live record.
bool PlaceAddition(const XmlDocument& d, int flags, Placement& place) {
  place.insertion.flags = flags;
  if (flags & AddAsChild) {
    if (d.mainPos == 0) return false;
    place.parent = d.mainPos;
    place.after = d.childPos;
  } else {
    place.parent = d.parentPos;
    place.after = d.mainPos;
    place.insertion.offset = d.nodeOffset;
    place.insertion.length = d.nodeLength;
  }
  return IsLiveRecord(d, place.parent) && IsLiveRecord(d, place.after);
}

// True when an element under parent still has a level the record can hold.
bool ChildLevelFits(const XmlDocument& d, std::int32_t parent) { return ChildLevel(d, parent) <= kMaxLevel; }

// Appends open (one or two bytes), name and '>' to markup: in one piece for
// the usual short names, which an addition in a loop writes twice per call.
void AppendTag(std::string& markup, const char* open, const char* name, std::size_t nameLength) {
  char tag[64];
  const std::size_t openLength = open[1] == '\0' ? 1 : 2;
  if (nameLength + 3 > sizeof tag) {
    markup.append(open, openLength);
    markup.append(name, nameLength);
    markup += '>';
    return;
  }
  // Names are a few bytes: a loop costs less than the library's copy.
  for (std::size_t i = 0; i < openLength; ++i) tag[i] = open[i];
  for (std::size_t i = 0; i < nameLength; ++i) tag[openLength + i] = name[i];
  tag[openLength + nameLength] = '>';
  markup.append(tag, openLength + nameLength + 1);
}

}  // namespace

bool XmlDocument::AddElement(const char* name, const char* content, int flags) {
  FollowDocumentFlags(*this);
  name = OrEmpty(name);
  content = OrEmpty(content);
  // Replacing the parent's content would leave records that do not describe it.
  flags &= ~EditReplaceContent;
  Placement place(additionScratch);
  if (!PlaceAddition(*this, flags, place)) return false;
  const bool noEndTag = (flags & EditNoEndTag) != 0;
  if (noEndTag && *content != '\0') return false;
  if (!IsWritableElementName(name) || !ChildLevelFits(*this, place.parent)) return false;

  const std::size_t nameLength = std::strlen(name);
  const std::size_t contentLength = std::strlen(content);
  std::string& markup = place.insertion.markup;
  // One allocation for the markup, the escapes of ordinary text and the line
  // break the splice adds.
  const std::size_t room = 2 * nameLength + contentLength + contentLength / 8 + 16;
  if (markup.capacity() < room) markup.reserve(room);
  std::int64_t startTag, endTag = 0;
  if (*content != '\0') {
    AppendTag(markup, "<", name, nameLength);
    if (flags & EditCData)
      markup += WrapCData(content);
    else
      EscapeTextInto(content, flags, markup);
    AppendTag(markup, "</", name, nameLength);
    startTag = static_cast<std::int64_t>(nameLength) + 2;
    endTag = static_cast<std::int64_t>(nameLength) + 3;
  } else {
    markup = "<";
    markup.append(name, nameLength);
    markup += noEndTag ? ">" : (flags & EditSpaceSlash) ? " />" : "/>";
    startTag = static_cast<std::int64_t>(markup.size());
  }
  if (startTag > kMaxStartTagLength || endTag > kMaxEndTagLength) return false;
  const std::int32_t length = static_cast<std::int32_t>(markup.size());

  // A start tag without end tag takes what follows it in its parent's content
  // as a parse of the text would: only the parse can say where. The element
  // must be one where it was written, under its parent.
  std::optional<TableRebuild> rebuild;
  if (noEndTag || NeedsRebuild()) {
    rebuild.emplace(*this);
    rebuild->ExpectElement(place.parent);
  }
  ReserveOneRecord();
  const std::int32_t replaced = SpliceMarkup(place.parent, place.after, place.insertion);
  if (replaced < 0) return false;
  const std::int32_t n = AllocRecord();
  ElementRecord& r = Rec(n);
  r.start = place.insertion.offset;
  r.length = length;
  r.tagLengths = 0;
  r.SetStartTagLength(static_cast<std::int32_t>(startTag));
  r.SetEndTagLength(static_cast<std::int32_t>(endTag));
  r.firstChild = 0;
  r.levelFlags = noEndTag ? static_cast<std::uint32_t>(ElemOpen) : 0u;
  LinkElement(place.parent, place.after, n);
  ShiftFollowing(n, static_cast<std::int32_t>(place.insertion.markup.size()) - replaced, false);

  if (flags & AddAsChild) {
    SetPositions(parentPos, place.parent, n);
  } else {
    SetPositions(place.parent, n, 0);
  }
  FinishRebuild(rebuild);
  return true;
}

bool XmlDocument::AddElementNumber(const char* name, int value, int flags) {
  char number[28];
  std::snprintf(number, sizeof number, "%d", value);
  return AddElement(name, number, flags);
}

bool XmlDocument::AddMarkup(const char* markup, int flags) {
  FollowDocumentFlags(*this);
  markup = OrEmpty(markup);
  flags &= ~EditReplaceContent;
  Placement place(additionScratch);
  if (!PlaceAddition(*this, flags, place) || !ChildLevelFits(*this, place.parent) ||
      !CanTakeContent(place.parent) ||
      !FitsTextLimitWithMarkup(static_cast<std::int64_t>(text.size()), std::strlen(markup)))
    return false;

  FragmentUndo undo(*this, markup);
  const ParsedFragment f = ParseFragment(*this, markup, ChildLevel(*this, place.parent));
  if (f.exceedsLimit) return false;
  // Markup that does not parse cleanly pairs its tags with the text around it.
  std::optional<TableRebuild> rebuild;
  if (f.parseError || NeedsRebuild()) rebuild.emplace(*this);
  bool ok = f.first != 0 && !f.parseError;
  std::int32_t base = 0;
  if (ok) {
    // Only the elements are written: text around them is dropped.
    base = Rec(f.first).start;
    const std::int32_t end = Rec(f.last).start + Rec(f.last).length;
    place.insertion.markup.assign(markup + base, static_cast<std::size_t>(end - base));
    ok = f.last == f.first;
    // Reported as added only where it reads back as written.
    if (ok && rebuild) rebuild->ExpectElement(place.parent);
  } else {
    place.insertion.markup = markup;
    place.insertion.flags |= EditNoBreak;
  }

  const std::int32_t replaced = SpliceMarkup(place.parent, place.after, place.insertion);
  if (replaced < 0) return false;
  PlaceFragment(*this, f, place.insertion.offset - base);
  std::int32_t after = place.after;
  for (std::int32_t e = f.first; e != 0;) {
    const std::int32_t next = Rec(e).nextSibling;
    LinkElement(place.parent, after, e);
    after = e;
    e = next;
  }
  ReleaseRecord(f.holder);
  const std::int32_t change = static_cast<std::int32_t>(place.insertion.markup.size()) - replaced;
  if (f.first != 0)
    ShiftFollowing(f.last, change, true);
  else
    ShiftAfterNode(place.parent, place.after, change);

  if (flags & AddAsChild)
    SetPositions(parentPos, place.parent, f.first);
  else
    SetPositions(parentPos, f.first, 0);
  FinishRebuild(rebuild);
  undo.Keep();
  return ok;
}

bool XmlDocument::AddNode(int type, const char* content, int flags) {
  FollowDocumentFlags(*this);
  content = OrEmpty(content);
  if (type == NodeEndTag) return false;
  if (!IsWritableNodeType(type)) return true;  // nothing to write
  flags &= ~(EditReplaceContent | AddAsChild);
  if ((type & (NodeInstruction | NodeComment | NodeDoctype)) == 0) flags |= EditNoBreak;
  Placement place(additionScratch);
  if (!PlaceAddition(*this, flags, place)) return false;
  std::string& markup = place.insertion.markup;
  if (!BuildNodeMarkup(type, content, markup)) return false;

  int scanned = 0;
  if (type == NodeElement) {
    if (!IsWritableElementName(content) || !ChildLevelFits(*this, place.parent) ||
        static_cast<std::int64_t>(markup.size()) > kMaxStartTagLength)
      return false;
    ReserveOneRecord();
  } else if (!ReadsBackAsNode(type, markup, &scanned)) {
    return false;
  }

  // The new node must read back as what was written (an unterminated
  // construct before it would swallow it).
  std::optional<TableRebuild> rebuild;
  if (NeedsRebuild()) {
    rebuild.emplace(*this);
    if (type == NodeElement)
      rebuild->ExpectElement(place.parent);
    else
      rebuild->ExpectNode(scanned);
  }
  const std::int32_t replaced = SpliceMarkup(place.parent, place.after, place.insertion);
  if (replaced < 0) return false;
  std::int32_t reference = place.after;
  std::int32_t offset = place.insertion.offset, length = place.insertion.length;
  if (type == NodeElement) {
    const std::int32_t n = AllocRecord();
    ElementRecord& r = Rec(n);
    r.start = offset;
    r.length = length;
    r.tagLengths = 0;
    r.SetStartTagLength(length);
    r.firstChild = 0;
    r.levelFlags = 0;
    LinkElement(place.parent, place.after, n);
    reference = n;
  }
  ShiftAfterNode(place.parent, reference,
                 static_cast<std::int32_t>(place.insertion.markup.size()) - replaced);

  SetPositions(parentPos, reference, 0);
  if (type != NodeElement && length != 0) {
    nodeType = scanned;
    nodeOffset = offset;
    nodeLength = length;
    // Text written next to text reads as one node with it.
    if (!rebuild && MayJoinNeighbours(text, offset, length)) SeekNodeCovering(offset);
  }
  FinishRebuild(rebuild);
  return true;
}

}  // namespace orvel
