// libFuzzer target: any bytes loaded as a compressed document ("xmlz")
// through the component's interface, decoded by the stand-in factory
// library's gzip decoder. A load that fails leaves the document as it was;
// one that succeeds holds what gzip itself decodes from the same bytes; the
// call leaves no call open and the component stays usable.
#include <dlfcn.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "component/xml_component.h"
#include "module/module_internal.h"
#include "orvel/exports.h"

namespace {

const char kKept[] = "<keep a=\"1\"/>";
std::string g_path;

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The text of input when it is exactly one complete gzip member, as zlib
// decodes it; false otherwise.
bool GunzipOneMember(const std::uint8_t* input, std::size_t size, std::string* text) {
  z_stream z{};
  if (inflateInit2(&z, 15 + 16) != Z_OK) return false;
  z.next_in = const_cast<std::uint8_t*>(input);
  z.avail_in = static_cast<uInt>(size);
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    text->append(chunk, sizeof chunk - z.avail_out);
    if (text->size() > (64u << 20)) status = Z_MEM_ERROR;  // a bomb: not compared
  }
  const bool whole = status == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return whole;
}

std::string DocumentText(orvel::IXmlComponent* xml) {
  std::string buffer(1u << 20, '\0');
  xml->ReadDocumentText(&buffer[0], static_cast<int>(buffer.size()));
  return buffer.c_str();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  void* factory = dlopen(ORVEL_ZANDROP, RTLD_NOW);
  Require(factory != nullptr, "the factory library does not load");
  orvel::SetFactoryLibraryHandle(factory);
  char folder[] = "/tmp/orvel_xmlz_fuzz_XXXXXX";
  Require(mkdtemp(folder) != nullptr, "no scratch folder");
  g_path = std::string(folder) + "/document.xmlz";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(g_path.c_str(), "wb");
  if (f == nullptr) return 0;
  const bool written = size == 0 || std::fwrite(data, size, 1, f) == 1;
  std::fclose(f);
  if (!written) return 0;

  auto* xml = static_cast<orvel::IXmlComponent*>(CreateComponent(orvel::XmlComponentID, 0));
  Require(xml != nullptr, "no component");
  xml->ParseText(kKept);
  const int loaded = xml->LoadDocumentFile(g_path.c_str());
  Require(loaded == 0 || loaded == 1, "not a boolean");
  Require(static_cast<orvel::XmlComponent*>(xml)->nestingCount == 0, "a call was left open");
  const std::string text = DocumentText(xml);
  std::string decoded;
  if (GunzipOneMember(data, size, &decoded) && decoded.c_str()[0] != '\0' && decoded.size() < (1u << 20) - 1)
    Require(text == decoded.c_str(), "the document is not what gzip decodes");
  if (loaded == 0 && text != kKept)
    Require(xml->ParseText(text.c_str()) == 0, "a failed load replaced the document by a valid one");
  Require(xml->ParseText(kKept) == 1 && DocumentText(xml) == kKept,
          "the component is not usable after the load");
  xml->Release(0);
  unlink(g_path.c_str());
  return 0;
}
