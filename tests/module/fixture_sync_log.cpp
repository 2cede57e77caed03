// Preloaded into a test host (LD_PRELOAD): records, in the order they happen,
// the calls of a save that decide what survives a power cut: each flush
// ("fsync file", "fsync folder"), each new name given to a file ("link") and
// each rename, one line each, to the file ORVEL_SYNC_LOG names. Every call
// then goes on to the C library's own.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/export_symbol.h"

namespace {

void Note(const char* line) {
  const char* path = std::getenv("ORVEL_SYNC_LOG");
  if (path == nullptr) return;
  const int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  if (write(fd, line, std::strlen(line)) < 0) {
    // The test sees a missing line.
  }
  close(fd);
}

template <class Fn>
Fn Real(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

ORVEL_LIBRARY_EXPORT int fsync(int fd) {
  struct stat st;
  Note(fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? "fsync folder\n" : "fsync file\n");
  return Real<int (*)(int)>("fsync")(fd);
}

ORVEL_LIBRARY_EXPORT int rename(const char* from, const char* to) {
  Note("rename\n");
  return Real<int (*)(const char*, const char*)>("rename")(from, to);
}

ORVEL_LIBRARY_EXPORT int linkat(int fromDir, const char* from, int toDir, const char* to, int flags) {
  Note("link\n");
  return Real<int (*)(int, const char*, int, const char*, int)>("linkat")(fromDir, from, toDir, to, flags);
}
