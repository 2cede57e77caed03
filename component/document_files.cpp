// Loading a document from a plain or compressed file (slot 5). Compressed
// files ("xmlz") are decoded by the framework's decoder component and the
// text goes through the component's own ParseText, a nested calling frame.
#include <cerrno>
#include <cstring>
#include <limits>
#include <string>

#include "component/xml_component.h"
#include "module/factory_access.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/platform.h"

namespace orvel {
namespace {

constexpr int kPathBuffer = 260;
constexpr std::int32_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// The decoder gets twice the file's size as its output capacity, and the
// buffer holds one zero byte more: both must stay within 32 bits.
constexpr std::size_t kMaxCompressedBytes = static_cast<std::size_t>((kMaxInt32 - 1) / 2);

// Decodes input into *output, which ends in a NUL the decoder cannot
// overwrite. The first call offers twice the input's size; a decoder that
// reports needing more is called once more with that much room. false when
// the decoder fails, produces no text, or still needs more.
bool DecodeDocument(IDocumentDecoder& decoder, const std::string& input, std::string* output) {
  char parameters[128] = "Pumlo";
  std::int32_t capacity = static_cast<std::int32_t>(2 * input.size());
  for (int call = 0; call < 2; ++call) {
    output->assign(static_cast<std::size_t>(capacity) + 1, '\0');
    std::int32_t length = capacity;
    if (decoder.Decode(input.data(), static_cast<std::int32_t>(input.size()), parameters, &(*output)[0],
                       &length) == 0) {
      return false;
    }
    if (length <= capacity) return (*output)[0] != '\0';
    if (length == kMaxInt32) return false;  // no room for the NUL within 32 bits
    capacity = length;
  }
  return false;
}

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
  std::string output;
  if (!DecodeDocument(*decoder, input, &output)) return false;
  input = std::string();
  IXmlComponent* self = this;
  return self->ParseText(output.c_str()) != 0;
}

}  // namespace orvel
