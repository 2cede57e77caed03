#include "tests/hardening/created_files.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstring>

namespace {

std::string g_part;
std::vector<unsigned> g_modes;

}  // namespace

namespace orvel {
namespace test {

void WatchCreatedFiles(const std::string& part) {
  g_part = part;
  g_modes.clear();
}

std::vector<unsigned> CreatedFileModes() {
  g_part.clear();
  return g_modes;
}

}  // namespace test
}  // namespace orvel

// Stands in for the C library's open in this executable.
extern "C" int open(const char* path, int flags, ...) {
  using Open = int (*)(const char*, int, ...);
  static const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "open"));
  // New for certain: O_EXCL, or O_TMPFILE (a file without a name in the folder path names).
  const bool creates = (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL) || (flags & O_TMPFILE) == O_TMPFILE;
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  const int fd = real(path, flags, mode);
  struct stat st;
  if (fd >= 0 && creates && !g_part.empty() && std::strstr(path, g_part.c_str()) != nullptr &&
      fstat(fd, &st) == 0) {
    g_modes.push_back(st.st_mode & 07777);
  }
  return fd;
}
