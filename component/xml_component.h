// XmlComponent: the module's one component class (ComponentID 1). Every XML
// operation runs in the calling frame and forwards to the owned XmlDocument.
#pragma once

#include "component/path_utility.h"
#include "engine/xml_document.h"
#include "module/component_base.h"
#include "orvel/xml_component.h"

namespace orvel {

class XmlComponent final : public ComponentBase<IXmlComponentTable>, public PathUtility {
 public:
  XmlComponent();
  ~XmlComponent() override;

  int LoadDocumentFile(const char* path) override;                                 // 5
  int ParseText(const char* text) override;                                        // 6
  int IsDocumentValid() override;                                                  // 7
  int SeekSiblingElement(const char* name) override;                               // 8
  int SeekChildElement(const char* name) override;                                 // 9
  int EnterElement() override;                                                     // 10
  int LeaveElement() override;                                                     // 11
  void RewindChildren() override;                                                  // 12
  void RewindSiblings() override;                                                  // 13
  void RewindDocument() override;                                                  // 14
  int ReadNodeName(char* buf, int len) override;                                   // 15
  int ReadChildTagName(char* buf, int len) override;                               // 16
  int ReadContent(char* buf, int len) override;                                    // 17
  int ReadChildContent(char* buf, int len) override;                               // 18
  int ReadInnerMarkup(char* buf, int len) override;                                // 19
  int ReadAttribute(const char* name, char* buf, int len) override;                // 20
  int ReadChildAttribute(const char* name, char* buf, int len) override;           // 21
  int ReadAttributeName(int index, char* buf, int len) override;                   // 22
  int SeekNode(int typeMask) override;                                             // 23
  int CurrentNodeType() override;                                                  // 24
  int MarkPosition(const char* name) override;                                     // 25
  int ReturnToMark(const char* name) override;                                     // 26
  int GetDocumentFlags() override;                                                 // 27
  void SetDocumentFlags(int flags) override;                                       // 28
  int SaveDocumentFile(const char* path) override;                                 // 29
  void ReadDocumentText(char* buf, int len) override;                              // 30
  int AppendElementNumber(const char* name, int value, int flags) override;        // 31
  int AppendElement(const char* name, const char* content, int flags) override;    // 32
  int InsertElementNumber(const char* name, int value, int flags) override;        // 33
  int InsertElement(const char* name, const char* content, int flags) override;    // 34
  int AppendChildElementNumber(const char* name, int value, int flags) override;   // 35
  int AppendChildElement(const char* name, const char* content, int flags) override;  // 36
  int InsertChildElementNumber(const char* name, int value, int flags) override;   // 37
  int InsertChildElement(const char* name, const char* content, int flags) override;  // 38
  int WriteAttributeNumber(const char* name, int value) override;                  // 39
  int WriteAttribute(const char* name, const char* value) override;                // 40
  int WriteChildAttributeNumber(const char* name, int value) override;             // 41
  int WriteChildAttribute(const char* name, const char* value) override;           // 42
  int AppendMarkup(const char* markup) override;                                   // 43
  int InsertMarkup(const char* markup) override;                                   // 44
  void ReadElementMarkup(char* buf, int len) override;                             // 45
  int AppendChildMarkup(const char* markup) override;                              // 46
  int InsertChildMarkup(const char* markup) override;                              // 47
  void ReadChildElementMarkup(char* buf, int len) override;                        // 48
  int AppendNode(int nodeType, const char* text) override;                         // 49
  int InsertNode(int nodeType, const char* text) override;                         // 50
  int DeleteElement() override;                                                    // 51
  int DeleteChildElement() override;                                               // 52
  int DeleteNode() override;                                                       // 53
  int PutAttributeNumber(const char* name, int value) override;                    // 54
  int PutAttribute(const char* name, const char* value) override;                  // 55
  int PutChildAttributeNumber(const char* name, int value) override;               // 56
  int PutChildAttribute(const char* name, const char* value) override;             // 57
  int WriteContentNumber(int value) override;                                      // 58
  int WriteContent(const char* text, int flags) override;                          // 59
  int WriteChildContentNumber(int value) override;                                 // 60
  int WriteChildContent(const char* text, int flags) override;                     // 61
  int ReplaceInnerMarkup(const char* markup) override;                             // 62
  void ReindentDocument() override;                                                // 63
  void ReservedNoOp() override;                                                    // 64
  // 65: GetConfigurationPath, inherited from ComponentBase.

  // The document, for tests in process that check its table between calls.
  const XmlDocument& document() const { return document_; }

 private:
  // Slot 5's work: "xmlz" files through the decoder, others read as they
  // are, a missing plain file from the same name with "z" appended.
  bool LoadPlainOrCompressed(const char* path);
  // Decodes the file at path and parses the text through slot 6.
  bool LoadCompressedFile(const char* path);
  // Slot 6's work: the text a compressed load is handing over is taken as it
  // is, any other is copied up to its NUL.
  bool ParseTextOrDecoded(const char* text);
  // Slot 29's work: a path a load could not open is refused.
  bool SaveToFile(const char* path);
  // The adding slots compose their EditFlags and hand them on here.
  int AddElementWithFlags(const char* name, const char* content, int flags);
  int AddMarkupWithFlags(const char* markup, int flags);
  int AddNodeWithFlags(int nodeType, const char* text, int flags);

  XmlDocument document_;
  std::string* decodedText_ = nullptr;  // set while a compressed load calls slot 6
};

// Creator registered under ComponentID 1: a new component, or null when
// memory runs out.
IComponent* CreateXmlComponent();

}  // namespace orvel
