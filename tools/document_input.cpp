#include "tools/document_input.h"

#include <cstdio>

#include "tools/first_error.h"
#include "tools/tool_support.h"

namespace orvelxml {

bool ReadUsableDocument(ModuleHost& host, const std::string& path, std::string* text) {
  std::string error;
  if (!ReadInputDocument(host, path, text, &error)) {
    std::fprintf(stderr, "orvelxml: %s\n", error.c_str());
    return false;
  }
  const Refusal refusal = RefuseUnreadable(*text);
  if (refusal.message.empty()) return true;
  PrintAt(stderr, DisplayName(path), *text, refusal.offset, refusal.message);
  return false;
}

bool ParseOrReport(orvel::IXmlComponent* xml, const std::string& name, const std::string& text) {
  if (xml->ParseText(text.c_str()) != 0) return true;
  for (const Diagnostic& d : FindFirstErrors(text)) PrintAt(stderr, name, text, d.offset, d.message);
  return false;
}

}  // namespace orvelxml
