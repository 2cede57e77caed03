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

// Plain names, an ancestor's name, and names holding each byte that ends a
// name where names are read (they must be refused).
const char* const kNames[] = {nullptr, "a",   "b",   "item", "Item", "x:y",  "\xC3\xA9l", "n-1", "ab",
                              "r",     "a!b", "a?b", "a\\b", "a\nb", "a\rb", "a b",       "a/b", "a>b"};
const char* const kTexts[] = {"",    "t",  "a<b&c", "]]>x",  "&amp; &x", "  ",           "\r\n",
                              "-->", "?>", ">x",    "x\"'y", "42",       "\xE2\x82\xAC", "a b"};
// Fragments that parse cleanly, and every kind that does not: an end tag of
// an ancestor, unended start tags, unterminated constructs, an open value.
const char* const kFragments[] = {"<x/>",
                                  "<x a='1'>t<y/></x>",
                                  "<p/><q/>",
                                  "text",
                                  "",
                                  "  <z k=\"v\"/>  ",
                                  "<!--c--><w/>",
                                  "<m>&amp;<![CDATA[<c>]]></m>",
                                  "</r>",
                                  "<x",
                                  "<m b/>",
                                  "<!-- open",
                                  "<![CDATA[ open",
                                  "<?pi open",
                                  "<x y='",
                                  "<a>",
                                  "</a>",
                                  "<x></y>",
                                  "<r>t",
                                  "</x>tail",
                                  "<",
                                  "<b><c></b>"};
const char* const kMarks[] = {"m", "n", "\xFF\x80", "item[2]", ""};
// The adding flags, one bit of a step's byte each; EditNoEndTag comes from
// another byte (Flags, below).
const int kFlagBits[] = {EditCData,     EditNoBreak,        EditSpaceSlash, EditKeepRefs,
                         EditAttribute, EditReplaceContent, AddBefore,      AddAsChild};
const int kNodeTypes[] = {NodeElement, NodeText,    NodeSpace, NodeCData, NodeInstruction,
                          NodeComment, NodeDoctype, 0,         3,         NodeEndTag};
const int kMasks[] = {0,         NodeElement, NodeText | NodeSpace, NodeComment | NodeInstruction,
                      NodeCData, NodeEndTag};
const int kNumbers[] = {0, -5, 42, 2147483647, -2147483647 - 1};
// Whole documents, taken as a file load takes its bytes (NUL bytes kept) and
// parsed with or without DocNoCase; the first is well formed with it only.
// The rest hold what a parse recovers from: unended elements, stray end tags,
// unterminated tails, names that end where the parser and the reads disagree.
const std::string kDocuments[] = {
    "<R><a></A><b x=\"1\"/></r>",
    "<r><a k='v'>t</a><b/></r>",
    std::string("<r><a/></r>\0<x/>tail", 20),
    "<?xml version=\"1.0\"?>\r\n<!DOCTYPE r [<!ENTITY e 'x'>]>\r\n<r>\r\n\t<a/>\r\n</r>\r\n",
    "",
    "<r/>",
    std::string("<r/></x>\0tail", 13),
    "<r><a></r>",
    "<r><a><x/><y k='1'/></r>",
    "<r><a>x</q></a></r>",
    "<a><b><c/></b>",
    "<r></r></r>",
    "<r/><!-- tail",
    "<r/><",
    "<r/>\r\n<?pi tail",
    "<r><![CDATA[ tail",
    "<?><r/>",
    "<x\\y a='1'/>",
    "<a?b><c/></a?b>",
    "<r><r><a/></r>",
    "<r/>\r\n",
};

// The document flags a load step parses with.
int LoadFlags(const EditStep& s) {
  return (s.b & 1) || &Pick(kDocuments, s.a) == &kDocuments[0] ? DocNoCase : 0;
}

int Flags(std::uint8_t byte) {
  int flags = 0;
  for (int i = 0; i < 8; ++i)
    if (byte & (1 << i)) flags |= kFlagBits[i];
  return flags;
}

// With the top bit of the step's text byte: a start tag without end tag, and
// most often the empty content that it takes.
int Flags(const EditStep& s) { return Flags(s.c) | ((s.b & 0x80) ? EditNoEndTag : 0); }
const char* ElementContent(const EditStep& s) { return (s.b & 0xC0) == 0xC0 ? "" : Pick(kTexts, s.b); }

