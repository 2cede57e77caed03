// Changing what an element or node holds: its text content, the current
// node's content, or an element's whole inner markup.
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

// The current node written again from content: it keeps its kind (a comment
// stays a comment), and its type is what a scan of the new markup reads.
bool RewriteCurrentNode(XmlDocument& d, const char* content) {
  if (d.nodeType == NodeElement || !IsWritableNodeType(d.nodeType)) return false;
  std::string markup;
  int scanned = 0;
  if (!BuildNodeMarkup(d.nodeType, content, markup) || !ReadsBackAsNode(d.nodeType, markup, &scanned))
    return false;
  const std::int64_t size =
      static_cast<std::int64_t>(d.text.size()) - d.nodeLength + static_cast<std::int64_t>(markup.size());
  if (!FitsTextLimit(size)) return false;
  std::optional<TableRebuild> rebuild;
  if (d.NeedsRebuild() || (markup.empty() && ExposesOpenInstruction(d.text, d.nodeOffset, d.nodeLength))) {
    rebuild.emplace(d);
    rebuild->Around(d.parentPos, d.mainPos);
  }
  const std::int32_t change = static_cast<std::int32_t>(markup.size()) - d.nodeLength;
  d.ReplaceText(d.nodeOffset, d.nodeLength, markup);
  d.ShiftAfterNode(d.parentPos, d.mainPos, change);
  if (markup.empty()) {
    d.SetPositions(d.parentPos, d.mainPos, d.childPos);  // an empty node is no current node
  } else {
    d.nodeLength = static_cast<std::int32_t>(markup.size());
    d.nodeType = scanned;
    // Text that no longer ends in '>' runs on into text after it.
    if (!rebuild && MayJoinNeighbours(d.text, d.nodeOffset, d.nodeLength)) d.SeekNodeCovering(d.nodeOffset);
  }
  FinishRebuild(rebuild);
  return true;
}

}  // namespace

bool XmlDocument::SetContent(std::int32_t index, const char* content, int flags) {
  index = FollowDocumentFlags(*this, index);
  content = OrEmpty(content);
  if (index == mainPos && nodeLength != 0) return RewriteCurrentNode(*this, content);
  if (index == 0 || !IsLiveRecord(*this, index) || Rec(index).firstChild != 0) return false;
  InsertSpec insertion;
  insertion.flags = EditReplaceContent | EditNoBreak;
  insertion.markup = (flags & EditCData) ? WrapCData(content) : EscapeText(content, flags);
  // Content that held an error, or an end tag given to an element without
  // one, may leave the document well formed again: the parse tells.
  std::optional<TableRebuild> rebuild;
  if (NeedsRebuild()) rebuild.emplace(*this);
  std::int32_t after = 0;
  const std::int32_t replaced = SpliceMarkup(index, after, insertion);
  if (replaced < 0) return false;
  const std::int32_t change = static_cast<std::int32_t>(insertion.markup.size()) - replaced;
  ShiftFollowing(index, change, false);
  Rec(index).length += change;
  FinishRebuild(rebuild);
  return true;
}

bool XmlDocument::SetContentNumber(std::int32_t index, int value) {
  char number[28];
  std::snprintf(number, sizeof number, "%d", value);
  return SetContent(index, number, 0);
}

bool XmlDocument::SetChildContent(const char* content, int flags) {
  return childPos != 0 && SetContent(childPos, content, flags);
}

// The new markup is parsed and written before the old children are
// released, so that a refusal or running out of memory changes nothing.
bool XmlDocument::SetInnerMarkup(const char* markup) {
  FollowDocumentFlags(*this);
  markup = OrEmpty(markup);
  const std::int32_t main = mainPos;
  if (main == 0 || nodeLength != 0 || !IsLiveRecord(*this, main)) return false;
  if (ChildLevel(*this, main) > kMaxLevel || !CanTakeContent(main) ||
      !FitsTextLimitWithMarkup(static_cast<std::int64_t>(text.size()), std::strlen(markup)))
    return false;

  FragmentUndo undo(*this, markup);
  const ParsedFragment f = ParseFragment(*this, markup, ChildLevel(*this, main));
  if (f.exceedsLimit) return false;
  std::optional<TableRebuild> rebuild;
  if (f.parseError || NeedsRebuild()) rebuild.emplace(*this);
  InsertSpec insertion;
  insertion.flags = EditReplaceContent | EditNoBreak;
  insertion.markup = markup;
  std::int32_t after = 0;
  const std::int32_t replaced = SpliceMarkup(main, after, insertion);  // fits: checked above

  const bool hadChildren = Rec(main).firstChild != 0;
  for (std::int32_t c = Rec(main).firstChild; c != 0;) c = ReleaseSubtree(c);
  if (hadChildren) PurgeMarks();
  PlaceFragment(*this, f, insertion.offset);
  Rec(main).firstChild = f.first;
  for (std::int32_t e = f.first; e != 0; e = Rec(e).nextSibling) Rec(e).parent = main;
  ReleaseRecord(f.holder);
  const std::int32_t change = static_cast<std::int32_t>(insertion.markup.size()) - replaced;
  ShiftFollowing(main, change, true);
  Rec(main).length += change;

  childPos = 0;
  nodeOffset = nodeLength = 0;
  nodeType = NodeElement;
  FinishRebuild(rebuild);
  undo.Keep();
  return !f.parseError;
}

}  // namespace orvel
