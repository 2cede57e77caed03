// The start shared by the commands that take one document: read it, refuse
// what the component cannot take whole, parse it and judge it.
#pragma once

#include <string>
#include <vector>

#include "tools/strict/first_error.h"
#include "tools/module_host.h"

namespace orvelxml {

// What makes a document well formed: XML's rules (the module's parse, then
// the rules it leaves alone), or the module's recovering parse alone.
enum class Rules { Xml, Lenient };

// The text of path (standard input for "-"). false after printing why when it
// cannot be read or the component cannot take it whole; *exit is then
// ExitUsage when it cannot be read or is UTF-16 (not judged), ExitNotWellFormed
// for a NUL byte (a character XML does not allow).
bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text, int* exit);

// Parses text in xml and returns what makes it not well formed by rules,
// placed in text; nothing when it is well formed.
std::vector<Diagnostic> ParseAndJudge(orvel::IXmlComponent* xml, const std::string& text, Rules rules);

// Prints each of errors as "NAME:LINE:COL: MESSAGE", placed in text.
void PrintErrors(const std::string& name, const std::string& text, const std::vector<Diagnostic>& errors);

// Parses text in xml; false after printing why when it is not well formed
// by XML's rules.
bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text);

}  // namespace orvelxml
