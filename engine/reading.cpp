// Texts read from the document: names, contents, raw markup, attributes.
#include <algorithm>
#include <cstring>

#include "engine/encoding.h"
#include "engine/read_guards.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Opening and closing byte counts that a node's own content lies between.
constexpr std::int32_t kCDataHead = 9, kCDataTail = 3;    // <![CDATA[ ... ]]>
constexpr std::int32_t kPiHead = 2, kPiTail = 2;          // <? ... ?>
constexpr std::int32_t kCommentHead = 4, kCommentTail = 3;  // <!-- ... -->
constexpr std::int32_t kEndTagHead = 2, kEndTagTail = 1;  // </ ... >

// The span [start, start + length) without head and tail bytes; empty when
// the node is too short to hold both (a scanner-accepted "<![C]]>" or "<?>").
std::string Inside(const std::string& text, std::int32_t start, std::int32_t length, std::int32_t head,
                   std::int32_t tail) {
  if (length < head + tail) return std::string();
  return SpanText(text, static_cast<std::int64_t>(start) + head, length - head - tail);
}

// The n-th name (from 1) that NextName reads from pos, or "" when there is none.
std::string NthName(const std::string& text, std::int32_t docFlags, std::int64_t pos, int n) {
  if (!IsScanStart(text, pos)) return std::string();
  ScanCursor cursor(text.c_str(), docFlags);
  cursor.pos = static_cast<std::int32_t>(pos);
  for (int i = 0; i < n; ++i)
    if (!NextName(cursor)) return std::string();
  return CursorText(cursor);
}

// Decodes the text and CDATA tokens of a content span holding markup; white
// space, comments, instructions and malformed markup are left out.
std::string ContentOfMixedSpan(const std::string& text, std::int32_t docFlags, TextSpan span) {
  std::string out;
  const std::int32_t end = span.start + span.length;
  ScanCursor cursor(text.c_str(), docFlags);
  cursor.pos = span.start;
  MarkupToken token;
  while (cursor.pos < end) {
    const int type = ScanToken(cursor, token);
    if (type == ScanAtEnd) break;
    // A token running past the span (a table out of step) is cut at its end.
    const std::int32_t length = (token.start + token.length > end ? end : token.start + token.length) - token.start;
    if (type == NodeText)
      out += DecodeText(text.data() + token.start, length);
    else if (type == NodeCData)
      out += Inside(text, token.start, length, kCDataHead, kCDataTail);
  }
  return out;
}

// Puts the cursor just after the '<' of element x, or after the "<?" of the
// current processing instruction when x is the main position, and sets limit
// to the end of its tag (for an instruction the "?>"); false when x has neither.
bool PlaceAttributeCursor(const XmlDocument& doc, std::int32_t x, ScanCursor& cursor, std::int32_t& limit) {
  std::int64_t pos, end;
  if (x != 0 && doc.nodeType == NodeElement && IsLiveRecord(doc, x)) {
    const ElementRecord& r = doc.Rec(x);
    pos = static_cast<std::int64_t>(r.start) + 1;
    end = static_cast<std::int64_t>(r.start) + r.StartTagLength();
  } else if (x == doc.mainPos && doc.nodeLength != 0 && doc.nodeType == NodeInstruction) {
    pos = static_cast<std::int64_t>(doc.nodeOffset) + 2;
    end = std::max(static_cast<std::int64_t>(doc.nodeOffset) + doc.nodeLength - 2, pos);
  } else {
    return false;
  }
  if (!IsScanStart(doc.text, pos)) return false;
  cursor.pos = static_cast<std::int32_t>(pos);
  limit = static_cast<std::int32_t>(std::min(end, static_cast<std::int64_t>(doc.text.size())));
  return true;
}

}  // namespace

std::string XmlDocument::TagName(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string();
  return NthName(text, docFlags, static_cast<std::int64_t>(Rec(x).start) + 1, 1);
}

