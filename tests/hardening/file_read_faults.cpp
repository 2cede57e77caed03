#include "tests/hardening/file_read_faults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

off_t g_newSize = -1;
bool g_resized = false;

// The stream reads through a descriptor opened for reading: the file is
// opened again, for writing, through its /proc name.
void Resize(std::FILE* stream) {
  const int fd = open(("/proc/self/fd/" + std::to_string(fileno(stream))).c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return;
  const off_t size = lseek(fd, 0, SEEK_END);
  if (g_newSize < size) {
    g_resized = ftruncate(fd, g_newSize) == 0;
  } else {
    const std::string more(static_cast<std::size_t>(g_newSize - size), 'x');
    g_resized = pwrite(fd, more.data(), more.size(), size) == static_cast<ssize_t>(more.size());
  }
  close(fd);
}

}  // namespace

namespace orvel {
namespace test {

void ResizeFileAtNextRead(off_t newSize) {
  g_newSize = newSize;
  g_resized = false;
}
bool FileWasResized() { return g_resized; }

}  // namespace test
}  // namespace orvel

// Stands in for the C library's fread in this executable.
extern "C" std::size_t fread(void* data, std::size_t size, std::size_t n, std::FILE* stream) {
  using Fread = std::size_t (*)(void*, std::size_t, std::size_t, std::FILE*);
  static const Fread real = reinterpret_cast<Fread>(dlsym(RTLD_NEXT, "fread"));
  if (g_newSize >= 0) {
    Resize(stream);
    g_newSize = -1;
  }
  return real(data, size, n, stream);
}
