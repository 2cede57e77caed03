#include "tests/support/edit_sequence.h"

#include <cstdio>

#include "orvel/constants.h"

namespace orvel {
namespace test {

namespace {

template <class T, std::size_t N>
const T& Pick(const T (&table)[N], std::uint8_t byte) {
  return table[byte % N];
}

const char* const kNames[] = {nullptr, "a", "b", "item", "Item", "x:y", "\xC3\xA9l", "n-1", "ab"};
const char* const kTexts[] = {"",   "t",  "a<b&c", "]]>x", "&amp; &x", "  ", "\r\n", "-->",
                              "?>", ">x", "x\"'y", "42",   "\xE2\x82\xAC", "a b"};
// Fragments that parse cleanly: what they add can be described by records.
const char* const kFragments[] = {"<x/>", "<x a='1'>t<y/></x>", "<p/><q/>", "text", "", "  <z k=\"v\"/>  ",
                                  "<!--c--><w/>", "<m>&amp;<![CDATA[<c>]]></m>"};
const char* const kMarks[] = {"m", "n", "\xFF\x80", "item[2]", ""};
// The adding flags; EditNoEndTag is left out, since a start tag without end
// tag is not what a parse of the text would record for what follows it.
const int kFlagBits[] = {EditCData, EditNoBreak, EditSpaceSlash, EditKeepRefs, EditAttribute,
                         EditReplaceContent, AddBefore, AddAsChild};
const int kNodeTypes[] = {NodeElement, NodeText, NodeSpace, NodeCData, NodeInstruction, NodeComment,
                          NodeDoctype, 0, 3, NodeEndTag};
const int kMasks[] = {0, NodeElement, NodeText | NodeSpace, NodeComment | NodeInstruction, NodeCData, NodeEndTag};

int Flags(std::uint8_t byte) {
  int flags = 0;
  for (int i = 0; i < 8; ++i)
    if (byte & (1 << i)) flags |= kFlagBits[i];
  return flags;
}

enum Op {
  kSeekSibling, kSeekChild, kEnter, kLeave, kSeekNode, kRewind, kMark, kReturnToMark, kRead,
  kAddElement, kAddMarkup, kAddNode, kDeleteElement, kDeleteChildElement, kDeleteNode,
  kSetAttribute, kSetChildAttribute, kSetContent, kSetChildContent, kSetInnerMarkup, kOpCount
};

std::string Quote(const char* s) {
  if (s == nullptr) return "null";
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(s); *p != 0; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", *p);
      out += hex;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}

}  // namespace

std::vector<EditStep> StepsFromBytes(const std::uint8_t* data, std::size_t size) {
  std::vector<EditStep> steps;
  for (std::size_t i = 0; i + 4 <= size; i += 4) steps.push_back({data[i], data[i + 1], data[i + 2], data[i + 3]});
  return steps;
}

void ApplyStep(XmlDocument& d, const EditStep& s) {
  switch (s.op % kOpCount) {
    case kSeekSibling: d.SeekSiblingElement(Pick(kNames, s.a)); break;
    case kSeekChild: d.SeekChildElement(Pick(kNames, s.a)); break;
    case kEnter: d.EnterElement(); break;
    case kLeave: d.LeaveElement(); break;
    case kSeekNode: d.SeekNode(Pick(kMasks, s.a)); break;
    case kRewind:
      if (s.a % 3 == 0) d.RewindChildren();
      else if (s.a % 3 == 1) d.RewindSiblings();
      else d.RewindDocument();
      break;
    case kMark: d.MarkPosition(Pick(kMarks, s.a)); break;
    case kReturnToMark: d.ReturnToMark(Pick(kMarks, s.a)); break;
    case kRead:
      // Reads change nothing, but they run over whatever the edits left.
      d.Content(d.mainPos);
      d.ChildContent();
      d.AttributeValue(d.mainPos, Pick(kNames, s.a));
      d.ChildAttributeValue(Pick(kNames, s.b));
      d.ReadAttributeName(s.c % 4);
      d.ReadNodeName();
      d.InnerMarkup(d.mainPos);
      d.ElementMarkup(d.childPos);
      break;
    case kAddElement: d.AddElement(Pick(kNames, s.a), Pick(kTexts, s.b), Flags(s.c)); break;
    case kAddMarkup: d.AddMarkup(Pick(kFragments, s.a), Flags(s.c) & (AddBefore | AddAsChild)); break;
    case kAddNode: d.AddNode(Pick(kNodeTypes, s.a), Pick(kTexts, s.b), Flags(s.c) & AddBefore); break;
    case kDeleteElement: d.DeleteElement(); break;
    case kDeleteChildElement: d.DeleteChildElement(); break;
    case kDeleteNode: d.DeleteNode(); break;
    case kSetAttribute: d.SetAttribute(d.mainPos, Pick(kNames, s.a), Pick(kTexts, s.b)); break;
    case kSetChildAttribute: d.SetChildAttribute(Pick(kNames, s.a), Pick(kTexts, s.b)); break;
    case kSetContent: d.SetContent(d.mainPos, Pick(kTexts, s.b), Flags(s.c)); break;
    case kSetChildContent: d.SetChildContent(Pick(kTexts, s.b), Flags(s.c)); break;
    case kSetInnerMarkup: d.SetInnerMarkup(Pick(kFragments, s.a)); break;
  }
}

std::string DescribeStep(const EditStep& s) {
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(Flags(s.c)));
  switch (s.op % kOpCount) {
    case kSeekSibling: return "SeekSiblingElement(" + Quote(Pick(kNames, s.a)) + ")";
    case kSeekChild: return "SeekChildElement(" + Quote(Pick(kNames, s.a)) + ")";
    case kEnter: return "EnterElement()";
    case kLeave: return "LeaveElement()";
    case kSeekNode: return "SeekNode(" + std::to_string(Pick(kMasks, s.a)) + ")";
    case kRewind: return s.a % 3 == 0 ? "RewindChildren()" : s.a % 3 == 1 ? "RewindSiblings()" : "RewindDocument()";
    case kMark: return "MarkPosition(" + Quote(Pick(kMarks, s.a)) + ")";
    case kReturnToMark: return "ReturnToMark(" + Quote(Pick(kMarks, s.a)) + ")";
    case kRead: return "reads";
    case kAddElement:
      return "AddElement(" + Quote(Pick(kNames, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ", " + flags + ")";
    case kAddMarkup:
      return "AddMarkup(" + Quote(Pick(kFragments, s.a)) + ", " + std::to_string(Flags(s.c) & (AddBefore | AddAsChild)) + ")";
    case kAddNode:
      return "AddNode(" + std::to_string(Pick(kNodeTypes, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ", " +
             std::to_string(Flags(s.c) & AddBefore) + ")";
    case kDeleteElement: return "DeleteElement()";
    case kDeleteChildElement: return "DeleteChildElement()";
    case kDeleteNode: return "DeleteNode()";
    case kSetAttribute: return "SetAttribute(main, " + Quote(Pick(kNames, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ")";
    case kSetChildAttribute:
      return "SetChildAttribute(" + Quote(Pick(kNames, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ")";
    case kSetContent: return "SetContent(main, " + Quote(Pick(kTexts, s.b)) + ", " + flags + ")";
    case kSetChildContent: return "SetChildContent(" + Quote(Pick(kTexts, s.b)) + ", " + flags + ")";
    default: return "SetInnerMarkup(" + Quote(Pick(kFragments, s.a)) + ")";
  }
}

}  // namespace test
}  // namespace orvel
