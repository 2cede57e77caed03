// Texts read from the document: names, contents, raw markup, attributes.
#include <algorithm>
#include <cstring>

#include "engine/byte_classes.h"
#include "engine/encoding.h"
#include "engine/read_guards.h"
#include "engine/scanner_blocks.h"
#include "engine/xml_document.h"
#include "orvel/constants.h"

namespace orvel {

namespace {

// Opening and closing byte counts that a node's own content lies between.
constexpr std::int32_t kCDataHead = 9, kCDataTail = 3;      // <![CDATA[ ... ]]>
constexpr std::int32_t kPiHead = 2, kPiTail = 2;            // <? ... ?>
constexpr std::int32_t kCommentHead = 4, kCommentTail = 3;  // <!-- ... -->
constexpr std::int32_t kEndTagHead = 2, kEndTagTail = 1;    // </ ... >

// The bytes of [start, start + length) that lie inside the text.
std::string_view SpanView(const std::string& text, std::int64_t start, std::int64_t length) {
  const TextSpan s = ClampSpan(text, start, length);
  return std::string_view(text.data() + s.start, static_cast<std::size_t>(s.length));
}

// The span [start, start + length) without head and tail bytes; empty when
// the node is too short to hold both (a scanner-accepted "<![C]]>" or "<?>").
std::string_view Inside(const std::string& text, std::int32_t start, std::int32_t length, std::int32_t head,
                        std::int32_t tail) {
  if (length < head + tail) return std::string_view();
  return SpanView(text, static_cast<std::int64_t>(start) + head, length - head - tail);
}

// The n-th name (from 1) that NextName reads from pos, or "" when there is none.
std::string_view NthName(const std::string& text, std::int32_t docFlags, std::int64_t pos, int n) {
  if (!IsScanStart(text, pos)) return std::string_view();
  ScanCursor cursor(text.c_str(), docFlags);
  cursor.pos = static_cast<std::int32_t>(pos);
  for (int i = 0; i < n; ++i)
    if (!NextName(cursor)) return std::string_view();
  if (cursor.nameEnd < cursor.nameStart) return std::string_view();
  return std::string_view(text.data() + cursor.nameStart,
                          static_cast<std::size_t>(cursor.nameEnd - cursor.nameStart + 1));
}

// Decodes the text and CDATA tokens of a content span holding markup into
// out; white space, comments, instructions and malformed markup are left out.
std::string_view ContentOfMixedSpan(const std::string& text, std::int32_t docFlags, TextSpan span,
                                    std::string& out) {
  out.clear();
  const std::int32_t end = span.start + span.length;
  ScanCursor cursor(text, docFlags);
  cursor.pos = span.start;
  MarkupToken token;
  while (cursor.pos < end) {
    const int type = ScanToken(cursor, token);
    if (type == ScanAtEnd) break;
    // A token running past the span (a table out of step) is cut at its end.
    const std::int32_t length =
        (token.start + token.length > end ? end : token.start + token.length) - token.start;
    if (type == NodeText) {
      DecodeTextInto(text.data() + token.start, length, out);
    } else if (type == NodeCData) {
      const std::string_view inside = Inside(text, token.start, length, kCDataHead, kCDataTail);
      out.append(inside.data(), inside.size());
    }
  }
  return out;
}

// NameMatches of the attribute name range [range, range + n) against name
// (which may go on after the compared bytes with NUL or one of " =/[]"),
// inlined: it runs once per attribute read by name. The range holds no NUL,
// so a shorter name differs at its NUL and is not read past it.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool
AttributeNameIs(const char* range, std::int32_t n, const char* name, std::int32_t docFlags) {
  if (docFlags & DocNoCase) {
    for (std::int32_t i = 0; i < n; ++i)
      if (bytes::Fold(range[i]) != bytes::Fold(name[i])) return false;
  } else {
    for (std::int32_t i = 0; i < n; ++i)
      if (range[i] != name[i]) return false;
  }
  return bytes::Is(name[n > 0 ? n : 0], bytes::kNameFollow);
}

// The range the attribute scan of element x reads: from just after its '<'
// (or, when x is the main position on a processing instruction, after the
// "<?") to the end of its tag (for an instruction the "?>"); false when x has
// neither. Inlined: it runs once per attribute read.
#if defined(__GNUC__)
__attribute__((always_inline))
#endif
inline bool
AttributeRange(const XmlDocument& doc, std::int32_t x, std::int32_t& pos, std::int32_t& limit) {
  std::int64_t from, end;
  if (x != 0 && doc.nodeType == NodeElement && IsLiveRecord(doc, x)) {
    const ElementRecord& r = doc.Rec(x);
    from = static_cast<std::int64_t>(r.start) + 1;
    end = static_cast<std::int64_t>(r.start) + r.StartTagLength();
  } else if (x == doc.mainPos && doc.nodeLength != 0 && doc.nodeType == NodeInstruction) {
    from = static_cast<std::int64_t>(doc.nodeOffset) + 2;
    end = std::max(static_cast<std::int64_t>(doc.nodeOffset) + doc.nodeLength - 2, from);
  } else {
    return false;
  }
  if (!IsScanStart(doc.text, from)) return false;
  pos = static_cast<std::int32_t>(from);
  limit = static_cast<std::int32_t>(std::min(end, static_cast<std::int64_t>(doc.text.size())));
  return true;
}

}  // namespace

// Every read has a view form that points into the text or, for decoded
// texts, into readScratch (valid until the next read): the slots hand it to
// the caller's buffer with one copy. The std::string forms copy the view.

std::string_view XmlDocument::TagNameView(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string_view();
  const std::int64_t at = static_cast<std::int64_t>(Rec(x).start) + 1;
  if (at >= 0 && at < static_cast<std::int64_t>(text.size())) {
    // The name right after '<', read here: the walk reads one per element.
    const char* name = text.c_str() + at;
    if (!bytes::Is(*name, bytes::kDelimiter)) {
      const char* end = name + 1;
      while (!bytes::Is(*end, bytes::kDelimiter)) ++end;
      return std::string_view(name, static_cast<std::size_t>(end - name));
    }
  }
  return NthName(text, docFlags, at, 1);
}

std::string_view XmlDocument::NodeNameView() const {
  if (nodeLength == 0) return TagNameView(mainPos);
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
      return std::string_view();
  }
}

