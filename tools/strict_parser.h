// The parser behind `check --strict`: the grammar and well-formedness
// constraints of XML 1.0 (fifth edition) for a document whose external
// entities are not read. It stops at the first error, which it throws.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "tools/first_error.h"

namespace orvelxml {

class StrictParser {
 public:
  explicit StrictParser(const std::string& text) : text_(text) {}
  // Checks the whole document; throws the first error as a Diagnostic.
  void Run();

 private:
  // A text being read: the document, or the replacement text of an entity,
  // whose errors are reported at the reference that brought it in.
  struct Source {
    const std::string& s;
    std::size_t p;
    long reportAt;        // -1: report at p
    std::string context;  // "in entity 'e'" and so on, "" for the document
  };
  struct Entity {
    std::string value;  // replacement text (character references expanded)
    bool external = false;
    bool unparsed = false;
    int contentCheck = 0;    // 0 not yet, 1 under way, 2 passed
    int attributeCheck = 0;  // the same, as part of an attribute value
  };
  enum class Charset { Utf8, SingleByte, Unknown };

  [[noreturn]] void FailAt(const Source& c, std::size_t at, const std::string& message) const;
  [[noreturn]] void Fail(const Source& c, const std::string& message) const { FailAt(c, c.p, message); }

  // ---- characters and tokens (strict_check.cpp)
  void CheckCharacters(const Source& c);
  unsigned long CharAt(const std::string& s, std::size_t at, std::size_t* length) const;
  static bool Looking(const Source& c, const char* literal);
  static bool SkipSpace(Source& c);
  void RequireSpace(Source& c, const char* where) const;
  void Expect(Source& c, const char* literal, const char* what) const;
  std::string Name(Source& c, const char* what) const;
  void Nmtoken(Source& c) const;
  std::string Quoted(Source& c, const char* what) const;

  // ---- document and content (strict_check.cpp)
  void XmlDeclaration(Source& c);
  void Comment(Source& c) const;
  void Instruction(Source& c) const;
  void CData(Source& c) const;
  void Content(Source& c, bool document);
  bool StartTag(Source& c, std::string* name);
  void AttributeValue(Source& c);
  void AttributeText(Source& c, char quote);
  void Reference(Source& c, bool inAttribute);
  unsigned long CharacterReference(Source& c, std::size_t at) const;
  void CheckReplacement(Source& c, const std::string& name, Entity& e, std::size_t at, bool inAttribute);
  bool EntityDeclaredRuleApplies() const { return standalone_ || (!externalSubset_ && !peReferences_); }

  // ---- document type declaration (strict_dtd.cpp)
  void Doctype(Source& c);
  void InternalSubset(Source& c, bool inEntity);
  void ParameterReference(Source& c);
  void ElementDecl(Source& c);
  void ContentModel(Source& c);
  void AttlistDecl(Source& c);
  void AttributeType(Source& c);
  void EntityDecl(Source& c);
  std::string EntityValue(Source& c);
  void NotationDecl(Source& c);
  void ExternalId(Source& c, bool publicAlone);
  void PubidLiteral(Source& c) const;

  const std::string& text_;
  Charset charset_ = Charset::Utf8;
  bool standalone_ = false;
  bool externalSubset_ = false;
  bool peReferences_ = false;
  int entityDepth_ = 0;
  std::map<std::string, Entity> general_;
  std::map<std::string, Entity> parameter_;
};

}  // namespace orvelxml
