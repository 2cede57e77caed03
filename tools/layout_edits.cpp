#include "tools/layout_edits.h"

#include "tools/tool_support.h"

namespace orvelxml {

namespace {

using orvel::IXmlComponent;
using orvel::NodeElement;
using orvel::NodeSpace;

constexpr char kDeleteMark[] = "orvelxml delete";

// The current node's text as the document holds it (white space comes back unchanged).
std::string NodeText(IXmlComponent* xml) {
  return FetchText([xml](char* b, int n) { return xml->ReadContent(b, n); });
}

// Where the last line break of space starts ("\r\n" is one), or npos.
std::size_t LastBreak(const std::string& space) {
  std::size_t at = space.find_last_of("\r\n");
  if (at != std::string::npos && at > 0 && space[at] == '\n' && space[at - 1] == '\r') --at;
  return at;
}

// Just past the last line break of space, which holds one.
std::size_t LineStart(const std::string& space) { return space.find_last_of("\r\n") + 1; }

// Appends text to the end of the main element's content. Markup without an
// element the module adds as it is; of markup with elements it adds what lies
// from the first element's start to the last one's end, and then "\r\n",
// which is taken out again.
void AppendToContent(IXmlComponent* xml, const std::string& text, bool elements) {
  xml->RewindChildren();  // no child position: the end of the content
  xml->AppendChildMarkup(text.c_str());
  if (!elements) return;
  xml->EnterElement();  // the first new element is main; the line break ends the content
  int last = 0;
  for (int type = xml->SeekNode(0); type != 0; type = xml->SeekNode(0)) last = type;
  if (last == NodeSpace) xml->WriteContent("", 0);
  xml->LeaveElement();
}

// The nodes from the main position (the start of the parent's content
// without one) up to the next element or the parent's end tag.
int NodesToNextElement(IXmlComponent* xml) {
  int n = 0;
  for (int type = xml->SeekNode(0); type != 0 && type != NodeElement; type = xml->SeekNode(0)) ++n;
  return n;
}

}  // namespace

void AddAtContentEnd(IXmlComponent* xml, const std::string& markup, const std::vector<ElementSpan>& elements,
                     const std::string& unit) {
  xml->RewindChildren();
  xml->EnterElement();  // walk the main element's content
  int nodes = 0;
  int last = 0;
  int type;
  std::string space;  // the last white space read
  std::string siblingIndent;
  bool indented = false;
  // Up to the first child element that starts a line, for its indentation...
  for (type = xml->SeekNode(0); type != 0; last = type, type = xml->SeekNode(0)) {
    ++nodes;
    if (type == NodeSpace) space = NodeText(xml);
    if (type == NodeElement && last == NodeSpace && LastBreak(space) != std::string::npos) {
      siblingIndent = space.substr(LineStart(space));
      indented = true;
      break;
    }
  }
  // ...then to the last child element and the nodes after it.
  if (type != 0) {
    while (xml->SeekSiblingElement(nullptr) != 0) {
    }
    for (last = NodeElement, type = xml->SeekNode(0); type != 0; last = type, type = xml->SeekNode(0)) {
      if (type == NodeSpace) space = NodeText(xml);
    }
  }
  if (nodes == 0) {  // <a/> or <a></a>: markup becomes the whole content, as written
    xml->LeaveElement();
    xml->ReplaceInnerMarkup(markup.c_str());
    return;
  }
  // The walk ended with the last node current: the white space before the end tag, if it is that.
  const std::size_t lineBreak = last == NodeSpace ? LastBreak(space) : std::string::npos;
  std::string closing;  // the line break and indentation in front of the end tag
  if (lineBreak != std::string::npos) {
    closing = space.substr(lineBreak);
    const std::string endIndent = space.substr(LineStart(space));
    const std::string lead =
        space.substr(0, LineStart(space)) + (indented ? siblingIndent : endIndent + unit);
    xml->WriteContent(lead.c_str(), 0);
  }
  xml->LeaveElement();
  if (elements.empty()) {
    AppendToContent(xml, markup, false);
  } else {
    const std::size_t begin = elements.front().begin;
    const std::size_t end = elements.back().end;
    if (begin > 0) AppendToContent(xml, markup.substr(0, begin), false);
    AppendToContent(xml, markup.substr(begin, end - begin), true);
    if (end < markup.size()) AppendToContent(xml, markup.substr(end), false);
  }
  if (!closing.empty()) AppendToContent(xml, closing, false);
}

bool DeleteWithItsLine(IXmlComponent* xml) {
  // What the module removes with the element: the white space after it when a tag follows.
  const std::string markup = FetchText([xml](char* b, int n) {
    xml->ReadElementMarkup(b, n);
    return 1;
  });
  const std::string after = markup.substr(markup.find_last_of('>') + 1);
  if (LastBreak(after) == std::string::npos) return xml->DeleteElement() != 0;
  xml->MarkPosition(kDeleteMark);
  const int following = NodesToNextElement(xml);  // that white space and what follows it
  xml->ReturnToMark(kDeleteMark);
  if (xml->DeleteElement() == 0) return false;
  xml->MarkPosition(kDeleteMark);  // the previous element, or the parent when there is none
  const bool afterElement = xml->CurrentNodeType() == NodeElement;
  const int before = NodesToNextElement(xml) - (following - 1);  // the nodes in front of the element
  xml->ReturnToMark(kDeleteMark);
  int type = 0;
  for (int i = 0; i < before; ++i) type = xml->SeekNode(0);
  const std::string space = type == NodeSpace ? NodeText(xml) : std::string();
  const std::size_t lineBreak = LastBreak(space);
  if (lineBreak != std::string::npos) {
    // It stood on a line of its own: that line break and indentation go instead.
    const std::string kept = space.substr(0, lineBreak) + after;
    if (kept != space) xml->WriteContent(kept.c_str(), 0);
  } else if (before > 0 || afterElement) {
    xml->AppendNode(NodeSpace, after.c_str());
  } else {
    xml->InsertNode(NodeSpace, after.c_str());  // at the start of the parent's content
  }
  xml->ReturnToMark(kDeleteMark);
  return true;
}

std::string IndentUnit(const std::string& text) {
  for (std::size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 1)) {
    std::size_t q = p + 1;
    while (q < text.size() && (text[q] == ' ' || text[q] == '\t')) ++q;
    if (q > p + 1 && q < text.size() && text[q] == '<') return text.substr(p + 1, q - p - 1);
  }
  return std::string();
}

}  // namespace orvelxml
