// POSIX implementation of the platform layer's whole-file reads and writes.
#if !defined(_WIN32)

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/file_stream.h"
#include "platform/platform.h"
#include "platform/sibling_names.h"

namespace orvel {
namespace platform {
namespace {

// O_NONBLOCK for a FIFO, so that an open does not wait for its other end;
// none for any other file, so that an open waits for a lease on it to be
// broken (Samba oplocks, NFS delegations) as every program's open does. The
// type is taken before the open, following links.
int NonBlockingFor(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && S_ISFIFO(st.st_mode) ? O_NONBLOCK : 0;
}

void MakeBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK); }

// Opens path for reading without waiting for the writer of a FIFO. -1 with
// errno set on failure; *st receives the open file's status.
int OpenForReading(const char* path, struct stat* st) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | NonBlockingFor(path));
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
  MakeBlocking(fd);
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

// Writes data at offset of the regular file fd.
int WriteAllAt(int fd, const char* data, std::size_t size, off_t offset) {
  while (size > 0) {
    const ssize_t n = pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return 0;
}

int CloseChecked(int fd, int error) {
  // A full disk or a network folder may report a lost write only here.
  if (close(fd) != 0 && error == 0) return errno;
  return error;
}

// Allocates the first size bytes of fd's file; 0 or an errno value,
// EOPNOTSUPP where the file system cannot (ext3, NFSv3, many FUSE file
// systems: glibc's posix_fallocate would then read every block, which a
// write-only descriptor cannot).
int Allocate(int fd, std::size_t size) {
#if defined(__linux__)
  return fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0 ? 0 : errno;
#else
  return posix_fallocate(fd, 0, static_cast<off_t>(size));
#endif
}

// Writes the regular file open as fd in place. Room for a longer text is
// reserved before the first old byte is overwritten: allocated, or where the
// file system cannot allocate, taken by writing the new bytes past the old
// end first. A full disk or the file size limit then refuses the save with
// the old text whole (the file cut back to its old length).
int OverwriteInPlace(int fd, const char* data, std::size_t size) {
  struct stat st;
  if (fstat(fd, &st) != 0) return errno;
  const std::size_t old = static_cast<std::size_t>(st.st_size);
  std::size_t head = size;  // the bytes still to be written from offset 0
  if (size > old) {
    int error = Allocate(fd, size);
    if (error == EOPNOTSUPP || error == ENOSYS) {
      error = WriteAllAt(fd, data + old, size - old, st.st_size);
      head = old;
    }
    if (error != 0) {
      if (ftruncate(fd, st.st_size) != 0) {
        // The file did not grow; nothing to give back.
      }
      return error;
    }
  }
  int error = WriteAllAt(fd, data, head, 0);
  if (error == 0 && ftruncate(fd, static_cast<off_t>(size)) != 0) error = errno;
  if (error == 0 && fsync(fd) != 0) error = errno;
  return error;
}

// The folder of place as open() takes it.
const char* FolderOf(const Place& place) { return place.folder.empty() ? "." : place.folder.c_str(); }

// Flushes the folder's names to the disk, so that a rename or a new name
// survives a power cut. 0, or the errno value of a flush that failed; a
// folder that cannot be opened or flushed (no such flush on this file
// system) counts as flushed.
int SyncFolder(const Place& place) {
  const int fd = open(FolderOf(place), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;
  int error = fsync(fd) == 0 ? 0 : errno;
  if (error == EINVAL || error == EROFS || error == EBADF) error = 0;
  close(fd);
  return error;
}

// Removes the sibling files of the document at place that writers no
// longer running left behind (killed while they saved, or in the moment
// between naming a complete file and renaming it).
void RemoveLeftovers(const Place& place) {
  const std::string prefix = SiblingPrefix(place.name);
  DIR* folder = opendir(FolderOf(place));
  if (folder == nullptr) return;
  while (const dirent* entry = readdir(folder)) {
    const unsigned long writer = SiblingWriter(entry->d_name, prefix);
    if (writer == 0 || writer > static_cast<unsigned long>(INT32_MAX)) continue;
    if (kill(static_cast<pid_t>(writer), 0) != 0 && errno == ESRCH) unlinkat(dirfd(folder), entry->d_name, 0);
  }
  closedir(folder);
}

// The new text's file beside a document until it takes the document's place.
struct Sibling {
  int fd = -1;
  std::string path;  // empty while the file has no name (O_TMPFILE)
};

// The next name for a sibling of the document at place.
std::string NextSiblingPath(const Place& place) {
  static std::atomic<unsigned> counter{0};
  return place.folder + SiblingName(place.name, NAME_MAX, static_cast<unsigned long>(getpid()), counter++);
}

// Creates the sibling with mode: a file without a name where the system can
// make one (a killed writer then leaves nothing), else one named after the
// document. 0 or an errno value.
int CreateSibling(const Place& place, mode_t mode, bool unnamed, Sibling* sibling) {
#if defined(O_TMPFILE)
  if (unnamed) {
    sibling->fd = open(FolderOf(place), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (sibling->fd >= 0) return 0;
    // Not offered by this kernel or file system: a named file instead.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
  }
#else
  (void)unnamed;
#endif
  for (int attempt = 0; attempt < 64; ++attempt) {
    sibling->path = NextSiblingPath(place);
    sibling->fd = open(sibling->path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (sibling->fd >= 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Gives the unnamed sibling a name in its folder, once it is complete. 0 or
// an errno value.
int NameSibling(const Place& place, Sibling* sibling) {
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", sibling->fd);
  for (int attempt = 0; attempt < 64; ++attempt) {
    const std::string path = NextSiblingPath(place);
    // AT_EMPTY_PATH needs CAP_DAC_READ_SEARCH; the /proc name serves everyone else.
    if (linkat(sibling->fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0 ||
        (errno != EEXIST && linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)) {
      sibling->path = path;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
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

// Gives the new file fd the owner and group of the old one (status old),
// before its first byte is written. false when they cannot be given.
bool TakeOverOwner(int fd, const struct stat& old) {
  struct stat st;
  if (fstat(fd, &st) != 0) return false;
  return (st.st_uid == old.st_uid && st.st_gid == old.st_gid) || fchown(fd, old.st_uid, old.st_gid) == 0;
}

// Gives the new file fd, once written, the permission bits and extended
// attributes of the old one (open as oldFd, status old): a write clears the
// set-id bits and file capabilities, as a change of owner does. false when
// any cannot be given.
bool TakeOverModeAndAttributes(int fd, int oldFd, const struct stat& old) {
  return fchmod(fd, old.st_mode & 07777) == 0 && CopyAttributes(oldFd, fd);
}

// The replacement of the document at place was refused where it would
// stand (a folder that takes no new file from the saver, an owner or
// attribute the saver cannot give, a sticky folder, a document that is a
// mount point of its own): the document may still be written in place.
bool RefusedReplacement(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == EBUSY;
}

// Gives the new sibling the old file's owner (open as oldFd, status old)
// before its first byte, the text, the old file's mode and attributes after
// its last (a write clears set-id bits and file capabilities), flushes it
// and names it when it has no name (*unnamedRefused: the system would not).
// 0, EPERM when the old identity cannot be given, or another errno value.
int CompleteSibling(const Place& place, int oldFd, const struct stat* old, const char* data, std::size_t size,
                    Sibling* sibling, bool* unnamedRefused) {
  if (old != nullptr && !TakeOverOwner(sibling->fd, *old)) return EPERM;
  int error = WriteAll(sibling->fd, data, size);
  if (error == 0 && old != nullptr && !TakeOverModeAndAttributes(sibling->fd, oldFd, *old)) error = EPERM;
  if (error == 0 && fsync(sibling->fd) != 0) error = errno;
  if (error == 0 && sibling->path.empty()) {
    error = NameSibling(place, sibling);
    *unnamedRefused = error != 0;
  }
  return error;
}

// Writes the new text to a sibling (see CompleteSibling), renames it over
// the document at place, then flushes the folder. A sibling that replaces an
// existing file is private to its writer from its creation; one for a new
// name is made as any new file is (mode 0666 less the umask). 0 or an errno
// value; nothing is left beside the document on failure.
int ReplaceBySibling(const Place& place, int oldFd, const struct stat* old, const char* data,
                     std::size_t size, bool unnamed, bool* unnamedRefused) {
  const std::string target = place.Path();
  Sibling sibling;
  int error = CreateSibling(place, old != nullptr ? 0600 : 0666, unnamed, &sibling);
  if (error != 0) return error;
  try {
    error = CompleteSibling(place, oldFd, old, data, size, &sibling, unnamedRefused);
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  error = CloseChecked(sibling.fd, error);
  if (error == 0 && rename(sibling.path.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    if (!sibling.path.empty()) unlink(sibling.path.c_str());
    return error;
  }
  return SyncFolder(place);
}

// Replaces the document at place through a sibling (see ReplaceBySibling),
// after removing what killed writers left beside it (at its first save in
// this process).
int WriteThroughSibling(const Place& place, int oldFd, const struct stat* old, const char* data,
                        std::size_t size) {
  if (FirstSaveInProcess(place.Path())) RemoveLeftovers(place);
  bool unnamedRefused = false;
  const int error = ReplaceBySibling(place, oldFd, old, data, size, true, &unnamedRefused);
  if (!unnamedRefused) return error;
  return ReplaceBySibling(place, oldFd, old, data, size, false, &unnamedRefused);
}

// Saves over the regular file at place, open for writing as fd (status st):
// replaced through a sibling when the replacement can be all the old file
// was, else written in place.
int SaveOverRegularFile(const Place& place, int fd, const struct stat& st, const char* data,
                        std::size_t size) {
  // Another name of the file would keep the old text.
  if (st.st_nlink > 1) return OverwriteInPlace(fd, data, size);
  const int error = WriteThroughSibling(place, fd, &st, data, size);
  return RefusedReplacement(error) ? OverwriteInPlace(fd, data, size) : error;
}

// The file a save replaces for path, open as st: path itself, or the file a
// symbolic link names when it is still the one open. false when the link
// changed meanwhile (the open file is then written in place).
bool ReplacedFile(const char* path, const struct stat& st, std::string* file) {
  struct stat link;
  if (lstat(path, &link) != 0 || !S_ISLNK(link.st_mode)) {
    *file = path;
    return true;
  }
  std::unique_ptr<char, void (*)(void*)> resolved(realpath(path, nullptr), &std::free);
  struct stat named;
  if (resolved == nullptr || stat(resolved.get(), &named) != 0 || named.st_dev != st.st_dev ||
      named.st_ino != st.st_ino) {
    return false;
  }
  *file = resolved.get();
  return true;
}

constexpr int kNoDescriptor = -1;
constexpr int kOtherProcessDescriptor = -2;

#if defined(__linux__)
// The descriptor that the link name in the /proc folder folder stands for:
// its number when it is one of this process's (or this thread's), else
// kOtherProcessDescriptor; kNoDescriptor for another /proc link.
int ProcessDescriptor(const std::string& folder, const std::string& name) {
  const std::size_t n = folder.size();
  if (n < 4 || folder.compare(n - 4, 4, "/fd/") != 0 || name.empty() ||
      name.find_first_not_of("0123456789") != std::string::npos || name.size() > 9) {
    return kNoDescriptor;
  }
  struct stat here;
  struct stat own;
  if (stat(folder.c_str(), &here) != 0) return kNoDescriptor;
  for (const char* mine : {"/proc/self/fd", "/proc/thread-self/fd"}) {
    if (stat(mine, &own) == 0 && own.st_dev == here.st_dev && own.st_ino == here.st_ino) {
      return std::atoi(name.c_str());
    }
  }
  return kOtherProcessDescriptor;
}
#endif

// The descriptor that path names through /proc (/dev/stdout, /dev/fd/3,
// /proc/self/fd/3), followed link by link: one of this process's (its
// number), another process's (kOtherProcessDescriptor) or none
// (kNoDescriptor). Such a name reopens the descriptor's file: replacing that
// file would leave the descriptor writing to a file that no name reaches.
int DescriptorNamedBy(const char* path) {
#if defined(__linux__)
  std::string at = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return kNoDescriptor;
    const Place place(at);
    struct statfs fs;
    if (statfs(FolderOf(place), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC) {
      return ProcessDescriptor(place.folder, place.name);
    }
    char target[PATH_MAX];
    const ssize_t n = readlink(at.c_str(), target, sizeof target - 1);
    if (n <= 0) return kNoDescriptor;
    target[n] = '\0';
    at = target[0] == '/' ? std::string(target) : place.folder + target;
  }
#else
  (void)path;
#endif
  return kNoDescriptor;
}

// Saves over what exists at path (a file, a link, a device, a pipe).
int SaveOverExisting(const char* path, int descriptor, const char* data, std::size_t size) {
  // Opened as given and as an open that may create opens: the kernel follows
  // a link and applies its rules for links and for files of others in
  // sticky folders (protected_symlinks, protected_regular,
  // protected_fifos), and the write permission is checked (effective ids,
  // ACLs, a read-only file system), before anything is written.
  const int fd = open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | NonBlockingFor(path), 0666);
  if (fd < 0) return errno;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    MakeBlocking(fd);
    error = WriteAll(fd, data, size);  // a device or a pipe: written where it stands
  } else {
    try {
      std::string file;
      const bool replaceable = descriptor != kOtherProcessDescriptor && ReplacedFile(path, st, &file);
      error = replaceable ? SaveOverRegularFile(Place(file), fd, st, data, size)
                          : OverwriteInPlace(fd, data, size);
    } catch (const std::bad_alloc&) {
      error = ENOMEM;
    }
  }
  return CloseChecked(fd, error);
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
  const int descriptor = DescriptorNamedBy(path);
  // The caller's own stream (standard output redirected to a file): written
  // where it stands, as the caller's own writes are.
  if (descriptor >= 0) return WriteAll(descriptor, data, size);
  struct stat st;
  if (lstat(path, &st) == 0) return SaveOverExisting(path, descriptor, data, size);
  if (errno != ENOENT) return errno;
  return WriteThroughSibling(Place(path), -1, nullptr, data, size);
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
