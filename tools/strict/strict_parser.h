// The parser behind `check`: the grammar and well-formedness
// constraints of XML 1.0 (fifth edition) for a document whose external
// entities are not read. It stops at the first error, which it throws.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "tools/strict/first_error.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

class StrictParser {
 public:
  StrictParser(const std::string& text, const std::atomic<bool>* cancel) : text_(text), cancel_(cancel) {}
  // Checks the whole document; throws the first error as a Diagnostic, and
  // Cancelled once *cancel_ is set.
  void Run();
  struct Cancelled {};

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
  // Whether literal (a string literal) stands at c's position.
  template <std::size_t N>
  static bool Looking(const Source& c, const char (&literal)[N]) {
    return c.p <= c.s.size() && c.s.size() - c.p >= N - 1 &&
           std::memcmp(c.s.data() + c.p, literal, N - 1) == 0;
  }
  static bool SkipSpace(Source& c) {
    const std::size_t start = c.p;
    while (c.p < c.s.size() && IsXmlSpace(c.s[c.p])) ++c.p;
    return c.p > start;
  }
  void RequireSpace(Source& c, const char* where) const;
  template <std::size_t N>
  void Expect(Source& c, const char (&literal)[N], const char* what) const {
    if (!Looking(c, literal)) Fail(c, std::string("expected ") + what);
    c.p += N - 1;
  }
  // A name, which stays in c's text.
  std::string_view Name(Source& c, const char* what) const;
  void Nmtoken(Source& c) const;
  std::string Quoted(Source& c, const char* what) const;

  // ---- document and content (strict_check.cpp)
  void XmlDeclaration(Source& c);
  void Comment(Source& c) const;
  void Instruction(Source& c) const;
  void CData(Source& c) const;
  void Content(Source& c, bool document);
  bool StartTag(Source& c, std::string_view* name);
  bool RepeatsAttribute(std::string_view name);
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
  const std::atomic<bool>* cancel_;
  Charset charset_ = Charset::Utf8;
  bool standalone_ = false;
  bool externalSubset_ = false;
  bool peReferences_ = false;
  int entityDepth_ = 0;
  std::map<std::string, Entity, std::less<>> general_;
  std::map<std::string, Entity, std::less<>> parameter_;
  // The attribute names of the start tag being read; a long list is also
  // looked up through a set, so that many attributes take linear time.
  std::vector<std::string_view> attributes_;
  std::unique_ptr<std::unordered_set<std::string_view>> attributeSet_;
};

}  // namespace orvelxml
