// IXmlComponent: the 64-slot interface of the XML component (ComponentID 1),
// and IXmlComponentTable: the component's whole table of 66 slots.
#pragma once

#include "orvel/component.h"

namespace orvel {

// Slots 5 to 63, in binary-interface order. Booleans are int 0/1; text results
// are copied into (buf, len) only when they fit with their NUL, otherwise the
// buffer is left untouched (the call still returns 1 for a usable buffer).
// SaveDocumentFile that returns 0 leaves the reason in errno (strerror gives
// its text), where the C runtime is shared with the module.
class IXmlComponent : public IComponent {
 public:
  virtual int LoadDocumentFile(const char* path) = 0;                                 // 5
  virtual int ParseText(const char* text) = 0;                                        // 6
  virtual int IsDocumentValid() = 0;                                                  // 7
  virtual int SeekSiblingElement(const char* name) = 0;                               // 8
  virtual int SeekChildElement(const char* name) = 0;                                 // 9
  virtual int EnterElement() = 0;                                                     // 10
  virtual int LeaveElement() = 0;                                                     // 11
  virtual void RewindChildren() = 0;                                                  // 12
  virtual void RewindSiblings() = 0;                                                  // 13
  virtual void RewindDocument() = 0;                                                  // 14
  virtual int ReadNodeName(char* buf, int len) = 0;                                   // 15
  virtual int ReadChildTagName(char* buf, int len) = 0;                               // 16
  virtual int ReadContent(char* buf, int len) = 0;                                    // 17
  virtual int ReadChildContent(char* buf, int len) = 0;                               // 18
  virtual int ReadInnerMarkup(char* buf, int len) = 0;                                // 19
  virtual int ReadAttribute(const char* name, char* buf, int len) = 0;                // 20
  virtual int ReadChildAttribute(const char* name, char* buf, int len) = 0;           // 21
  virtual int ReadAttributeName(int index, char* buf, int len) = 0;                   // 22
  virtual int SeekNode(int typeMask) = 0;                                             // 23
  virtual int CurrentNodeType() = 0;                                                  // 24
  virtual int MarkPosition(const char* name) = 0;                                     // 25
  virtual int ReturnToMark(const char* name) = 0;                                     // 26
  virtual int GetDocumentFlags() = 0;                                                 // 27
  virtual void SetDocumentFlags(int flags) = 0;                                       // 28
  virtual int SaveDocumentFile(const char* path) = 0;                                 // 29
  virtual void ReadDocumentText(char* buf, int len) = 0;                              // 30
  virtual int AppendElementNumber(const char* name, int value, int flags) = 0;        // 31
  virtual int AppendElement(const char* name, const char* content, int flags) = 0;    // 32
  virtual int InsertElementNumber(const char* name, int value, int flags) = 0;        // 33
  virtual int InsertElement(const char* name, const char* content, int flags) = 0;    // 34
  virtual int AppendChildElementNumber(const char* name, int value, int flags) = 0;   // 35
  virtual int AppendChildElement(const char* name, const char* content, int flags) = 0;  // 36
  virtual int InsertChildElementNumber(const char* name, int value, int flags) = 0;   // 37
  virtual int InsertChildElement(const char* name, const char* content, int flags) = 0;  // 38
  virtual int WriteAttributeNumber(const char* name, int value) = 0;                  // 39
  virtual int WriteAttribute(const char* name, const char* value) = 0;                // 40
  virtual int WriteChildAttributeNumber(const char* name, int value) = 0;             // 41
  virtual int WriteChildAttribute(const char* name, const char* value) = 0;           // 42
  virtual int AppendMarkup(const char* markup) = 0;                                   // 43
  virtual int InsertMarkup(const char* markup) = 0;                                   // 44
  virtual void ReadElementMarkup(char* buf, int len) = 0;                             // 45
  virtual int AppendChildMarkup(const char* markup) = 0;                              // 46
  virtual int InsertChildMarkup(const char* markup) = 0;                              // 47
  virtual void ReadChildElementMarkup(char* buf, int len) = 0;                        // 48
  virtual int AppendNode(int nodeType, const char* text) = 0;                         // 49
  virtual int InsertNode(int nodeType, const char* text) = 0;                         // 50
  virtual int DeleteElement() = 0;                                                    // 51
  virtual int DeleteChildElement() = 0;                                               // 52
  virtual int DeleteNode() = 0;                                                       // 53
  virtual int PutAttributeNumber(const char* name, int value) = 0;                    // 54
  virtual int PutAttribute(const char* name, const char* value) = 0;                  // 55
  virtual int PutChildAttributeNumber(const char* name, int value) = 0;               // 56
  virtual int PutChildAttribute(const char* name, const char* value) = 0;             // 57
  virtual int WriteContentNumber(int value) = 0;                                      // 58
  virtual int WriteContent(const char* text, int flags) = 0;                          // 59
  virtual int WriteChildContentNumber(int value) = 0;                                 // 60
  virtual int WriteChildContent(const char* text, int flags) = 0;                     // 61
  virtual int ReplaceInnerMarkup(const char* markup) = 0;                             // 62
  virtual void ReindentDocument() = 0;                                                // 63

 protected:
  ~IXmlComponent() = default;
};

// Number of slots of IXmlComponent itself.
constexpr int kXmlInterfaceSlots = 64;

// The XML component's whole table: IXmlComponent's 64 slots and the two that
// the module's component base puts behind them. The component that
// CreateComponent(1, ...) hands out is one; a host reaches the two slots with
// static_cast<IXmlComponentTable*>.
class IXmlComponentTable : public IXmlComponent {
 public:
  // Slot 64: the release hook that Release runs; calling it has no effect.
  virtual void ReservedNoOp() = 0;
  // Slot 65: copies name, or when name is null or empty the path the host gave
  // SetDLLRegistry, into buf when it fits with its NUL; otherwise buf is left
  // as it was.
  virtual void GetConfigurationPath(const char* name, char* buf, int len) = 0;

 protected:
  ~IXmlComponentTable() = default;
};

// Number of slots of the XML component's table.
constexpr int kXmlComponentTableSlots = kXmlInterfaceSlots + 2;

}  // namespace orvel
