// The start shared by the commands that take one document: read it, refuse
// what the component cannot take whole, parse it and judge it.
#pragma once

#include <string>
#include <vector>

#include "tools/document_encoding.h"
#include "tools/module_host.h"
#include "tools/strict/first_error.h"

namespace orvelxml {

// What makes a document well formed: the rules of XML and of namespaces in
// XML, XML's alone, or the module's recovering parse alone.
enum class Rules { Xml, NoNamespaces, Lenient };

// The text of path (standard input for "-") in UTF-8, whatever encoding the
// file is in; *encoding, when given, receives that encoding, so that the text
// can be written back as the file holds it. false after printing why when it
// cannot be read or the component cannot take it whole; *exit is then
// ExitUsage when it cannot be read, ExitNotWellFormed when its bytes are not
// in its encoding (by rules) or it holds a NUL byte.
bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text, int* exit,
                        DocumentEncoding* encoding = nullptr, Rules rules = Rules::Xml);

// Parses text in xml and returns what makes it not well formed by rules,
// placed in text; nothing when it is well formed.
std::vector<Diagnostic> ParseAndJudge(orvel::IXmlComponent* xml, const std::string& text, Rules rules);

// Prints each of errors as "NAME:LINE:COL: MESSAGE", placed in text.
void PrintErrors(const std::string& name, const std::string& text, const std::vector<Diagnostic>& errors);

// Parses text in xml; false after printing why when it is not well formed
// by rules.
bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text,
                   Rules rules = Rules::Xml);

}  // namespace orvelxml
