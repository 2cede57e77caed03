// Namespaces in XML 1.0 for `check`: names with at most one colon, between
// two names; every prefix bound by a declaration in scope (xml always is);
// the xml and xmlns prefixes and their namespaces used only as reserved; and
// no two attributes of a tag with the same namespace and local name.
#include <cstring>
#include <set>
#include <utility>

#include "tools/strict/strict_parser.h"

namespace orvelxml {

namespace {

const char kXmlNamespace[] = "http://www.w3.org/XML/1998/namespace";
const std::string kXmlNamespaceName = kXmlNamespace;  // what the prefix xml is always bound to
const char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";
// A tag with more prefixed attributes than this finds repeats through a set.
constexpr std::size_t kListedNames = 16;

// Whether name declares a namespace: xmlns or xmlns:p.
bool IsDeclaration(std::string_view name) {
  return name.compare(0, 5, "xmlns") == 0 && (name.size() == 5 || name[5] == ':');
}

std::string InQuotes(std::string_view name) { return "'" + std::string(name) + "'"; }

}  // namespace

void StrictParser::CheckNamespaces(const Source& c, std::size_t tagAt, std::string_view element) {
  const std::string_view prefix = CheckQName(c, tagAt + 1, element, "element");
  bool declares = false, prefixed = false;
  for (Attribute& a : attributes_) {
    a.prefix = CheckQName(c, a.at, a.name, "attribute");
    const bool declaration = a.prefix == "xmlns" || (a.prefix.empty() && a.name == "xmlns");
    declares = declares || declaration;
    prefixed = prefixed || (!a.prefix.empty() && !declaration);
  }
  // The declarations, written or given by the internal subset, bind before any name is read.
  for (const Attribute& a : attributes_) {
    if (!declares || (a.prefix != "xmlns" && a.name != "xmlns")) continue;
    const NamespaceAttribute* type = DeclaredNamespaceAttribute(element, a.name);
    Declare(c, a.at, a.prefix.empty() ? a.prefix : a.name.substr(6),
            NamespaceName(a.value, type && type->tokenized));
  }
  const auto declared =
      namespaceAttributes_.empty() ? namespaceAttributes_.end() : namespaceAttributes_.find(element);
  if (declared != namespaceAttributes_.end()) {
    for (const NamespaceAttribute& d : declared->second) {
      bool given = !d.defaulted;
      for (const Attribute& a : attributes_) given = given || a.name == d.name;
      if (!given)
        Declare(c, tagAt, std::string_view(d.name).substr(d.name.size() > 5 ? 6 : 5),
                NamespaceName(d.defaultValue, d.tokenized));
    }
  }

  if (prefix == "xmlns")
    FailAt(c, tagAt, "element " + InQuotes(element) + " has the prefix 'xmlns', kept for declarations");
  if (!prefix.empty() && UriOf(prefix) == nullptr)
    FailAt(c, tagAt,
           "element " + InQuotes(element) + " has the prefix " + InQuotes(prefix) +
               ", which no namespace declaration in scope binds");
  if (prefixed) CheckPrefixedAttributes(c);
}

// The attributes with a prefix, by namespace and local name (one without a
// prefix is in no namespace, so it cannot repeat one with).
void StrictParser::CheckPrefixedAttributes(const Source& c) {
  expandedNames_.clear();
  expandedNameSet_.reset();
  for (const Attribute& a : attributes_) {
    if (a.prefix.empty() || a.prefix == "xmlns") continue;
    const std::string* uri = UriOf(a.prefix);
    if (uri == nullptr)
      FailAt(c, a.at,
             "attribute " + InQuotes(a.name) + " has the prefix " + InQuotes(a.prefix) +
                 ", which no namespace declaration in scope binds");
    const std::string_view local = a.name.substr(a.prefix.size() + 1);
    bool repeated = false;
    if (!expandedNameSet_) {
      for (const auto& seen : expandedNames_)
        repeated = repeated || (*seen.first == *uri && seen.second == local);
      expandedNames_.push_back({uri, local});
      if (expandedNames_.size() > kListedNames) {
        expandedNameSet_.reset(new std::set<std::pair<std::string_view, std::string_view>>());
        for (const auto& seen : expandedNames_) expandedNameSet_->insert({*seen.first, seen.second});
      }
    } else {
      repeated = !expandedNameSet_->insert({*uri, local}).second;
    }
    if (repeated)
      FailAt(c, a.at,
             "attribute " + InQuotes(a.name) + " repeats another attribute of the tag: the same local name " +
                 InQuotes(local) + " in the same namespace, " + *uri);
  }
}

// Binds prefix ("" for the default namespace) to uri in the element being
// read, after the rules for the reserved prefixes and namespaces.
void StrictParser::Declare(const Source& c, std::size_t at, std::string_view prefix, const std::string& uri) {
  const bool xmlNamespace = uri == kXmlNamespace, xmlnsNamespace = uri == kXmlnsNamespace;
  if (prefix.empty()) {
    if (xmlNamespace || xmlnsNamespace) FailAt(c, at, "the default namespace cannot be " + uri);
    return;  // the default namespace names no attribute, so no rule needs it
  }
  if (prefix == "xmlns") FailAt(c, at, "the prefix 'xmlns' cannot be declared");
  if (prefix == "xml") {
    if (!xmlNamespace) FailAt(c, at, std::string("the prefix 'xml' can be bound only to ") + kXmlNamespace);
    return;
  }
  if (xmlNamespace) FailAt(c, at, std::string("only the prefix 'xml' can be bound to ") + kXmlNamespace);
  if (xmlnsNamespace) FailAt(c, at, std::string("no prefix can be bound to ") + kXmlnsNamespace);
  if (uri.empty())
    FailAt(c, at, "xmlns:" + std::string(prefix) + "=\"\" unbinds a prefix, which XML 1.0 does not allow");
  if (bindingCount_ == bindings_.size()) bindings_.emplace_back();
  bindings_[bindingCount_].prefix.assign(prefix.data(), prefix.size());
  bindings_[bindingCount_].uri = uri;
  ++bindingCount_;
}

const std::string* StrictParser::UriOf(std::string_view prefix) const {
  for (std::size_t i = bindingCount_; i-- > 0;) {
    const std::string& bound = bindings_[i].prefix;
    if (bound.size() == prefix.size() && std::memcmp(bound.data(), prefix.data(), prefix.size()) == 0)
      return &bindings_[i].uri;
  }
  return prefix == "xml" ? &kXmlNamespaceName : nullptr;
}

std::string_view StrictParser::CheckQName(const Source& c, std::size_t at, std::string_view name,
                                          const char* what) const {
  const std::size_t colon = name.find(':');
  if (colon == std::string_view::npos) return std::string_view();
  const unsigned char next = colon + 1 < name.size() ? static_cast<unsigned char>(name[colon + 1]) : 0;
  std::size_t length = 0;
  const bool localStarts =
      next < 0x80 ? IsNameStartChar(next)
                  : IsNameStartChar(
                        CharAt(c.s, static_cast<std::size_t>(name.data() - c.s.data()) + colon + 1, &length));
  if (colon == 0 || !localStarts || name.find(':', colon + 1) != std::string_view::npos)
    FailAt(c, at,
           std::string(what) + " name " + InQuotes(name) +
               " is not a prefix and a local name joined by one ':' (a name of its own each)");
  return name.substr(0, colon);
}

void StrictParser::CheckNoColon(const Source& c, std::size_t at, std::string_view name,
                                const char* what) const {
  if (name.find(':') != std::string_view::npos)
    FailAt(c, at,
           std::string(what) + " " + InQuotes(name) + " holds ':', which namespaces keep for prefixes");
}

// An xmlns attribute the internal subset declares: its type decides how its
// value is read, and a default declares a namespace wherever it is not given.
void StrictParser::NoteNamespaceAttribute(std::string_view element, std::string_view name, bool tokenized,
                                          const std::string* defaultValue) {
  if (!IsDeclaration(name)) return;
  std::vector<NamespaceAttribute>& declared = namespaceAttributes_[std::string(element)];
  for (const NamespaceAttribute& d : declared)
    if (d.name == name) return;  // the first declaration binds
  declared.push_back({std::string(name), tokenized, defaultValue != nullptr,
                      defaultValue != nullptr ? *defaultValue : std::string()});
}

const StrictParser::NamespaceAttribute* StrictParser::DeclaredNamespaceAttribute(
    std::string_view element, std::string_view name) const {
  const auto found = namespaceAttributes_.find(element);
  if (found == namespaceAttributes_.end()) return nullptr;
  for (const NamespaceAttribute& d : found->second)
    if (d.name == name) return &d;
  return nullptr;
}

// The namespace name an attribute value gives: references expanded and white
// space made spaces, collapsed too for a type other than CDATA.
std::string StrictParser::NamespaceName(std::string_view value, bool tokenized) const {
  std::string name;
  if (value.find_first_of("&\t\n\r") == std::string_view::npos) {
    name.assign(value.data(), value.size());
  } else {
    AppendValue(value, &name, 0);
  }
  if (!tokenized) return name;
  std::string collapsed;
  for (const char ch : name) {
    if (ch != ' ' || (!collapsed.empty() && collapsed.back() != ' ')) collapsed.push_back(ch);
  }
  if (!collapsed.empty() && collapsed.back() == ' ') collapsed.pop_back();
  return collapsed;
}

// Appends value as an attribute's value reads: references expanded (the
// parse has checked them already), line ends and tabs as spaces.
void StrictParser::AppendValue(std::string_view value, std::string* out, int depth) const {
  const std::string text(value);
  Source c{text, 0, -1, ""};
  while (c.p < text.size()) {
    const char ch = text[c.p];
    if (Looking(c, "&#")) {
      AppendUtf8(CharacterReference(c, c.p), out);
    } else if (ch == '&') {
      const std::size_t semicolon = text.find(';', c.p);
      const std::string name = text.substr(c.p + 1, semicolon - c.p - 1);
      c.p = semicolon + 1;
      static const char* const kPredefined[][2] = {
          {"lt", "<"}, {"gt", ">"}, {"amp", "&"}, {"apos", "'"}, {"quot", "\""}};
      for (const auto& p : kPredefined)
        if (name == p[0]) out->append(p[1]);
      const auto found = general_.find(name);
      if (found != general_.end() && !found->second.external && depth < kMaxEntityDepth)
        AppendValue(found->second.value, out, depth + 1);
    } else {
      out->push_back(IsXmlSpace(ch) ? ' ' : ch);
      c.p += ch == '\r' && c.p + 1 < text.size() && text[c.p + 1] == '\n' ? 2 : 1;
    }
  }
}

}  // namespace orvelxml
