// The document type declaration for `check`: the internal subset's
// declarations are read for their syntax and for the entities they declare;
// the external subset and external entities are not read.
#include <cstring>

#include "tools/strict/strict_parser.h"
#include "tools/strict/xml_chars.h"

namespace orvelxml {

namespace {

bool IsPubidChar(char c, char quote) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return c != quote && c != 0 && std::strchr(" \r\n-'()+,./:=?;!*#@$_%", c) != nullptr;
}

}  // namespace

void StrictParser::Doctype(Source& c) {
  c.p += 9;
  RequireSpace(c, "after '<!DOCTYPE'");
  const std::size_t at = c.p;
  const std::string_view name = Name(c, "the document type name");
  if (namespaces_) CheckQName(c, at, name, "document type");
  const bool space = SkipSpace(c);
  if (Looking(c, "SYSTEM") || Looking(c, "PUBLIC")) {
    if (!space) Fail(c, "white space is needed before the external identifier");
    ExternalId(c, false);
    externalSubset_ = true;
    SkipSpace(c);
  }
  if (Looking(c, "[")) {
    ++c.p;
    InternalSubset(c, false);
    ++c.p;  // ']'
    SkipSpace(c);
  }
  Expect(c, ">", "'>' to end the document type declaration");
}

// Declarations up to ']' (or the end of a parameter entity's text).
void StrictParser::InternalSubset(Source& c, bool inEntity) {
  for (;;) {
    SkipSpace(c);
    if (c.p >= c.s.size()) {
      if (inEntity) return;
      Fail(c, "the internal subset is not closed with ']'");
    }
    if (Looking(c, "]") && !inEntity) return;
    if (Looking(c, "%")) {
      ParameterReference(c);
    } else if (Looking(c, "<!ELEMENT")) {
      ElementDecl(c);
    } else if (Looking(c, "<!ATTLIST")) {
      AttlistDecl(c);
    } else if (Looking(c, "<!ENTITY")) {
      EntityDecl(c);
    } else if (Looking(c, "<!NOTATION")) {
      NotationDecl(c);
    } else if (Looking(c, "<!--")) {
      Comment(c);
    } else if (Looking(c, "<?")) {
      Instruction(c);
    } else if (Looking(c, "<![")) {
      Fail(c, "conditional sections are allowed only in the external subset");
    } else {
      Fail(c, "expected a markup declaration in the internal subset");
    }
  }
}

void StrictParser::ParameterReference(Source& c) {
  const std::size_t at = c.p++;
  const std::string name(Name(c, "a parameter entity name after '%'"));
  Expect(c, ";", "';' to end the parameter entity reference");
  peReferences_ = true;
  const auto found = parameter_.find(name);
  if (found == parameter_.end()) {
    if (!externalSubset_ || standalone_) FailAt(c, at, "parameter entity '" + name + "' is not declared");
    return;
  }
  Entity& e = found->second;
  if (e.external) return;  // not read
  if (e.contentCheck == 1) FailAt(c, at, "parameter entity '" + name + "' refers to itself");
  e.contentCheck = 1;
  Source inner{e.value, 0, c.reportAt >= 0 ? c.reportAt : static_cast<long>(at),
               (c.context.empty() ? "" : c.context + ": ") + "in parameter entity '" + name + "'"};
  InternalSubset(inner, true);
  e.contentCheck = 0;
}

void StrictParser::ElementDecl(Source& c) {
  c.p += 9;
  RequireSpace(c, "after '<!ELEMENT'");
  const std::size_t at = c.p;
  const std::string_view name = Name(c, "an element name");
  if (namespaces_) CheckQName(c, at, name, "element");
  RequireSpace(c, "before the content specification");
  if (Looking(c, "EMPTY")) {
    c.p += 5;
  } else if (Looking(c, "ANY")) {
    c.p += 3;
  } else if (Looking(c, "(")) {
    ContentModel(c);
  } else {
    Fail(c, "expected EMPTY, ANY or a content model in parentheses");
  }
  SkipSpace(c);
  Expect(c, ">", "'>' to end the element declaration");
}

