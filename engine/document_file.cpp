// Reading a document from a plain file and writing its text back, byte for
// byte (NUL bytes included).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/xml_document.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// Offsets and lengths in the element table are 32-bit.
constexpr std::size_t kMaxFileBytes = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// The status of a file read or written whole: "1024 bytes".
std::string ByteCountStatus(std::size_t n) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d bytes", static_cast<int>(n));
  return buffer;
}

}  // namespace

bool XmlDocument::LoadFile(const char* path) {
  // Read aside first: a file that cannot be read whole leaves the document as it was.
  std::string bytes;
  const int error = platform::ReadWholeFile(path, kMaxFileBytes, &bytes);
  if (error != 0) {
    status = std::strerror(error);
    return false;
  }
  if (bytes.empty()) {
    // No document to replace the one held (a compressed load keeps it too).
    status = ByteCountStatus(0) + ", Empty document";
    return false;
  }
  text.swap(bytes);
  status = ByteCountStatus(text.size());
  return ParseDocument();
}

bool XmlDocument::SaveFile(const char* path) {
  const int error = platform::ReplaceFileContents(path, text.data(), text.size());
  if (error == 0) {
    status = ByteCountStatus(text.size());
    return true;
  }
  status = std::strerror(error);
  // The status is the error text of errno, which then still holds the
  // reason: no slot hands the status out, but a host can read errno.
  errno = error;
  return false;
}

bool XmlDocument::ParseTakenText(std::string* source) {
  text.swap(*source);
  status.clear();
  return ParseDocument();
}

}  // namespace orvel
