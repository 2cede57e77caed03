// Writing new markup into the text: where it goes relative to a parent and a
// reference sibling, the line breaks around it, and the end tag a parent
// written as a bare tag needs once it has content.
#include <cstring>
#include <utility>

#include "engine/edit_checks.h"
#include "engine/table_rebuild.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The end of the document's content: the end of the text, or its first NUL
// byte (a file may hold one), where every scan stops; or, in a document that
// does not parse cleanly, the start of a construct left open at its end (a
// comment, an instruction, a lone '<'), which would swallow what came after.
// Markup written there would be described by records that no parse finds.
std::int32_t DocumentContentEnd(const XmlDocument& d) {
  const std::int32_t first = d.Rec(0).firstChild;
  const std::int32_t from =
      first != 0 ? d.Rec(d.Rec(first).prevSibling).start + d.Rec(d.Rec(first).prevSibling).length : 0;
  const void* nul = std::memchr(d.text.data() + from, '\0', d.text.size() - static_cast<std::size_t>(from));
  const std::int32_t end = nul != nullptr
                               ? static_cast<std::int32_t>(static_cast<const char*>(nul) - d.text.data())
                               : static_cast<std::int32_t>(d.text.size());
  if (!d.Rec(0).Has(ElemParseError)) return end;
  ScanCursor cursor(d.text.c_str(), d.docFlags);
  cursor.pos = from;
  MarkupToken token;
  token.quiet = true;
  for (;;) {
    const std::int32_t at = cursor.pos;
    const int scanned = ScanToken(cursor, token);
    if (scanned == ScanAtEnd) return end;
    if (scanned == ScanBadMarkup && cursor.pos == end) return at;
  }
}

// The replacement itself, noted as the document's last change.
inline void ReplaceBytes(XmlDocument& d, std::int32_t offset, std::int32_t count, const std::string& markup) {
  d.attributeCache.Forget();
  std::string& text = d.text;
  const std::size_t n = text.size() - static_cast<std::size_t>(count) + markup.size();
  if (n > text.capacity()) {
    // Growth by half again keeps a run of small insertions amortised.
    std::size_t grown = n + n / 2 + 128;
    if (grown < n) grown = n;
    text.reserve(grown);
  }
  text.replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(count), markup);
  ++d.textRevision;
  d.lastChange = TextChange{offset, count, static_cast<std::int32_t>(markup.size())};
}

// The name of element x as the parser reads it (up to white space, '/' or
// '>'): the end tag written for it must close it for the parser.
std::string ParsedName(const XmlDocument& d, std::int32_t x) {
  const char* name = d.text.c_str() + d.Rec(x).start + 1;
  return std::string(name, ParsedNameLength(name));
}

}  // namespace

void XmlDocument::ReplaceText(std::int32_t offset, std::int32_t count, const std::string& markup) {
  if (count == 0 && markup.empty()) return;
  if (activeRebuild != nullptr) {
    ReplaceTextUnderRebuild(offset, count, markup);
    return;
  }
  ReplaceBytes(*this, offset, count, markup);
}

// The rebuild plans the new table from the change, and takes it back with
// the bytes it removed when the edit is refused.
void XmlDocument::ReplaceTextUnderRebuild(std::int32_t offset, std::int32_t count,
                                          const std::string& markup) {
  std::string removed(text, static_cast<std::size_t>(offset), static_cast<std::size_t>(count));
  const TextChange previous = lastChange;
  ReplaceBytes(*this, offset, count, markup);
  activeRebuild->TextReplaced(std::move(removed), previous);
}

bool XmlDocument::CanTakeContent(std::int32_t parent) const {
  if (parent == 0 || !Rec(parent).IsBareTag()) return true;
  return static_cast<std::int32_t>(ParsedName(*this, parent).size()) + 3 <= kMaxEndTagLength;
}

