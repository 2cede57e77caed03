// orvelxml get/set/add/delete FILE PATH ...: reads and edits in place through
// the module, which splices the text at one place, so every byte outside the
// edit stays as it was. The file is replaced only once the new text is written
// whole.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "tools/commands.h"
#include "tools/document_input.h"
#include "tools/document_save.h"
#include "tools/edit_safety.h"
#include "tools/element_path.h"

namespace orvelxml {

namespace {

using orvel::IXmlComponent;

const char kPathHelp[] =
    "PATH: element names separated by /, each with an optional [n] (the nth\n"
    "element of that name among its siblings, from 1) or * for any name, and an\n"
    "optional last @name for an attribute: catalog/book[2]/@id.\n";

const char kExitHelp[] =
    "FILE is replaced by the module's save, through a new file beside it, once the\n"
    "edited document is written whole and found well formed.\n"
    "Exit 0; 1 when FILE is not well formed, the module refuses the edit, or the\n"
    "result would not be well formed (nothing is written); 2 on usage or file\n"
    "errors; 3 when PATH matches nothing.\n";

const std::string kGetHelp = std::string("usage: orvelxml get FILE PATH\n") +
                             "Prints the value of PATH's attribute, or the text of PATH's element (its\n"
                             "character data and CDATA sections, references decoded; empty for an element\n"
                             "that holds elements), and a line break. FILE may be - (standard input).\n" +
                             kPathHelp + kEncodingHelp +
                             "Exit 0; 1 when FILE is not well formed; 2 on usage or file errors; 3\n" +
                             "when PATH matches nothing.\n";
const std::string kSetHelp =
    std::string("usage: orvelxml set FILE PATH VALUE\n") +
    "Sets PATH's attribute to VALUE (adding it when the element has none of that\n"
    "name), or replaces the text of PATH's element, which must hold no elements,\n"
    "by VALUE; & < > and quotes are written as references. " +
    "Every other byte of\nFILE stays as it was. A VALUE that holds a character XML " +
    "does not allow is\nrefused, and so is a line break or tab for an attribute " +
    "(XML readers read it\nas a space there); a carriage return in an element's text " +
    "is written as &#13;.\n" + kPathHelp + kEncodingHelp + kExitHelp;
const std::string kAddHelp = std::string("usage: orvelxml add FILE PATH MARKUP\n") +
                             "Adds MARKUP, one well-formed element, as the last child element of PATH's\n"
                             "element (the module puts a line break in front of it). Every other byte\n"
                             "of FILE stays as it was.\n" +
                             kPathHelp + kEncodingHelp + kExitHelp;
const std::string kDeleteHelp =
    std::string("usage: orvelxml delete FILE PATH\n") +
    "Removes PATH's element with its markup. Every other byte of FILE stays as it\n"
    "was. Attributes cannot be removed (the module has no operation for it), and\n"
    "neither can the root element.\n" +
    kPathHelp + kEncodingHelp + kExitHelp;

enum class Edit { Get, Set, Add, Delete };

struct EditOptions {
  Edit edit;
  const std::string* help;
  Args words;  // FILE PATH [VALUE or MARKUP]
};

std::size_t WordsWanted(Edit edit) { return edit == Edit::Set || edit == Edit::Add ? 3 : 2; }

// Performs the edit on the main element (or its attribute); false when the
// module refuses it, with the reason in *why.
bool Apply(IXmlComponent* xml, Edit edit, const ElementPath& path, const std::string& value,
           std::string* why) {
  const char* v = value.c_str();
  switch (edit) {
    case Edit::Set: {
      *why = RefusedValue(value, !path.attribute.empty());
      if (!why->empty()) return false;
      if (!path.attribute.empty()) return xml->WriteAttribute(path.attribute.c_str(), v) != 0;
      *why = "its element holds elements; set replaces text only";
      const ContentText content = ContentFor(value);
      return xml->WriteContent(content.text.c_str(), content.flags) != 0;
    }
    case Edit::Add:
      while (xml->SeekChildElement(nullptr)) {
      }  // the child position ends on the last child: the new one follows it
      *why = "MARKUP is not one well-formed element";
      return xml->AppendChildMarkup(v) != 0;
    case Edit::Delete:
      *why = "the document would have no root element";
      return xml->DeleteElement() != 0 && xml->IsDocumentValid() != 0;
    case Edit::Get:
      break;
  }
  return true;
}

// The text to print for get: the attribute's value or the element's text.
std::string Fetched(IXmlComponent* xml, const ElementPath& path) {
  if (!path.attribute.empty())
    return FetchText([&](char* b, int n) { return xml->ReadAttribute(path.attribute.c_str(), b, n); });
  return FetchText([&](char* b, int n) { return xml->ReadContent(b, n); });
}

// fileBytes: the text as the file holds it, when not as the module holds it (else empty).
bool Save(IXmlComponent* xml, const std::string& file, const std::string& fileBytes, std::size_t expected,
          std::string* error) {
  if (IsCompressedName(file))
    return SaveCompressedText(fileBytes.empty() ? FetchDocumentText(xml, expected) : fileBytes, file, error);
  return fileBytes.empty() ? SaveDocumentText(xml, file, error) : SaveFileBytes(fileBytes, file, error);
}

int RunEdit(const EditOptions& edit, const ToolOptions& options) {
  ElementPath path;
  std::string error;
  if (edit.words.size() != WordsWanted(edit.edit)) {
    std::fputs(edit.help->c_str(), Errors());
    return ExitUsage;
  }
  const std::string& file = edit.words[0];
  const std::string& value = edit.words.size() > 2 ? edit.words[2] : std::string();
  const bool attributeAllowed = edit.edit == Edit::Get || edit.edit == Edit::Set;
  if (!ParseElementPath(edit.words[1], &path, &error) || (!attributeAllowed && !path.attribute.empty())) {
    if (error.empty()) error = "'" + edit.words[1] + "': this command takes an element, not an attribute";
    std::fprintf(Errors(), "orvelxml: PATH %s\n", error.c_str());
    return ExitUsage;
  }
  if (file == "-" && edit.edit != Edit::Get) {
    std::fputs("orvelxml: only get reads standard input; the other commands edit a file\n", Errors());
    return ExitUsage;
  }
  const std::string name = DisplayName(file);
  ModuleHost host;
  if (!OpenModule(host, options)) return ExitUsage;
  std::string text;
  int failure = ExitOk;
  DocumentEncoding encoding;
  if (!ReadUsableDocument(host, file, &text, &failure, &encoding)) return failure;
  ComponentSession xml(host);
  if (!HasComponent(xml)) return ExitUsage;
  if (!ParseOrReport(xml.get(), name, text)) return ExitNotWellFormed;
  if (!SeekElementPath(xml.get(), path) ||
      (!path.attribute.empty() && edit.edit == Edit::Get && !HasAttribute(xml.get(), path.attribute))) {
    std::fprintf(Errors(), "orvelxml: %s: %s matches nothing\n", name.c_str(), edit.words[1].c_str());
    return ExitNotFound;
  }
  if (edit.edit == Edit::Get) {
    Print("%s\n", Fetched(xml.get(), path).c_str());
    return ExitOk;
  }
  std::string why, fileBytes;
  // Room for the value escaped, and the line break the module adds with an element.
  const std::size_t expected = text.size() + 2 * value.size() + 64;
  if (!Apply(xml.get(), edit.edit, path, value, &why) ||
      !EditedDocumentWellFormed(xml.get(), expected, encoding, &fileBytes, &why)) {
    std::fprintf(Errors(), "orvelxml: %s: not changed: %s\n", name.c_str(), why.c_str());
    return ExitNotWellFormed;
  }
  if (!Save(xml.get(), file, fileBytes, expected, &error)) {
    std::fprintf(Errors(), "orvelxml: %s\n", error.c_str());
    return ExitUsage;
  }
  return ExitOk;
}

void InstallEdit(CLI::App& app, CommandLine& line, const char* name, const char* description, Edit edit,
                 const std::string& help) {
  auto options = std::make_shared<EditOptions>(EditOptions{edit, &help, {}});
  AddCommand(app, name, description, help.c_str(), line, &options->words,
             [options, &line] { return RunEdit(*options, line.options); });
}

}  // namespace

void InstallEditCommands(CLI::App& app, CommandLine& line) {
  InstallEdit(app, line, "get", "print a value", Edit::Get, kGetHelp);
  InstallEdit(app, line, "set", "set a value in place", Edit::Set, kSetHelp);
  InstallEdit(app, line, "add", "add an element in place", Edit::Add, kAddHelp);
  InstallEdit(app, line, "delete", "remove an element in place", Edit::Delete, kDeleteHelp);
}

}  // namespace orvelxml