enum Op {
  kSeekSibling,
  kSeekChild,
  kEnter,
  kLeave,
  kSeekNode,
  kRewind,
  kMark,
  kReturnToMark,
  kRead,
  kAddElement,
  kAddMarkup,
  kAddNode,
  kDeleteElement,
  kDeleteChildElement,
  kDeleteNode,
  kSetAttribute,
  kSetChildAttribute,
  kSetContent,
  kSetChildContent,
  kSetInnerMarkup,
  kNumberForm,
  kReindent,
  kLoad,
  kFlipNoCase,  // as SetDocumentFlags does: the table follows at the next edit
  kOpCount
};

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (const char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string Quote(const char* s) { return s == nullptr ? "null" : Quote(std::string(s)); }
std::string OrNull(const char* s) { return s == nullptr ? std::string() : std::string(s); }

// The moves and marks, which the document and the slots name alike; false
// for the other operations.
template <class Target>
bool ApplyMove(Target& t, const EditStep& s) {
  switch (s.op % kOpCount) {
    case kSeekSibling:
      t.SeekSiblingElement(Pick(kNames, s.a));
      return true;
    case kSeekChild:
      t.SeekChildElement(Pick(kNames, s.a));
      return true;
    case kEnter:
      t.EnterElement();
      return true;
    case kLeave:
      t.LeaveElement();
      return true;
    case kSeekNode:
      t.SeekNode(Pick(kMasks, s.a));
      return true;
    case kRewind:
      if (s.a % 3 == 0)
        t.RewindChildren();
      else if (s.a % 3 == 1)
        t.RewindSiblings();
      else
        t.RewindDocument();
      return true;
    case kMark:
      t.MarkPosition(Pick(kMarks, s.a));
      return true;
    case kReturnToMark:
      t.ReturnToMark(Pick(kMarks, s.a));
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<EditStep> StepsFromBytes(const std::uint8_t* data, std::size_t size) {
  std::vector<EditStep> steps;
  for (std::size_t i = 0; i + 4 <= size; i += 4)
    steps.push_back({data[i], data[i + 1], data[i + 2], data[i + 3]});
  return steps;
}

bool ApplyStep(XmlDocument& d, const EditStep& s) {
  if (ApplyMove(d, s)) return true;
  switch (s.op % kOpCount) {
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
      return true;
    case kAddElement:
      return d.AddElement(Pick(kNames, s.a), ElementContent(s), Flags(s));
    case kAddMarkup:
      return d.AddMarkup(Pick(kFragments, s.a), Flags(s));
    case kAddNode:
      return d.AddNode(Pick(kNodeTypes, s.a), Pick(kTexts, s.b), Flags(s));
    case kDeleteElement:
      return d.DeleteElement();
    case kDeleteChildElement:
      return d.DeleteChildElement();
    case kDeleteNode:
      return d.DeleteNode();
    case kSetAttribute:
      return d.SetAttribute(d.mainPos, Pick(kNames, s.a), Pick(kTexts, s.b));
    case kSetChildAttribute:
      return d.SetChildAttribute(Pick(kNames, s.a), Pick(kTexts, s.b));
    case kSetContent:
      return d.SetContent(d.mainPos, Pick(kTexts, s.b), Flags(s.c));
    case kSetChildContent:
      return d.SetChildContent(Pick(kTexts, s.b), Flags(s.c));
    case kSetInnerMarkup:
      return d.SetInnerMarkup(Pick(kFragments, s.a));
    case kNumberForm:
      if (s.c % 3 == 0) return d.AddElementNumber(Pick(kNames, s.a), Pick(kNumbers, s.b), Flags(s));
      if (s.c % 3 == 1)
        return d.SetAttributeNumber(s.c & 4 ? d.childPos : d.mainPos, Pick(kNames, s.a), Pick(kNumbers, s.b));
      return d.SetContentNumber(s.c & 4 ? d.childPos : d.mainPos, Pick(kNumbers, s.b));
    case kReindent:
      d.ReindentDocument();
      return true;
    case kLoad:
      d.docFlags = LoadFlags(s);
      d.text = Pick(kDocuments, s.a);
      d.status.clear();
      return d.ParseDocument();
    case kFlipNoCase:
      d.docFlags ^= DocNoCase;
      return true;
  }
  return true;
}

Addition AdditionOf(const EditStep& s) {
  Addition a;
  a.asChild = (Flags(s) & AddAsChild) != 0;
  switch (s.op % kOpCount) {
    case kAddElement:
    case kNumberForm:
      if (s.op % kOpCount == kNumberForm && s.c % 3 != 0) return a;
      a.type = NodeElement;
      a.text = OrNull(Pick(kNames, s.a));
      break;
    case kAddMarkup:
      a.type = Addition::kMarkup;
      a.text = Pick(kFragments, s.a);
      break;
    case kAddNode:
      a.type = Pick(kNodeTypes, s.a);
      a.text = Pick(kTexts, s.b);
      a.asChild = false;
      break;
    default:
      return a;
  }
  a.asked = true;
  return a;
}

const char* MarkNameOf(const EditStep& s) { return s.op % kOpCount == kMark ? Pick(kMarks, s.a) : nullptr; }

bool ParsesWhole(const EditStep& s) { return s.op % kOpCount == kReindent || s.op % kOpCount == kLoad; }

namespace {

std::string Read(IXmlComponent* x, int (IXmlComponent::*read)(char*, int)) {
  static char buffer[1 << 16];
  buffer[0] = '\0';
  (x->*read)(buffer, sizeof buffer);
  return buffer;
}

std::string Read(IXmlComponent* x, void (IXmlComponent::*read)(char*, int)) {
  static char buffer[1 << 16];
  buffer[0] = '\0';
  (x->*read)(buffer, sizeof buffer);
  return buffer;
}

// AddMarkup's and AddNode's flags as the slot that takes them.
int (IXmlComponent::*MarkupSlot(int flags))(const char*) {
  if (flags & AddAsChild)
    return flags & AddBefore ? &IXmlComponent::InsertChildMarkup : &IXmlComponent::AppendChildMarkup;
  return flags & AddBefore ? &IXmlComponent::InsertMarkup : &IXmlComponent::AppendMarkup;
}

}  // namespace

void ApplyStepThroughSlots(IXmlComponent* x, const EditStep& s) {
  if (ApplyMove(*x, s)) return;
  char buffer[256];
  switch (s.op % kOpCount) {
    case kRead:
      x->ReadContent(buffer, sizeof buffer);
      x->ReadChildAttribute(Pick(kNames, s.b), buffer, sizeof buffer);
      x->ReadAttributeName(s.c % 4, buffer, sizeof buffer);
      x->ReadElementMarkup(buffer, sizeof buffer);
      break;
    case kAddElement:
      x->AppendElement(Pick(kNames, s.a), ElementContent(s), Flags(s));
      break;
    case kAddMarkup:
      (x->*MarkupSlot(Flags(s)))(Pick(kFragments, s.a));
      break;
    case kAddNode:
      if (Flags(s) & AddBefore)
        x->InsertNode(Pick(kNodeTypes, s.a), Pick(kTexts, s.b));
      else
        x->AppendNode(Pick(kNodeTypes, s.a), Pick(kTexts, s.b));
      break;
    case kDeleteElement:
      x->DeleteElement();
      break;
    case kDeleteChildElement:
      x->DeleteChildElement();
      break;
    case kDeleteNode:
      x->DeleteNode();
      break;
    case kSetAttribute:
      x->WriteAttribute(Pick(kNames, s.a), Pick(kTexts, s.b));
      break;
    case kSetChildAttribute:
      x->WriteChildAttribute(Pick(kNames, s.a), Pick(kTexts, s.b));
      break;
    case kSetContent:
      x->WriteContent(Pick(kTexts, s.b), Flags(s.c));
      break;
    case kSetChildContent:
      x->WriteChildContent(Pick(kTexts, s.b), Flags(s.c));
      break;
    case kSetInnerMarkup:
      x->ReplaceInnerMarkup(Pick(kFragments, s.a));
      break;
    case kNumberForm:
      if (s.c % 3 == 0)
        x->AppendElementNumber(Pick(kNames, s.a), Pick(kNumbers, s.b), Flags(s));
      else if (s.c % 3 == 1 && (s.c & 4))
        x->WriteChildAttributeNumber(Pick(kNames, s.a), Pick(kNumbers, s.b));
      else if (s.c % 3 == 1)
        x->WriteAttributeNumber(Pick(kNames, s.a), Pick(kNumbers, s.b));
      else if (s.c & 4)
        x->WriteChildContentNumber(Pick(kNumbers, s.b));
      else
        x->WriteContentNumber(Pick(kNumbers, s.b));
      break;
    case kReindent:
      x->ReindentDocument();
      break;
    case kLoad:
      x->SetDocumentFlags(LoadFlags(s));
      x->ParseText(Pick(kDocuments, s.a).c_str());
      break;
    case kFlipNoCase:
      break;  // reads keep the old pairing until the next edit, which a second parse would not
  }
}

std::string WalkThroughSlots(IXmlComponent* x) {
  std::string out = x->IsDocumentValid() ? "valid\n" : "not valid\n";
  x->RewindDocument();
  int depth = 0;
  for (;;) {
    const int type = x->SeekNode(0);
    if (type == 0) {
      if (depth-- == 0) break;
      x->LeaveElement();
      out += "end\n";
      continue;
    }
    out += std::to_string(type) + " " + Read(x, &IXmlComponent::ReadNodeName) + ": " +
           Read(x, &IXmlComponent::ReadContent) + "\n";
    if (type != NodeElement) continue;
    out += "  " + Read(x, &IXmlComponent::ReadInnerMarkup) + "\n  " +
           Read(x, &IXmlComponent::ReadElementMarkup) + "\n";
    for (int i = 0;; ++i) {
      char name[256] = "", value[1 << 12] = "";
      x->ReadAttributeName(i, name, sizeof name);
      if (name[0] == '\0') break;
      x->ReadAttribute(name, value, sizeof value);
      out += std::string("  ") + name + "=" + value + "\n";
    }
    x->EnterElement();
    ++depth;
  }
  return out;
}

std::string DescribeStep(const EditStep& s) {
  char flags[16];
  std::snprintf(flags, sizeof flags, "0x%X", static_cast<unsigned>(Flags(s)));
  switch (s.op % kOpCount) {
    case kSeekSibling:
      return "SeekSiblingElement(" + Quote(Pick(kNames, s.a)) + ")";
    case kSeekChild:
      return "SeekChildElement(" + Quote(Pick(kNames, s.a)) + ")";
    case kEnter:
      return "EnterElement()";
    case kLeave:
      return "LeaveElement()";
    case kSeekNode:
      return "SeekNode(" + std::to_string(Pick(kMasks, s.a)) + ")";
    case kRewind:
      return s.a % 3 == 0 ? "RewindChildren()" : s.a % 3 == 1 ? "RewindSiblings()" : "RewindDocument()";
    case kMark:
      return "MarkPosition(" + Quote(Pick(kMarks, s.a)) + ")";
    case kReturnToMark:
      return "ReturnToMark(" + Quote(Pick(kMarks, s.a)) + ")";
    case kRead:
      return "reads";
    case kAddElement:
      return "AddElement(" + Quote(Pick(kNames, s.a)) + ", " + Quote(ElementContent(s)) + ", " + flags + ")";
    case kAddMarkup:
      return "AddMarkup(" + Quote(Pick(kFragments, s.a)) + ", " + flags + ")";
    case kAddNode:
      return "AddNode(" + std::to_string(Pick(kNodeTypes, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ", " +
             flags + ")";
    case kDeleteElement:
      return "DeleteElement()";
    case kDeleteChildElement:
      return "DeleteChildElement()";
    case kDeleteNode:
      return "DeleteNode()";
    case kSetAttribute:
      return "SetAttribute(main, " + Quote(Pick(kNames, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ")";
    case kSetChildAttribute:
      return "SetChildAttribute(" + Quote(Pick(kNames, s.a)) + ", " + Quote(Pick(kTexts, s.b)) + ")";
    case kSetContent:
      return "SetContent(main, " + Quote(Pick(kTexts, s.b)) + ", " + flags + ")";
    case kSetChildContent:
      return "SetChildContent(" + Quote(Pick(kTexts, s.b)) + ", " + flags + ")";
    case kSetInnerMarkup:
      return "SetInnerMarkup(" + Quote(Pick(kFragments, s.a)) + ")";
    case kNumberForm: {
      const std::string value = std::to_string(Pick(kNumbers, s.b));
      const char* at = s.c & 4 ? "child" : "main";
      if (s.c % 3 == 0)
        return "AddElementNumber(" + Quote(Pick(kNames, s.a)) + ", " + value + ", " + flags + ")";
      if (s.c % 3 == 1)
        return std::string("SetAttributeNumber(") + at + ", " + Quote(Pick(kNames, s.a)) + ", " + value + ")";
      return std::string("SetContentNumber(") + at + ", " + value + ")";
    }
    case kReindent:
      return "ReindentDocument()";
    case kFlipNoCase:
      return "docFlags ^= DocNoCase";
    default:
      return "Load(" + Quote(Pick(kDocuments, s.a)) + (LoadFlags(s) ? ", DocNoCase)" : ", 0)");
  }
}

}  // namespace test
}  // namespace orvel
