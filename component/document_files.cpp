// Loading a document from a plain or compressed file (slot 5), and the path
// limit of saving (slot 29). Compressed files ("xmlz") are decoded by the
// framework's decoder component and the text goes through the component's own
// ParseText, a nested calling frame.
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "component/decoded_text.h"
#include "component/xml_component.h"
#include "module/factory_access.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/platform.h"

namespace orvel {
namespace {

constexpr int kPathBuffer = 260;
constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// The decoder gets twice the file's size as its first output capacity, which
// must stay within 32 bits with the NUL kept after it.
constexpr std::size_t kMaxCompressedBytes = static_cast<std::size_t>((kMaxInt32 - 1) / 2);

}  // namespace

bool XmlComponent::LoadPlainOrCompressed(const char* path) {
  char extension[kPathBuffer] = {};
  GetExtension(path, extension, kPathBuffer);
  if (ExtensionEquals(extension, "xmlz")) return LoadCompressedFile(path);
  if (FileExists(path, 1)) {
    // Open the file the existence test found, not one under the working directory.
    char resolved[kPathBuffer] = {};
    if (ResolvePathToOpen(path, resolved, kPathBuffer) == 0) {
      document_.status = std::strerror(ENAMETOOLONG);
      return false;
    }
    return document_.LoadFile(resolved);
  }
  // data.xml that is not there is loaded from data.xmlz. A name that cannot
  // take the suffix has no compressed form: "z" alone is not one.
  if (path == nullptr || *path == '\0' || std::strlen(path) >= kPathBuffer) return false;
  char fallback[kPathBuffer] = {};
  std::strcpy(fallback, path);
  if (AppendSuffix(fallback, kPathBuffer, "z") == 0) return false;
  return LoadCompressedFile(fallback);
}

bool XmlComponent::LoadCompressedFile(const char* path) {
  ComponentFactoryAccess access(DecoderComponentID, 0);
  auto* decoder = static_cast<IDocumentDecoder*>(access.component());
  if (decoder == nullptr) return false;
  char resolved[kPathBuffer] = {};
  if (ResolvePathToOpen(path, resolved, kPathBuffer) == 0) return false;
  std::string input;
  const int error = platform::ReadWholeFile(resolved, kMaxCompressedBytes, &input);
  if (error == EFBIG) document_.status = std::strerror(error);
  // An empty file holds no document: the one loaded before stays.
  if (error != 0 || input.empty()) return false;
  std::string decoded;
  if (!DecodeDocument(*decoder, input, &decoded)) return false;
  input = std::string();
  // The nested ParseText takes the decoded text over instead of copying it
  // (and so keeps NUL bytes inside it, as a plain load does).
  decodedText_ = &decoded;
  IXmlComponent* self = this;
  const int parsed = self->ParseText(decoded.c_str());
  decodedText_ = nullptr;
  return parsed != 0;
}

bool XmlComponent::ParseTextOrDecoded(const char* text) {
  std::string* decoded = decodedText_;
  decodedText_ = nullptr;  // taken at most once
  if (decoded != nullptr && text == decoded->c_str()) return document_.ParseTakenText(decoded);
  return document_.ParseText(text);
}

bool XmlComponent::SaveToFile(const char* path) {
  // A load opens paths of at most 259 bytes: a longer one would save a file
  // that cannot be loaded back.
  if (path != nullptr && std::strlen(path) >= kPathBuffer) {
    document_.status = std::strerror(ENAMETOOLONG);
    errno = ENAMETOOLONG;  // as a failed SaveFile leaves it
    return false;
  }
  return document_.SaveFile(path);
}

}  // namespace orvel
