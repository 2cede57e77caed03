#include "tools/document_save.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tools/gzip.h"
#include "tools/held_signals.h"
#include "tools/tool_support.h"

namespace orvelxml {

bool SaveDocumentText(orvel::IXmlComponent* xml, const std::string& path, std::string* error) {
  HeldSignals held;
  // The interface keeps the reason of a failed save in the status text, which
  // no slot hands out; the module leaves it in errno too, which the tool
  // shares with it (one C runtime on both builds).
  errno = 0;
  if (xml->SaveDocumentFile(path.c_str()) != 0) return true;
  const int reason = errno;
  *error = path + ": " + (reason != 0 ? std::strerror(reason) : "the module could not write it");
  return false;
}

std::string FileBytes(const std::string& text, const DocumentEncoding& encoding) {
  if (encoding.KeepsBytes()) return text;
  std::string bytes;
  Diagnostic why{0, ""};
  if (!EncodeDocument(text, encoding, &bytes, &why))
    throw std::runtime_error(LineColumnText(text, why.offset) + ": " + why.message);
  return bytes;
}

bool SaveFileBytes(const std::string& bytes, const std::string& path, std::string* error) {
  HeldSignals held;
  return WriteWholeFile(path, bytes, error);
}

bool SaveCompressedText(const std::string& text, const std::string& path, std::string* error) {
  std::string packed;
  if (!Gzip(text, &packed)) {
    *error = path + ": compression failed";
    return false;
  }
  return SaveFileBytes(packed, path, error);
}

}  // namespace orvelxml