std::string XmlDocument::ReadNodeName() const {
  if (nodeLength == 0) return TagName(mainPos);
  const std::int64_t afterOpen = static_cast<std::int64_t>(nodeOffset) + 2;
  switch (nodeType) {
    case NodeText:
    case NodeSpace:
      return "#text";
    case NodeCData:
      return "#cdata-section";
    case NodeComment:
      return "#comment";
    case NodeInstruction:
    case NodeEndTag:
      return NthName(text, docFlags, afterOpen, 1);
    case NodeDoctype:
      return NthName(text, docFlags, afterOpen, 2);  // the first name is the keyword
    default:
      return std::string();
  }
}

std::string XmlDocument::Content(std::int32_t x) const {
  if (x == mainPos && nodeLength != 0) {
    switch (nodeType) {
      case NodeText: {
        TextSpan node = ClampSpan(text, nodeOffset, nodeLength);
        return DecodeText(text.data() + node.start, node.length);
      }
      case NodeCData:
        return Inside(text, nodeOffset, nodeLength, kCDataHead, kCDataTail);
      case NodeInstruction:
        return Inside(text, nodeOffset, nodeLength, kPiHead, kPiTail);
      case NodeComment:
        return Inside(text, nodeOffset, nodeLength, kCommentHead, kCommentTail);
      case NodeEndTag:
        return Inside(text, nodeOffset, nodeLength, kEndTagHead, kEndTagTail);
      default:
        return SpanText(text, nodeOffset, nodeLength);
    }
  }
  if (!IsLiveRecord(*this, x)) return std::string();
  const ElementRecord& r = Rec(x);
  if (r.firstChild != 0 || r.IsBareTag()) return std::string();
  const std::int32_t startTag = r.StartTagLength();
  const TextSpan span = ClampSpan(text, static_cast<std::int64_t>(r.start) + startTag,
                                  static_cast<std::int64_t>(r.length) - startTag - r.EndTagLength());
  const char* begin = text.data() + span.start;
  if (std::memchr(begin, '<', static_cast<std::size_t>(span.length)) == nullptr)
    return DecodeText(begin, span.length);
  return ContentOfMixedSpan(text, docFlags, span);
}

std::string XmlDocument::InnerMarkup(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string();
  const ElementRecord& r = Rec(x);
  if (r.IsBareTag()) return std::string();
  const std::int32_t startTag = r.StartTagLength();
  return SpanText(text, static_cast<std::int64_t>(r.start) + startTag,
                  static_cast<std::int64_t>(r.length) - startTag - r.EndTagLength());
}

std::string XmlDocument::ElementMarkup(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string();
  const ElementRecord& r = Rec(x);
  const TextSpan span = ClampSpan(text, r.start, r.length);
  // Trailing white space belongs to the markup when only a tag or the end follows it.
  const char* t = text.c_str();
  std::int32_t end = span.start + span.length;
  std::int32_t after = end;
  while (t[after] == ' ' || t[after] == '\t' || t[after] == '\n' || t[after] == '\r') ++after;
  if (t[after] == '<' || t[after] == '\0') end = after;
  return text.substr(static_cast<std::size_t>(span.start), static_cast<std::size_t>(end - span.start));
}

// ---- attributes -----------------------------------------------------------

std::string XmlDocument::AttributeValue(std::int32_t x, const char* name) const {
  if (name == nullptr) return std::string();
  ScanCursor cursor(text.c_str(), docFlags);
  std::int32_t limit = 0;
  if (!PlaceAttributeCursor(*this, x, cursor, limit) || !ScanAttributes(cursor, name, 0, limit))
    return std::string();
  return DecodeText(text.data() + cursor.nameStart, cursor.nameEnd - cursor.nameStart + 1);
}

std::string XmlDocument::ReadAttributeName(int index) const {
  ScanCursor cursor(text.c_str(), docFlags);
  std::int32_t limit = 0;
  if (!PlaceAttributeCursor(*this, mainPos, cursor, limit) || !ScanAttributes(cursor, nullptr, index, limit))
    return std::string();
  return CursorText(cursor);
}

std::string XmlDocument::ChildContent() const { return childPos != 0 ? Content(childPos) : std::string(); }

std::string XmlDocument::ChildAttributeValue(const char* name) const {
  return childPos != 0 ? AttributeValue(childPos, name) : std::string();
}

}  // namespace orvel