// Mixed content, (#PCDATA | a | b)*, or a model of nested choices and
// sequences, walked with a stack of the open groups' connectors.
void StrictParser::ContentModel(Source& c) {
  ++c.p;
  SkipSpace(c);
  const auto modifier = [&c] {
    if (c.p < c.s.size() && std::strchr("?*+", c.s[c.p]) != nullptr && c.s[c.p] != 0) ++c.p;
  };
  if (Looking(c, "#PCDATA")) {
    c.p += 7;
    SkipSpace(c);
    if (Looking(c, ")")) {
      ++c.p;
      if (Looking(c, "*")) ++c.p;
      return;
    }
    while (Looking(c, "|")) {
      ++c.p;
      SkipSpace(c);
      Name(c, "an element name after '|'");
      SkipSpace(c);
    }
    Expect(c, ")*", "')*' to end a mixed content model");
    return;
  }
  std::vector<char> groups{0};  // each open group's connector, 0 until its first
  for (;;) {
    SkipSpace(c);
    if (Looking(c, "(")) {
      ++c.p;
      groups.push_back(0);
      continue;
    }
    if (Looking(c, "#PCDATA")) Fail(c, "#PCDATA comes only first in a mixed content model");
    Name(c, "an element name or '(' in the content model");
    modifier();
    for (;;) {
      SkipSpace(c);
      if (Looking(c, ")")) {
        ++c.p;
        modifier();
        groups.pop_back();
        if (groups.empty()) return;
        continue;
      }
      const char connector = c.p < c.s.size() ? c.s[c.p] : 0;
      if (connector != ',' && connector != '|') Fail(c, "expected ',', '|' or ')' in the content model");
      if (groups.back() != 0 && groups.back() != connector) Fail(c, "',' and '|' mixed in one group");
      groups.back() = connector;
      ++c.p;
      break;
    }
  }
}

void StrictParser::AttlistDecl(Source& c) {
  c.p += 9;
  RequireSpace(c, "after '<!ATTLIST'");
  const std::size_t elementAt = c.p;
  const std::string_view element = Name(c, "an element name");
  if (namespaces_) CheckQName(c, elementAt, element, "element");
  for (;;) {
    const bool space = SkipSpace(c);
    if (Looking(c, ">")) {
      ++c.p;
      return;
    }
    if (!space) Fail(c, "white space is needed before an attribute definition");
    const std::size_t at = c.p;
    const std::string_view name = Name(c, "an attribute name");
    if (namespaces_) CheckQName(c, at, name, "attribute");
    RequireSpace(c, "between the attribute name and its type");
    const bool tokenized = !AttributeType(c);
    RequireSpace(c, "between the attribute type and its default");
    if (Looking(c, "#REQUIRED")) {
      c.p += 9;
      if (namespaces_) NoteNamespaceAttribute(element, name, tokenized, nullptr);
    } else if (Looking(c, "#IMPLIED")) {
      c.p += 8;
      if (namespaces_) NoteNamespaceAttribute(element, name, tokenized, nullptr);
    } else {
      if (Looking(c, "#FIXED")) {
        c.p += 6;
        RequireSpace(c, "after #FIXED");
      }
      const std::size_t valueAt = c.p + 1;
      AttributeValue(c);
      const std::string value = c.s.substr(valueAt, c.p - 1 - valueAt);
      if (namespaces_) NoteNamespaceAttribute(element, name, tokenized, &value);
    }
  }
}

bool StrictParser::AttributeType(Source& c) {
  const bool notation = Looking(c, "NOTATION");
  if (notation) {
    c.p += 8;
    RequireSpace(c, "after NOTATION");
  }
  if (Looking(c, "(")) {
    ++c.p;
    for (;;) {
      SkipSpace(c);
      if (notation) {
        Name(c, "a notation name");
      } else {
        Nmtoken(c);
      }
      SkipSpace(c);
      if (Looking(c, ")")) break;
      Expect(c, "|", "'|' or ')' in the enumeration");
    }
    ++c.p;
    return false;
  }
  if (notation) Fail(c, "expected '(' after NOTATION");
  static const char* const kTypes[] = {"CDATA",  "ID",       "IDREF",   "IDREFS",
                                       "ENTITY", "ENTITIES", "NMTOKEN", "NMTOKENS"};
  const std::size_t at = c.p;
  const std::string_view type = Name(c, "an attribute type");
  for (const char* known : kTypes)
    if (type == known) return type == "CDATA";
  FailAt(c, at, "'" + std::string(type) + "' is not an attribute type");
}

