#include "tools/document_save.h"

#include <cerrno>
#include <cstring>

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

bool SaveCompressedText(const std::string& text, const std::string& path, std::string* error) {
  std::string packed;
  if (!Gzip(text, &packed)) {
    *error = path + ": compression failed";
    return false;
  }
  HeldSignals held;
  return WriteWholeFile(path, packed, error);
}

}  // namespace orvelxml