std::string_view XmlDocument::ContentView(std::int32_t x) const {
  if (x == mainPos && nodeLength != 0) {
    switch (nodeType) {
      case NodeText: {
        TextSpan node = ClampSpan(text, nodeOffset, nodeLength);
        return DecodeView(text.data() + node.start, node.length, readScratch);
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
        return SpanView(text, nodeOffset, nodeLength);
    }
  }
  if (!IsLiveRecord(*this, x)) return std::string_view();
  const ElementRecord& r = Rec(x);
  if (r.firstChild != 0 || r.IsBareTag()) return std::string_view();
  const std::int32_t startTag = r.StartTagLength();
  TextSpan span = ClampSpan(text, static_cast<std::int64_t>(r.start) + startTag,
                            static_cast<std::int64_t>(r.length) - startTag - r.EndTagLength());
  const char* begin = text.data() + span.start;
  if (x == 0) {
    // The document record spans the whole text, which ends at a NUL it may
    // hold (an element's span never reaches one: the parse stops there).
    if (const char* nul = blocks::FindIn(begin, begin + span.length, '\0'))
      span.length = static_cast<std::int32_t>(nul - begin);
  }
  if (blocks::FindIn(begin, begin + span.length, '<') == nullptr)
    return DecodeView(begin, span.length, readScratch);
  return ContentOfMixedSpan(text, docFlags, span, readScratch);
}

std::string_view XmlDocument::InnerMarkupView(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string_view();
  const ElementRecord& r = Rec(x);
  if (r.IsBareTag()) return std::string_view();
  const std::int32_t startTag = r.StartTagLength();
  return SpanView(text, static_cast<std::int64_t>(r.start) + startTag,
                  static_cast<std::int64_t>(r.length) - startTag - r.EndTagLength());
}

std::string_view XmlDocument::ElementMarkupView(std::int32_t x) const {
  if (x == 0 || !IsLiveRecord(*this, x)) return std::string_view();
  const ElementRecord& r = Rec(x);
  const TextSpan span = ClampSpan(text, r.start, r.length);
  // Trailing white space belongs to the markup when only a tag or the end follows it.
  const char* t = text.c_str();
  std::int32_t end = span.start + span.length;
  std::int32_t after = end;
  while (t[after] == ' ' || t[after] == '\t' || t[after] == '\n' || t[after] == '\r') ++after;
  if (t[after] == '<' || t[after] == '\0') end = after;
  return std::string_view(t + span.start, static_cast<std::size_t>(end - span.start));
}

// ---- attributes -----------------------------------------------------------

// Reading all k attributes of a tag, by index and then by name, scans the tag
// once: the attribute list is kept until the tag's bytes change, and the next
// read of the same element takes it without locating the tag again.
const std::vector<AttributeSpan>* XmlDocument::AttributeListOf(std::int32_t x) const {
  const bool element = x > 0 && nodeType == NodeElement;
  if (element && attributeCache.element == x)
    return &attributeCache.spans;  // a change of the text forgets it
  std::int32_t pos = 0, limit = 0;
  if (!AttributeRange(*this, x, pos, limit)) return nullptr;
  const std::vector<AttributeSpan>& spans = AttributesAt(pos, limit);
  attributeCache.element = element ? x : -1;
  return &spans;
}

std::string_view XmlDocument::AttributeValueView(std::int32_t x, const char* name) const {
  const std::vector<AttributeSpan>* spans = name != nullptr ? AttributeListOf(x) : nullptr;
  if (spans == nullptr) return std::string_view();
  for (const AttributeSpan& a : *spans) {
    if (!AttributeNameIs(text.data() + a.nameStart, a.nameEnd - a.nameStart + 1, name, docFlags)) continue;
    const char* value = text.data() + a.valueStart;
    const std::int32_t length = a.valueEnd - a.valueStart + 1;
    return a.plain ? std::string_view(value, static_cast<std::size_t>(length))
                   : DecodeView(value, length, readScratch);
  }
  return std::string_view();
}

std::string_view XmlDocument::AttributeNameView(int index) const {
  const std::vector<AttributeSpan>* list = AttributeListOf(mainPos);
  if (list == nullptr) return std::string_view();
  const std::vector<AttributeSpan>& spans = *list;
  if (index < 0 || static_cast<std::size_t>(index) >= spans.size()) return std::string_view();
  const AttributeSpan& a = spans[static_cast<std::size_t>(index)];
  return std::string_view(text.data() + a.nameStart, static_cast<std::size_t>(a.nameEnd - a.nameStart + 1));
}

std::string_view XmlDocument::ChildContentView() const {
  return childPos != 0 ? ContentView(childPos) : std::string_view();
}

std::string_view XmlDocument::ChildAttributeValueView(const char* name) const {
  return childPos != 0 ? AttributeValueView(childPos, name) : std::string_view();
}

std::string XmlDocument::TagName(std::int32_t x) const { return std::string(TagNameView(x)); }
std::string XmlDocument::ReadNodeName() const { return std::string(NodeNameView()); }
std::string XmlDocument::Content(std::int32_t x) const { return std::string(ContentView(x)); }
std::string XmlDocument::InnerMarkup(std::int32_t x) const { return std::string(InnerMarkupView(x)); }
std::string XmlDocument::ElementMarkup(std::int32_t x) const { return std::string(ElementMarkupView(x)); }
std::string XmlDocument::AttributeValue(std::int32_t x, const char* name) const {
  return std::string(AttributeValueView(x, name));
}
std::string XmlDocument::ReadAttributeName(int index) const { return std::string(AttributeNameView(index)); }
std::string XmlDocument::ChildContent() const { return std::string(ChildContentView()); }
std::string XmlDocument::ChildAttributeValue(const char* name) const {
  return std::string(ChildAttributeValueView(name));
}

}  // namespace orvel