void StrictParser::EntityDecl(Source& c) {
  c.p += 8;
  RequireSpace(c, "after '<!ENTITY'");
  const bool parameter = Looking(c, "%");
  if (parameter) {
    ++c.p;
    RequireSpace(c, "after '%'");
  }
  const std::size_t at = c.p;
  const std::string name(Name(c, "an entity name"));
  if (namespaces_) CheckNoColon(c, at, name, "entity name");
  RequireSpace(c, "after the entity name");
  Entity e;
  if (Looking(c, "\"") || Looking(c, "'")) {
    e.value = EntityValue(c);
  } else {
    ExternalId(c, false);
    e.external = true;
    const bool space = SkipSpace(c);
    if (!parameter && Looking(c, "NDATA")) {
      if (!space) Fail(c, "white space is needed before NDATA");
      c.p += 5;
      RequireSpace(c, "after NDATA");
      Name(c, "a notation name");
      e.unparsed = true;
    }
  }
  SkipSpace(c);
  Expect(c, ">", "'>' to end the entity declaration");
  (parameter ? parameter_ : general_).emplace(name, e);  // the first declaration binds
}

// The replacement text: character references expanded, entity references
// kept for the place of use.
std::string StrictParser::EntityValue(Source& c) {
  const char quote = c.s[c.p++];
  std::string value;
  for (;;) {
    if (c.p >= c.s.size()) Fail(c, "entity value is not closed");
    const char ch = c.s[c.p];
    if (ch == quote) {
      ++c.p;
      return value;
    }
    if (ch == '%') Fail(c, "a parameter entity reference inside an entity value of the internal subset");
    if (ch != '&') {
      value.push_back(ch);
      ++c.p;
    } else if (Looking(c, "&#")) {
      AppendUtf8(CharacterReference(c, c.p), &value);
    } else {
      const std::size_t at = c.p++;
      std::size_t length = 0;
      if (c.p >= c.s.size() || !IsNameStartChar(CharAt(c.s, c.p, &length)))
        FailAt(c, at, "a bare '&' in an entity value");
      Name(c, "an entity name");
      Expect(c, ";", "';' to end the entity reference");
      value.append(c.s, at, c.p - at);
    }
  }
}

void StrictParser::NotationDecl(Source& c) {
  c.p += 10;
  RequireSpace(c, "after '<!NOTATION'");
  const std::size_t at = c.p;
  const std::string_view name = Name(c, "a notation name");
  if (namespaces_) CheckNoColon(c, at, name, "notation name");
  RequireSpace(c, "after the notation name");
  ExternalId(c, true);
  SkipSpace(c);
  Expect(c, ">", "'>' to end the notation declaration");
}

// SYSTEM "uri" or PUBLIC "id" "uri"; a notation may give the public id alone.
void StrictParser::ExternalId(Source& c, bool publicAlone) {
  if (Looking(c, "SYSTEM")) {
    c.p += 6;
    RequireSpace(c, "after SYSTEM");
    Quoted(c, "the system identifier");
    return;
  }
  if (!Looking(c, "PUBLIC")) Fail(c, "expected SYSTEM or PUBLIC");
  c.p += 6;
  RequireSpace(c, "after PUBLIC");
  PubidLiteral(c);
  const bool space = SkipSpace(c);
  if (publicAlone && Looking(c, ">")) return;
  if (!space) Fail(c, "white space is needed between the public and the system identifier");
  Quoted(c, "the system identifier");
}

void StrictParser::PubidLiteral(Source& c) const {
  const char quote = c.p < c.s.size() ? c.s[c.p] : 0;
  if (quote != '"' && quote != '\'') Fail(c, "expected the public identifier in quotes");
  for (++c.p; c.p < c.s.size() && c.s[c.p] != quote; ++c.p)
    if (!IsPubidChar(c.s[c.p], quote)) Fail(c, "a character that public identifiers do not allow");
  if (c.p >= c.s.size()) Fail(c, "the public identifier is not closed");
  ++c.p;
}

}  // namespace orvelxml
