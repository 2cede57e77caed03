// POSIX implementation of the platform layer's whole-file reads and writes.
#if !defined(_WIN32)

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/file_stream.h"
#include "platform/platform.h"

namespace orvel {
namespace platform {
namespace {

// Opens path for reading without waiting for a writer (a FIFO), then makes
// the descriptor blocking again. -1 with errno set on failure; *st receives
// the open file's status.
int OpenForReading(const char* path, struct stat* st) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  int error = 0;
  if (fstat(fd, st) != 0) {
    error = errno;
  } else if (S_ISDIR(st->st_mode)) {
    error = EISDIR;
  } else if (S_ISCHR(st->st_mode) || S_ISBLK(st->st_mode)) {
    error = ENODEV;  // no document: /dev/zero never ends, a disk is no text
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

// Opens path as fopen "wb" does (created or truncated) and writes it: a
// device, or the missing file a dangling symbolic link names. A FIFO without a
// reader fails with ENXIO instead of waiting for one.
int OpenAndWrite(const char* path, const char* data, std::size_t size) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return errno;
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return CloseChecked(fd, WriteAll(fd, data, size));
}

// Writes the regular file open as fd in place. Its new length is reserved
// before the first old byte is overwritten, so that a full disk or the file
// size limit refuses the save and leaves the old text whole.
int OverwriteInPlace(int fd, const char* data, std::size_t size) {
  struct stat st;
  if (fstat(fd, &st) != 0) return errno;
  if (size > 0) {
    const int reserved = posix_fallocate(fd, 0, static_cast<off_t>(size));
    if (reserved != 0) {
      if (ftruncate(fd, st.st_size) != 0) {
        // The reservation did not grow the file; nothing to give back.
      }
      return reserved;
    }
  }
  if (lseek(fd, 0, SEEK_SET) != 0) return errno;
  int error = WriteAll(fd, data, size);
  if (error == 0 && ftruncate(fd, static_cast<off_t>(size)) != 0) error = errno;
  if (error == 0 && fsync(fd) != 0) error = errno;
  return error;
}

// A new file beside target with a name no other file has, created with mode;
// fd -1 with errno set.
int CreateSibling(const std::string& target, mode_t mode, std::string* name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 64; ++attempt) {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char unique[64];
    std::snprintf(unique, sizeof unique, ".orvel~%x.%x.%llx", static_cast<unsigned>(getpid()), counter++,
                  static_cast<unsigned long long>(ticks) & 0xFFFFFFull);
    *name = folder + unique;
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

#if defined(__linux__)
// The extended attribute names of fd, each with its NUL; false when they cannot be listed.
bool AttributeNames(int fd, std::string* names) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const ssize_t size = flistxattr(fd, nullptr, 0);
    if (size < 0) return errno == ENOTSUP;  // a file system without them: none
    names->assign(static_cast<std::size_t>(size), '\0');
    const ssize_t n = size == 0 ? 0 : flistxattr(fd, &(*names)[0], names->size());
    if (n >= 0) {
      names->resize(static_cast<std::size_t>(n));
      return true;
    }
    if (errno != ERANGE) return false;  // ERANGE: one was added meanwhile
  }
  return false;
}

// name is one of the NUL-ended names in list.
bool Listed(const std::string& list, const char* name) {
  for (std::size_t at = 0; at < list.size(); at += std::strlen(&list[at]) + 1) {
    if (std::strcmp(&list[at], name) == 0) return true;
  }
  return false;
}

bool CopyAttribute(int from, int to, const char* name) {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const ssize_t size = fgetxattr(from, name, nullptr, 0);
    if (size < 0) return false;
    std::string value(static_cast<std::size_t>(size), '\0');
    const ssize_t n = fgetxattr(from, name, &value[0], value.size());
    if (n >= 0) return fsetxattr(to, name, value.data(), static_cast<std::size_t>(n), 0) == 0;
    if (errno != ERANGE) return false;
  }
  return false;
}

// Gives to the extended attributes of from (ACLs and security labels among
// them) and removes those to has that from lacks (an ACL the folder passed on
// to the new file). false when one cannot be read, set or removed.
bool CopyAttributes(int from, int to) {
  std::string fromNames;
  std::string toNames;
  if (!AttributeNames(from, &fromNames) || !AttributeNames(to, &toNames)) return false;
  for (std::size_t at = 0; at < fromNames.size(); at += std::strlen(&fromNames[at]) + 1) {
    if (!CopyAttribute(from, to, &fromNames[at])) return false;
  }
  for (std::size_t at = 0; at < toNames.size(); at += std::strlen(&toNames[at]) + 1) {
    if (!Listed(fromNames, &toNames[at]) && fremovexattr(to, &toNames[at]) != 0) return false;
  }
  return true;
}
#else
bool CopyAttributes(int, int) { return true; }
#endif

// Gives the new file fd what the old one (open as oldFd, status old) has:
// owner and group, then the permission bits (a change of owner clears the
// set-id bits), then the extended attributes. false when any cannot be given.
bool TakeOverIdentity(int fd, int oldFd, const struct stat& old) {
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  if ((st.st_uid != old.st_uid || st.st_gid != old.st_gid) && fchown(fd, old.st_uid, old.st_gid) != 0)
    return false;
  return fchmod(fd, old.st_mode & 07777) == 0 && CopyAttributes(oldFd, fd);
}

// Writes a new file beside target, flushes it to the disk and renames it over
// target. A new name is created as any new file is (mode 0666 less the umask);
// one that replaces an existing file (open as oldFd, status old) is created
// private to its writer and takes on the old file's identity before the first
// byte is written. -1 with errno set when the sibling could not be created or
// cannot take on that identity, or the rename is refused (nothing claims the
// save then); else 0 or an errno value.
int WriteThroughSibling(const std::string& target, int oldFd, const struct stat* old, const char* data,
                        std::size_t size) {
  std::string name;
  const int fd = CreateSibling(target, old != nullptr ? 0600 : 0666, &name);
  if (fd < 0) return -1;
  if (old != nullptr) {
    bool carried = false;
    int error = EPERM;
    try {
      carried = TakeOverIdentity(fd, oldFd, *old);
    } catch (const std::bad_alloc&) {
      error = ENOMEM;  // the save fails; it is not taken in place
    }
    if (!carried) {
      close(fd);
      unlink(name.c_str());
      if (error == ENOMEM) return error;
      errno = error;
      return -1;
    }
  }
  int error = WriteAll(fd, data, size);
  if (error == 0 && fsync(fd) != 0) error = errno;
  error = CloseChecked(fd, error);
  if (error == 0 && rename(name.c_str(), target.c_str()) != 0) {
    error = errno;
    unlink(name.c_str());
    if (error == EPERM || error == EACCES) {  // a sticky folder, for a file of another owner
      errno = error;
      return -1;
    }
    return error;
  }
  if (error != 0) unlink(name.c_str());
  return error;
}

// Saves over the regular file target, open for writing as fd (status st):
// replaced through a sibling when the replacement can be all the old file
// was, else written in place.
int SaveOverRegularFile(const std::string& target, int fd, const struct stat& st, const char* data,
                        std::size_t size) {
  // Another name of the file would keep the old text.
  if (st.st_nlink > 1) return OverwriteInPlace(fd, data, size);
  const int error = WriteThroughSibling(target, fd, &st, data, size);
  if (error >= 0) return error;
  // The folder takes no new file, or the replacement cannot carry the old
  // file's owner, group or attributes, or the folder refuses the rename.
  if (errno == EACCES || errno == EPERM || errno == EROFS) return OverwriteInPlace(fd, data, size);
  return errno;
}

}  // namespace

int ReadWholeFile(const char* path, std::size_t maxSize, std::string* bytes) {
  if (path == nullptr || bytes == nullptr) return ENOENT;
  struct stat st;
  const int fd = OpenForReading(path, &st);
  if (fd < 0) return errno;
  std::FILE* f = fdopen(fd, "rb");
  if (f == nullptr) {
    const int error = errno;
    close(fd);
    return error;
  }
  const int error =
      S_ISREG(st.st_mode) ? ReadOpenStream(f, maxSize, bytes) : ReadStreamToEnd(f, maxSize, bytes);
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
    if (resolved == nullptr) return OpenAndWrite(path, data, size);
    target = resolved.get();
  }
  // The check an open for writing makes (effective ids, ACLs, a read-only
  // file system), before anything is written; it changes nothing.
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno != ENOENT) return errno;
    const int error = WriteThroughSibling(target, -1, nullptr, data, size);
    return error >= 0 ? error : errno;
  }
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    error = WriteAll(fd, data, size);  // a device or a pipe: written where it stands
  } else {
    error = SaveOverRegularFile(target, fd, st, data, size);
  }
  return CloseChecked(fd, error);
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
