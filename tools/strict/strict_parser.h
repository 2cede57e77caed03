// The parser behind `check`: the grammar and well-formedness
// constraints of XML 1.0 (fifth edition) for a document whose external
// entities are not read, and the constraints of namespaces in XML 1.0. It
// stops at the first error, which it throws.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tools/strict/diagnostic.h"
#include "tools/strict/strict_check.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

class StrictParser {
 public:
  StrictParser(const std::string& text, const StrictOptions& options)
      : text_(text), cancel_(options.cancel), namespaces_(options.namespaces) {}
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
  // A start tag's attribute as written; the views are into its Source's text.
  struct Attribute {
    std::string_view name;
    std::size_t at;
    std::string_view value;   // between the quotes, references unexpanded
    std::string_view prefix;  // with the namespace rules: "" for a name without one
  };
  // An element open in the content being read.
  struct OpenTag {
    std::string_view name;
    std::size_t at;
    std::size_t scope;  // the namespace bindings in scope outside it
  };
  struct Binding {
    std::string prefix;
    std::string uri;
  };
  // An xmlns or xmlns:p attribute the internal subset declares for an element.
  struct NamespaceAttribute {
    std::string name;
    bool tokenized;  // a type other than CDATA: its value's spaces are collapsed
    bool defaulted;
    std::string defaultValue;  // as written
  };

  [[noreturn]] void FailAt(const Source& c, std::size_t at, const std::string& message) const;
  [[noreturn]] void Fail(const Source& c, const std::string& message) const { FailAt(c, c.p, message); }

  // ---- characters and tokens (strict_check.cpp)
  void CheckCharacters(const Source& c) const;
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
  // A name, which stays in c's text; *colon (when given) says whether it holds one.
  std::string_view Name(Source& c, const char* what, bool* colon = nullptr) const;
  void Nmtoken(Source& c) const;
  std::string Quoted(Source& c, const char* what) const;

  // ---- document and content (strict_check.cpp)
  void Prolog(Source& c);
  void XmlDeclaration(Source& c);
  // Runs read, which reads a construct that starts at at; an error it meets
  // at the end of the document says that the construct is not closed.
  // what() names the construct.
  template <class What, class Read>
  void ReadClosed(const Source& c, std::size_t at, What what, Read read) const;
  void Comment(Source& c) const;
  void Instruction(Source& c) const;
  void CData(Source& c) const;
  void Content(Source& c, bool document);
  bool StartTag(Source& c, std::string_view* name);
  bool RepeatsAttribute(const Attribute& attribute);
  std::string OpenedAt(const Source& c, std::size_t at) const;
  void AttributeValue(Source& c);
  void AttributeText(Source& c, char quote);
  void Reference(Source& c, bool inAttribute);
  unsigned long CharacterReference(Source& c, std::size_t at) const;
  void CheckReplacement(Source& c, const std::string& name, Entity& e, std::size_t at, bool inAttribute);
  bool EntityDeclaredRuleApplies() const { return standalone_ || (!externalSubset_ && !peReferences_); }

  // ---- namespaces (strict_namespaces.cpp)
  // The rules for a start tag that names a prefix or declares a namespace (or
  // whose element the internal subset gives namespace attributes).
  void CheckNamespaces(const Source& c, std::size_t tagAt, std::string_view element);
  void CheckPrefixedAttributes(const Source& c);
  void Declare(const Source& c, std::size_t at, std::string_view prefix, const std::string& uri);
  const std::string* UriOf(std::string_view prefix) const;
  // The prefix of an element or attribute name ("" for none), which must have
  // no colon, or one between a prefix and a local name that are names themselves.
  std::string_view CheckQName(const Source& c, std::size_t at, std::string_view name, const char* what) const;
  void CheckNoColon(const Source& c, std::size_t at, std::string_view name, const char* what) const;
  void NoteNamespaceAttribute(std::string_view element, std::string_view name, bool tokenized,
                              const std::string* defaultValue);
  const NamespaceAttribute* DeclaredNamespaceAttribute(std::string_view element, std::string_view name) const;
  std::string NamespaceName(std::string_view value, bool tokenized) const;
  void AppendValue(std::string_view value, std::string* out, int depth) const;

  // ---- document type declaration (strict_dtd.cpp)
  void Doctype(Source& c);
  void InternalSubset(Source& c, bool inEntity);
  void ParameterReference(Source& c);
  void ElementDecl(Source& c);
  void ContentModel(Source& c);
  void AttlistDecl(Source& c);
  bool AttributeType(Source& c);  // whether the type is CDATA
  void EntityDecl(Source& c);
  std::string EntityValue(Source& c);
  void NotationDecl(Source& c);
  void ExternalId(Source& c, bool publicAlone);
  void PubidLiteral(Source& c) const;

  static constexpr int kMaxEntityDepth = 64;

  const std::string& text_;
  const std::atomic<bool>* cancel_;
  const bool namespaces_;
  bool standalone_ = false;
  bool externalSubset_ = false;
  bool peReferences_ = false;
  int entityDepth_ = 0;
  std::map<std::string, Entity, std::less<>> general_;
  std::map<std::string, Entity, std::less<>> parameter_;
  // The attributes of the start tag being read; a long list is also looked
  // up through a set of names, so that many attributes take linear time.
  std::vector<Attribute> attributes_;
  std::unique_ptr<std::unordered_set<std::string_view>> attributeSet_;
  // The namespace bindings in scope: the first bindingCount_ of bindings_,
  // whose strings keep their room for the next element's.
  std::vector<Binding> bindings_;
  std::size_t bindingCount_ = 0;
  std::map<std::string, std::vector<NamespaceAttribute>, std::less<>> namespaceAttributes_;
  // The namespace and local name of the start tag's prefixed attributes: a
  // list, and a set once the list is long.
  std::vector<std::pair<const std::string*, std::string_view>> expandedNames_;
  std::unique_ptr<std::set<std::pair<std::string_view, std::string_view>>> expandedNameSet_;
};

}  // namespace orvelxml
