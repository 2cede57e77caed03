// XmlComponent's slot table. Each body is one line: the calling frame
// (component/calling_frame.h) around one XmlDocument operation. The number
// variants format their value and call the text variant's slot.
#include "component/xml_component.h"

#include "component/calling_frame.h"
#include "component/slot_layout.h"  // compile-time pins of the table layout

namespace orvel {

XmlComponent::XmlComponent() { document_.docFlags = 0; }

XmlComponent::~XmlComponent() = default;

// clang-format off
int XmlComponent::LoadDocumentFile(const char* path) { return BoolSlot(this, [&] { return LoadPlainOrCompressed(path); }); }  // 5
int XmlComponent::ParseText(const char* text) { return BoolSlot(this, [&] { return ParseTextOrDecoded(text); }); }       // 6
int XmlComponent::IsDocumentValid() { return BoolSlot(this, [&] { return document_.IsDocumentValid(); }); }                // 7
int XmlComponent::SeekSiblingElement(const char* name) { return BoolSlot(this, [&] { return document_.SeekSiblingElement(name); }); }  // 8
int XmlComponent::SeekChildElement(const char* name) { return BoolSlot(this, [&] { return document_.SeekChildElement(name); }); }      // 9
int XmlComponent::EnterElement() { return BoolSlot(this, [&] { return document_.EnterElement(); }); }                      // 10
int XmlComponent::LeaveElement() { return BoolSlot(this, [&] { return document_.LeaveElement(); }); }                      // 11
void XmlComponent::RewindChildren() { RunInFrameVoid(this, [&] { document_.RewindChildren(); }); }                         // 12
void XmlComponent::RewindSiblings() { RunInFrameVoid(this, [&] { document_.RewindSiblings(); }); }                         // 13
void XmlComponent::RewindDocument() { RunInFrameVoid(this, [&] { document_.RewindDocument(); }); }                         // 14
int XmlComponent::ReadNodeName(char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.NodeNameView(); }); }                 // 15
int XmlComponent::ReadChildTagName(char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.TagNameView(document_.childPos); }); } // 16
int XmlComponent::ReadContent(char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.ContentView(document_.mainPos); }); }       // 17
int XmlComponent::ReadChildContent(char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.ChildContentView(); }); }            // 18
int XmlComponent::ReadInnerMarkup(char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.InnerMarkupView(document_.mainPos); }); } // 19
int XmlComponent::ReadAttribute(const char* name, char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.AttributeValueView(document_.mainPos, name); }); }        // 20
int XmlComponent::ReadChildAttribute(const char* name, char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.ChildAttributeValueView(name); }); }                 // 21
int XmlComponent::ReadAttributeName(int index, char* buf, int len) { return TextSlot(this, buf, len, [&] { return document_.AttributeNameView(index); }); }                          // 22
int XmlComponent::SeekNode(int typeMask) { return IntSlot(this, [&] { return document_.SeekNode(typeMask); }); }           // 23
int XmlComponent::CurrentNodeType() { return IntSlot(this, [&] { return document_.nodeType; }); }                          // 24
int XmlComponent::MarkPosition(const char* name) { return BoolSlot(this, [&] { return document_.MarkPosition(name); }); }  // 25
int XmlComponent::ReturnToMark(const char* name) { return BoolSlot(this, [&] { return document_.ReturnToMark(name); }); }  // 26
int XmlComponent::GetDocumentFlags() { return IntSlot(this, [&] { return document_.docFlags; }); }                         // 27
void XmlComponent::SetDocumentFlags(int flags) { RunInFrameVoid(this, [&] { document_.docFlags = flags; }); }              // 28
int XmlComponent::SaveDocumentFile(const char* path) { return BoolSlot(this, [&] { return SaveToFile(path); }); }  // 29
void XmlComponent::ReadDocumentText(char* buf, int len) { RunInFrameVoid(this, [&] { HandBackTextUpToNul(document_.text, buf, len); }); }  // 30
int XmlComponent::AppendElementNumber(const char* name, int value, int flags) { return BoolSlot(this, [&] { return AppendElement(name, NumberText(value).text, flags); }); }  // 31
int XmlComponent::AppendElement(const char* name, const char* content, int flags) { return AddElementWithFlags(name, content, flags); }                                  // 32
int XmlComponent::InsertElementNumber(const char* name, int value, int flags) { return BoolSlot(this, [&] { return InsertElement(name, NumberText(value).text, flags); }); }  // 33
int XmlComponent::InsertElement(const char* name, const char* content, int flags) { return AddElementWithFlags(name, content, flags | AddBefore); }                                  // 34
int XmlComponent::AppendChildElementNumber(const char* name, int value, int flags) { return BoolSlot(this, [&] { return AppendChildElement(name, NumberText(value).text, flags); }); }  // 35
int XmlComponent::AppendChildElement(const char* name, const char* content, int flags) { return AddElementWithFlags(name, content, flags | AddAsChild); }                             // 36
int XmlComponent::InsertChildElementNumber(const char* name, int value, int flags) { return BoolSlot(this, [&] { return InsertChildElement(name, NumberText(value).text, flags); }); }  // 37
int XmlComponent::InsertChildElement(const char* name, const char* content, int flags) { return AddElementWithFlags(name, content, flags | AddBefore | AddAsChild); }                             // 38
int XmlComponent::WriteAttributeNumber(const char* name, int value) { return BoolSlot(this, [&] { return WriteAttribute(name, NumberText(value).text); }); }               // 39
int XmlComponent::WriteAttribute(const char* name, const char* value) { return BoolSlot(this, [&] { return document_.SetAttribute(document_.mainPos, name, value); }); }     // 40
int XmlComponent::WriteChildAttributeNumber(const char* name, int value) { return BoolSlot(this, [&] { return WriteChildAttribute(name, NumberText(value).text); }); }     // 41
int XmlComponent::WriteChildAttribute(const char* name, const char* value) { return BoolSlot(this, [&] { return document_.SetChildAttribute(name, value); }); }            // 42
int XmlComponent::AppendMarkup(const char* markup) { return AddMarkupWithFlags(markup, 0); }                                                     // 43
int XmlComponent::InsertMarkup(const char* markup) { return AddMarkupWithFlags(markup, AddBefore); }                                                     // 44
void XmlComponent::ReadElementMarkup(char* buf, int len) { TextSlotVoid(this, buf, len, [&] { return document_.ElementMarkupView(document_.mainPos); }); }       // 45
int XmlComponent::AppendChildMarkup(const char* markup) { return AddMarkupWithFlags(markup, AddAsChild); }                                                // 46
int XmlComponent::InsertChildMarkup(const char* markup) { return AddMarkupWithFlags(markup, AddBefore | AddAsChild); }                                                // 47
void XmlComponent::ReadChildElementMarkup(char* buf, int len) { TextSlotVoid(this, buf, len, [&] { return document_.ElementMarkupView(document_.childPos); }); } // 48
int XmlComponent::AppendNode(int nodeType, const char* text) { return AddNodeWithFlags(nodeType, text, 0); }                                                  // 49
int XmlComponent::InsertNode(int nodeType, const char* text) { return AddNodeWithFlags(nodeType, text, AddBefore); }                                                  // 50
int XmlComponent::DeleteElement() { return BoolSlot(this, [&] { return document_.DeleteElement(); }); }                    // 51
int XmlComponent::DeleteChildElement() { return BoolSlot(this, [&] { return document_.DeleteChildElement(); }); }          // 52
int XmlComponent::DeleteNode() { return BoolSlot(this, [&] { return document_.DeleteNode(); }); }                          // 53
int XmlComponent::PutAttributeNumber(const char* name, int value) { return BoolSlot(this, [&] { return PutAttribute(name, NumberText(value).text); }); }                   // 54
int XmlComponent::PutAttribute(const char* name, const char* value) { return BoolSlot(this, [&] { return document_.SetAttribute(document_.mainPos, name, value); }); }       // 55
int XmlComponent::PutChildAttributeNumber(const char* name, int value) { return BoolSlot(this, [&] { return PutChildAttribute(name, NumberText(value).text); }); }         // 56
int XmlComponent::PutChildAttribute(const char* name, const char* value) { return BoolSlot(this, [&] { return document_.SetChildAttribute(name, value); }); }              // 57
int XmlComponent::WriteContentNumber(int value) { return BoolSlot(this, [&] { return WriteContent(NumberText(value).text, 0); }); }            // 58
int XmlComponent::WriteContent(const char* text, int flags) { return BoolSlot(this, [&] { return document_.SetContent(document_.mainPos, text, flags); }); }  // 59
int XmlComponent::WriteChildContentNumber(int value) { return BoolSlot(this, [&] { return WriteChildContent(NumberText(value).text, 0); }); }  // 60
int XmlComponent::WriteChildContent(const char* text, int flags) { return BoolSlot(this, [&] { return document_.SetChildContent(text, flags); }); }            // 61
int XmlComponent::ReplaceInnerMarkup(const char* markup) { return BoolSlot(this, [&] { return document_.SetInnerMarkup(markup); }); }                    // 62
void XmlComponent::ReindentDocument() { RunInFrameVoid(this, [&] { document_.ReindentDocument(); }); }                     // 63
void XmlComponent::ReservedNoOp() {}                                                                                       // 64
// clang-format on

int XmlComponent::AddElementWithFlags(const char* name, const char* content, int flags) {
  return BoolSlot(this, [&] { return document_.AddElement(name, content, flags); });
}
int XmlComponent::AddMarkupWithFlags(const char* markup, int flags) {
  return BoolSlot(this, [&] { return document_.AddMarkup(markup, flags); });
}
int XmlComponent::AddNodeWithFlags(int nodeType, const char* text, int flags) {
  return BoolSlot(this, [&] { return document_.AddNode(nodeType, text, flags); });
}

}  // namespace orvel
