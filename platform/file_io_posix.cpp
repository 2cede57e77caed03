// POSIX implementation of the platform layer's whole-file reads and writes.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/file_stream.h"
#include "platform/platform.h"

namespace orvel {
namespace platform {
namespace {

// Opens path for reading without waiting for a writer (a FIFO), then makes
// the descriptor blocking again. -1 with errno set on failure.
int OpenForReading(const char* path) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  }
  if (error != 0) {
    close(fd);
    errno = error;
    return -1;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int CloseChecked(int fd, int error) {
  // A full disk or a network folder may report a lost write only here.
  if (close(fd) != 0 && error == 0) return errno;
  return error;
}

// Opens path as fopen "wb" does (created or truncated) and writes it. A FIFO
// without a reader fails with ENXIO instead of waiting for one.
int WriteInPlace(const char* path, const char* data, std::size_t size) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return errno;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return CloseChecked(fd, WriteAll(fd, data, size));
}

// A new file beside target with a name no other file has; fd -1 with errno set.
int CreateSibling(const std::string& target, std::string* name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 64; ++attempt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char unique[64];
    std::snprintf(unique, sizeof unique, ".orvel~%x.%x.%llx", static_cast<unsigned>(getpid()), counter++,
                  static_cast<unsigned long long>(ticks) & 0xFFFFFFull);
    *name = folder + unique;
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes a sibling file, flushes it to the disk and renames it over target.
// old is the target's status when it exists (its mode and owner are kept).
// -1 when the sibling could not be created (errno set), else 0 or an errno value.
int WriteThroughSibling(const std::string& target, const struct stat* old, const char* data,
                        std::size_t size) {
  std::string name;
  const int fd = CreateSibling(target, &name);
  if (fd < 0) return -1;
  if (old != nullptr) {
    fchmod(fd, old->st_mode & 07777);
    if (fchown(fd, old->st_uid, old->st_gid) != 0) {
      // Only the owner may give a file away; the saved file then belongs to its writer.
    }
  }
  int error = WriteAll(fd, data, size);
  if (error == 0 && fsync(fd) != 0) error = errno;
  error = CloseChecked(fd, error);
  if (error == 0 && rename(name.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) unlink(name.c_str());
  return error;
}

}  // namespace

int ReadWholeFile(const char* path, std::size_t maxSize, std::string* bytes) {
  if (path == nullptr || bytes == nullptr) return ENOENT;
  const int fd = OpenForReading(path);
  if (fd < 0) return errno;
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) {
    const int error = errno;
    close(fd);
    return error;
  }
  const int error = ReadOpenStream(f, maxSize, bytes);
  std::fclose(f);
  return error;
}

int ReplaceFileContents(const char* path, const char* data, std::size_t size) {
  if (path == nullptr || *path == '\0') return ENOENT;
  std::string target = path;
  struct stat st;
  if (lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
    // Replace the file the link names, not the link.
    std::unique_ptr<char, void (*)(void*)> resolved(realpath(path, nullptr), &std::free);
    if (resolved == nullptr) return WriteInPlace(path, data, size);
    target = resolved.get();
  }
  const bool exists = stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return WriteInPlace(path, data, size);
  if (!exists && errno != ENOENT) return WriteInPlace(path, data, size);
  const int error = WriteThroughSibling(target, exists ? &st : nullptr, data, size);
  if (error >= 0) return error;
  // A folder the caller may not create files in, holding a file the caller
  // may write: that file is written in place, as before.
  if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(target.c_str(), data, size);
  return errno;
}

bool AbsolutePath(const char* path, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (path == nullptr) return false;
  std::string full = path;
  if (path[0] != '/') {
    char folder[4096];
    if (getcwd(folder, sizeof folder) == nullptr) return false;
    full = std::string(folder) + "/" + path;
  }
  if (full.size() >= capacity) return false;
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

}  // namespace platform
}  // namespace orvel

#endif  // !_WIN32