std::int32_t XmlDocument::SpliceMarkup(std::int32_t parent, std::int32_t& after, InsertSpec& insertion) {
  const ElementRecord& p = Rec(parent);
  const bool bare = parent != 0 && p.IsBareTag();
  const bool emptyContent = parent != 0 && p.length - p.EndTagLength() - p.StartTagLength() == 0;
  const bool noBreak = (insertion.flags & EditNoBreak) != 0;
  const bool replace = (insertion.flags & EditReplaceContent) != 0;
  const bool before = (insertion.flags & AddBefore) != 0;

  std::int32_t offset;
  if (insertion.length != 0) {
    offset = insertion.offset + (before ? 0 : insertion.length);
  } else if (after != 0) {
    offset = Rec(after).start + (before ? 0 : Rec(after).length);
  } else if (bare) {
    offset = p.start + p.StartTagLength() - (p.Has(ElemOpen) ? 0 : 1);
  } else if (replace || before) {
    offset = p.start + p.StartTagLength();
  } else if (parent == 0) {
    offset = DocumentContentEnd(*this);
  } else {
    offset = p.start + p.length - p.EndTagLength();
  }
  if (!noBreak && !replace && !bare) {
    // New markup goes in front of the next tag, behind the line break and
    // indentation that follow the previous node.
    const char* t = text.c_str();
    std::int32_t q = offset;
    while (IsSpace(t[q])) ++q;
    if (t[q] == '<' || t[q] == '\0') offset = q;
  }

  std::int32_t link = after;
  if (insertion.length == 0) {
    if (after != 0 && before)
      link = Rec(after).Has(ElemFirstChild) ? 0 : Rec(after).prevSibling;
    else if (after == 0 && !before)
      link = p.firstChild != 0 ? Rec(p.firstChild).prevSibling : 0;
  }

  std::string written = std::move(insertion.markup);
  const std::int32_t ownLength = static_cast<std::int32_t>(written.size());
  std::int32_t newOffset = offset;
  if (!noBreak) {
    if (bare || emptyContent) newOffset += 2;
    written.push_back('\r');  // two bytes: cheaper than a copy call on every addition
    written.push_back('\n');
  }
  std::int32_t position = offset, count = 0, endTag = 0;
  if (bare) {
    const std::string name = ParsedName(*this, parent);
    written = (noBreak ? ">" : ">\r\n") + written + "</" + name;
    endTag = static_cast<std::int32_t>(name.size()) + 3;
    const bool open = p.Has(ElemOpen);
    position = p.start + p.length - (open ? 1 : 2);  // before the '>', or on the '/' of "/>"
    count = open ? 0 : 1;
  } else if (replace) {
    position = p.start + p.StartTagLength();
    count = p.length - p.EndTagLength() - p.StartTagLength();
  } else if (emptyContent) {
    position = p.start + p.StartTagLength();
    if (!noBreak) written.insert(0, "\r\n");
  }
  const bool fits =
      endTag <= kMaxEndTagLength && FitsTextLimit(static_cast<std::int64_t>(text.size()) - count +
                                                  static_cast<std::int64_t>(written.size()));
  if (!fits) return -1;

  if (activeRebuild == nullptr) {
    ReplaceText(position, count, written);
  } else {
    // The new markup lies after link among parent's children (or at the
    // front, for new content), or in parent's own tag.
    activeRebuild->Around(parent, insertion.length != 0 ? after : replace ? 0 : link);
    ReplaceText(position, count, written);
    if (!activeRebuild->Holds(newOffset, ownLength)) return -1;
  }
  if (bare) {
    ElementRecord& expanded = Rec(parent);  // a rebuild's plan may have grown the table
    if (expanded.Has(ElemOpen))
      expanded.Clear(ElemOpen);
    else
      expanded.SetStartTagLength(expanded.StartTagLength() - 1);
    expanded.SetEndTagLength(endTag);
  }
  after = link;
  insertion.offset = newOffset;
  insertion.length = ownLength;
  insertion.markup = std::move(written);
  return count;
}

}  // namespace orvel
