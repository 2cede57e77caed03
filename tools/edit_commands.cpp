// orvelxml get/set/add/delete FILE PATH ...: reads and edits through the
// module, which splices the text where each edit is, so every byte outside
// the edits stays as it was. An edit acts on every element PATH matches, or
// on none of them: the file is replaced only once the edited text is written
// whole and found well formed.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "platform/charset_converter.h"
#include "tools/commands.h"
#include "tools/document_input.h"
#include "tools/document_save.h"
#include "tools/edit_safety.h"
#include "tools/element_path.h"
#include "tools/layout_edits.h"

namespace orvelxml {

namespace {

using orvel::IXmlComponent;

const char kPathHelp[] =
    "PATH: element names separated by /, each a name or * (any element) with an\n"
    "optional [n], then an optional last @name for an attribute:\n"
    "catalog/book[2]/@id. A PATH means what the same XPath path means: its first\n"
    "step names the root element (a leading / changes nothing), each further step\n"
    "the child elements of that name under every element the steps before it\n"
    "found, and [n] keeps the nth of them under each parent, counted from 1.\n"
    "Matches come in document order. Names compare byte for byte, a prefix as it\n"
    "is written (x:a matches <x:a>, whatever namespace x stands for).\n";

const char kNamespacesHelp[] =
    "FILE is held to the rules check applies, those of namespaces in XML among\n"
    "them; --no-namespaces holds it to XML 1.0 alone, for a document that uses a\n"
    "prefix it never declares (an SVG with xlink: and no xmlns:xlink).\n";

const char kEditFileHelp[] =
    "The edit is made at every match, or at none: when one is refused, nothing is\n"
    "written. Standard error says how many matches were changed (not with -q).\n"
    "FILE may be - (standard input): the edited document then goes to standard\n"
    "output. Any other FILE is replaced by the module's save, through a new file\n"
    "beside it, once the edited document is written whole and found well formed.\n"
    "Exit 0; 1 when FILE is not well formed, an edit is refused, or the result\n"
    "would not be well formed (nothing is written); 2 on usage or file errors; 3\n"
    "when PATH matches nothing.\n";

const std::string kGetHelp = std::string("usage: orvelxml get [--no-namespaces] FILE PATH\n") +
                             "Prints, a line each, the value of PATH's attribute of every element PATH\n"
                             "matches that has it, or the text of every element it matches (its\n"
                             "character data and CDATA sections, references decoded; empty for an element\n"
                             "that holds elements). FILE may be - (standard input).\n" +
                             kPathHelp + kNamespacesHelp + kEncodingHelp +
                             "Exit 0; 1 when FILE is not well formed; 2 on usage or file errors; 3\n" +
                             "when PATH matches nothing.\n";
const std::string kSetHelp = std::string("usage: orvelxml set [--no-namespaces] FILE PATH VALUE\n") +
                             "Sets PATH's attribute of every element PATH matches to VALUE (adding it to an\n"
                             "element that has none of that name), or replaces the text of every element it\n"
                             "matches, which must hold no elements, by VALUE; & < > and quotes are written\n"
                             "as references. Every other byte of FILE stays as it was. A VALUE that holds a\n"
                             "character XML does not allow is refused, and so is a line break or tab for an\n"
                             "attribute (XML readers read it as a space there); a carriage return in an\n"
                             "element's text is written as &#13;.\n" +
                             kPathHelp + kNamespacesHelp + kEncodingHelp + kEditFileHelp;
const std::string kAddHelp = std::string("usage: orvelxml add [--no-namespaces] FILE PATH MARKUP\n") +
                             "Adds MARKUP as written (elements, text, comments, instructions, CDATA\n"
                             "sections) at the end of the content of every element PATH matches. When that\n"
                             "content ends with a line break and indentation, MARKUP goes on a new line in\n"
                             "front of the end tag, with the file's line break and the indentation of the\n"
                             "element's children; otherwise right in front of the end tag, on its line. A\n"
                             "MARKUP that cannot stand inside an element whole is refused: one that leaves\n"
                             "an element open, closes one it did not open, or holds a declaration. Every\n"
                             "other byte of FILE stays as it was.\n" +
                             kPathHelp + kNamespacesHelp + kEncodingHelp + kEditFileHelp;
const std::string kDeleteHelp =
    std::string("usage: orvelxml delete [--no-namespaces] FILE PATH\n") +
    "Removes every element PATH matches with its markup; one that stands on a line\n"
    "of its own goes with its line, so what followed it (the parent's end tag\n"
    "too) keeps its line. Every other byte of FILE stays as it was. Attributes\n"
    "cannot be removed (the module has no operation for it), and neither can the\n"
    "root element.\n" +
    kPathHelp + kNamespacesHelp + kEncodingHelp + kEditFileHelp;

enum class Edit { Get, Set, Add, Delete };

struct EditOptions {
  Edit edit;
  const char* name;
  Args words;  // FILE PATH [VALUE or MARKUP]
  bool noNamespaces = false;
};

// What an edit writes, prepared once for all matches.
struct Change {
  Edit edit;
  ElementPath path;
  std::string value;                  // set: VALUE; add: MARKUP
  ContentText content;                // set, element text: the text WriteContent takes
  std::vector<ElementSpan> elements;  // add: MARKUP's top-level elements
  std::string unit;                   // add: one level of the file's indentation
};

constexpr char kAddMark[] = "orvelxml add";

// Makes change at the main element; false when the module refuses it, with
// the reason in *why.
bool Apply(IXmlComponent* xml, const Change& change, std::string* why) {
  switch (change.edit) {
    case Edit::Set:
      if (!change.path.attribute.empty())
        return xml->WriteAttribute(change.path.attribute.c_str(), change.value.c_str()) != 0;
      *why = "an element PATH matches holds elements; set replaces text only";
      return xml->WriteContent(change.content.text.c_str(), change.content.flags) != 0;
    case Edit::Add:
      xml->MarkPosition(kAddMark);
      AddAtContentEnd(xml, change.value, change.elements, change.unit);
      xml->ReturnToMark(kAddMark);
      return true;
    case Edit::Delete:
      *why = "the document would have no root element";
      return change.path.steps.size() > 1 && DeleteWithItsLine(xml);
    case Edit::Get:
      break;
  }
  return true;
}

// Prints the text get prints for the main element; false when it has no such attribute.
bool PrintFetched(IXmlComponent* xml, const ElementPath& path) {
  if (!path.attribute.empty()) {
    if (!HasAttribute(xml, path.attribute)) return false;
    Print("%s\n", FetchText([&](char* b, int n) {
                    return xml->ReadAttribute(path.attribute.c_str(), b, n);
                  }).c_str());
  } else {
    Print("%s\n", FetchText([&](char* b, int n) { return xml->ReadContent(b, n); }).c_str());
  }
  return true;
}

// The edit's VALUE or MARKUP made ready; false after saying why it is refused.
bool Prepare(Change* change, const std::string& name) {
  std::string why;
  if (change->edit == Edit::Set) {
    why = RefusedValue(change->value, !change->path.attribute.empty());
    change->content = ContentFor(change->value);
  } else if (change->edit == Edit::Add && change->value.empty()) {
    why = "MARKUP is empty";
  } else if (change->edit == Edit::Add) {
    ContentElements(change->value, &change->elements, &why);
  }
  if (why.empty()) return true;
  std::fprintf(Errors(), "orvelxml: %s: not changed: %s\n", name.c_str(), why.c_str());
  return false;
}

// fileBytes: the text as the file holds it, when not as the module holds it (else empty).
bool Save(IXmlComponent* xml, const std::string& file, const std::string& fileBytes, std::size_t expected,
          std::string* error) {
  if (file == "-") {
    PrintBytes(fileBytes.empty() ? FetchDocumentText(xml, expected) : fileBytes);
    return true;
  }
  if (IsCompressedName(file))
    return SaveCompressedText(fileBytes.empty() ? FetchDocumentText(xml, expected) : fileBytes, file, error);
  return fileBytes.empty() ? SaveDocumentText(xml, file, error) : SaveFileBytes(fileBytes, file, error);
}

// An argument in UTF-8, in which PATH, VALUE and MARKUP are taken (FILE stays
// as the system's file calls take it): on Windows arguments come in the ANSI
// code page.
std::string InUtf8(const std::string& word) {
  static const std::unique_ptr<orvel::platform::CharsetConverter> converter =
      orvel::platform::CharsetConverter::OpenForArguments();
  std::string utf8;
  if (!converter || converter->ToUtf8(word.data(), word.size(), &utf8) != word.size()) return word;
  return utf8;
}

// The operands an edit takes, as its usage names them.
std::vector<std::string> Operands(Edit edit) {
  if (edit == Edit::Set) return {"FILE", "PATH", "VALUE"};
  if (edit == Edit::Add) return {"FILE", "PATH", "MARKUP"};
  return {"FILE", "PATH"};
}

int RunEdit(const EditOptions& edit, const ToolOptions& options) {
  const std::vector<std::string> operands = Operands(edit.edit);
  if (edit.words.size() != operands.size()) {
    std::string wanted;
    for (const std::string& o : operands) wanted += " " + o;
    return UsageError(edit.name, edit.name + (" takes" + wanted));
  }
  const std::string pathWord = InUtf8(edit.words[1]);
  Change change{edit.edit, {}, edit.words.size() > 2 ? InUtf8(edit.words[2]) : std::string(), {}, {}, {}};
  std::string error;
  const bool attributeAllowed = edit.edit == Edit::Get || edit.edit == Edit::Set;
  if (!ParseElementPath(pathWord, &change.path, &error) ||
      (!attributeAllowed && !change.path.attribute.empty())) {
    if (error.empty()) error = "'" + pathWord + "': this command takes an element, not an attribute";
    return UsageError(edit.name, "PATH " + error);
  }
  const std::string& file = edit.words[0];
  const std::string name = DisplayName(file);
  if (!Prepare(&change, name)) return ExitNotWellFormed;
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string text;
  int failure = ExitOk;
  DocumentEncoding encoding;
  const Rules rules = edit.noNamespaces ? Rules::NoNamespaces : Rules::Xml;
  if (!ReadUsableDocument(host, file, &text, &failure, &encoding, rules)) return failure;
  ComponentSession xml(host);
  if (!HasComponent(xml)) return ExitUsage;
  if (!ParseOrReport(xml.get(), name, text, rules)) return ExitNotWellFormed;
  if (edit.edit == Edit::Add) change.unit = IndentUnit(text);
  std::string why;
  long found = 0;
  bool refused = false;
  const long matches = VisitPathMatches(xml.get(), change.path, [&] {
    if (edit.edit == Edit::Get) {
      found += PrintFetched(xml.get(), change.path) ? 1 : 0;
      return true;
    }
    refused = !Apply(xml.get(), change, &why);
    return !refused;
  });
  if ((edit.edit == Edit::Get ? found : matches) == 0) {
    std::fprintf(Errors(), "orvelxml: %s: %s matches nothing\n", name.c_str(), pathWord.c_str());
    return ExitNotFound;
  }
  if (edit.edit == Edit::Get) return ExitOk;
  // Room for each value escaped, and the line breaks the module adds with an element.
  const std::size_t expected =
      text.size() + static_cast<std::size_t>(matches) * (2 * change.value.size() + 64);
  std::string fileBytes;
  if (refused ||
      !EditedDocumentWellFormed(xml.get(), expected, rules == Rules::Xml, encoding, &fileBytes, &why)) {
    std::fprintf(Errors(), "orvelxml: %s: not changed: %s\n", name.c_str(), why.c_str());
    return ExitNotWellFormed;
  }
  if (!Save(xml.get(), file, fileBytes, expected, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  if (!options.quiet) {
    const char* done = edit.edit == Edit::Set ? "set" : edit.edit == Edit::Add ? "added to" : "deleted";
    std::fprintf(Errors(), "orvelxml: %s: %s %ld match%s\n", name.c_str(), done, matches,
                 matches == 1 ? "" : "es");
  }
  return ExitOk;
}

void InstallEdit(CLI::App& app, CommandLine& line, const char* name, const char* description, Edit edit,
                 const std::string& help) {
  auto options = std::make_shared<EditOptions>(EditOptions{edit, name, {}});
  CLI::App* command = AddCommand(app, name, description, help.c_str(), line, &options->words,
                                 [options, &line] { return RunEdit(*options, line.options); });
  command->add_flag("--no-namespaces", options->noNamespaces);
}

}  // namespace

void InstallEditCommands(CLI::App& app, CommandLine& line) {
  InstallEdit(app, line, "get", "print values", Edit::Get, kGetHelp);
  InstallEdit(app, line, "set", "set values in place", Edit::Set, kSetHelp);
  InstallEdit(app, line, "add", "add markup in place", Edit::Add, kAddHelp);
  InstallEdit(app, line, "delete", "remove elements in place", Edit::Delete, kDeleteHelp);
}

}  // namespace orvelxml
