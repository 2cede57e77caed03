// libFuzzer target: the ini reader on any file contents. The first byte picks
// the section and key looked up; the rest is the file. The value found is the
// default or bytes of the file, NUL-terminated within the buffer, and a
// smaller buffer receives a prefix of what a larger one receives.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

struct Lookup {
  const char* section;
  const char* key;
};
const Lookup kLookups[] = {{"361", "DLL"},
                           {"Redirect", "Path"},
                           {"DefaultValue", "DllPath"},
                           {"361", "NotUseDefaultDllPath"},
                           {"a", "b"},
                           {"", ""},
                           {" 361 ", "dll"},
                           {"[x]", "=y"}};
const char kDefault[] = "default";

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The file's name: a memory file, so that no disk is touched.
std::string MemoryFile(const std::uint8_t* data, std::size_t size, int* fd) {
  *fd = memfd_create("ini", MFD_CLOEXEC);
  if (*fd < 0) return std::string();
  if (size > 0 && write(*fd, data, size) != static_cast<ssize_t>(size)) return std::string();
  return "/proc/self/fd/" + std::to_string(*fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const Lookup& lookup = kLookups[data[0] % (sizeof kLookups / sizeof kLookups[0])];
  int fd = -1;
  const std::string path = MemoryFile(data + 1, size - 1, &fd);
  if (path.empty()) {
    if (fd >= 0) close(fd);
    return 0;
  }
  const std::string file(reinterpret_cast<const char*>(data + 1), size - 1);
  char large[512], small[8];
  std::memset(large, '#', sizeof large);
  std::memset(small, '#', sizeof small);
  const std::size_t n = orvel::platform::ReadProfileString(path.c_str(), lookup.section, lookup.key, kDefault,
                                                           large, sizeof large);
  const std::size_t m = orvel::platform::ReadProfileString(path.c_str(), lookup.section, lookup.key, kDefault,
                                                           small, sizeof small);
  close(fd);
  // A value may hold NUL bytes of the file: the length counts them.
  Require(n < sizeof large && large[n] == '\0', "result longer than the buffer or not ended");
  Require(m < sizeof small && small[m] == '\0' && std::memcmp(small, large, m) == 0,
          "a smaller buffer got other bytes than a prefix");
  Require(std::string(large, n) == kDefault || file.find(large, 0, n) != std::string::npos,
          "the value is neither the default nor bytes of the file");
  return 0;
}
