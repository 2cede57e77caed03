// The start shared by the commands that take one document: read it, refuse
// what the component cannot take whole, parse it.
#pragma once

#include <string>

#include "tools/module_host.h"

namespace orvelxml {

// The text of path (standard input for "-"). false after printing why when it
// cannot be read or the component cannot take it whole (UTF-16, a NUL byte).
bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text);

// Parses text in xml; false after printing the parser's errors, placed in text,
// when it is not well formed.
bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text);

}  // namespace orvelxml
