// Windows implementation of the platform layer's whole-file reads and writes.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_stream.h"
#include "platform/platform.h"

namespace orvel {
namespace platform {
namespace {

// errno value of a failed Win32 file call.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_DRIVE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EIO;
  }
}

int WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
    const int n = _write(fd, data, chunk);
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

int CloseChecked(int fd, int error) {
  if (_close(fd) != 0 && error == 0) return errno;
  return error;
}

// Opens path as fopen "wb" does (created or truncated) and writes it.
int WriteInPlace(const char* path, const char* data, std::size_t size) {
  const int fd = _open(path, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return errno;
  return CloseChecked(fd, WriteAll(fd, data, size));
}

// A character device or a pipe (NUL, CON, COM1, \\.\pipe\x) is written in
// place; there is no folder to put a sibling in.
bool IsDevice(const char* path) {
  const HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(h);
  CloseHandle(h);
  return type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE;
}

// A new file beside target with a name no other file has; fd -1 with errno set.
int CreateSibling(const std::string& target, std::string* name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t cut = target.find_last_of("\\/:");
  const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
  for (int attempt = 0; attempt < 64; ++attempt) {
    char unique[64];
    std::snprintf(unique, sizeof unique, ".orvel~%lx.%x.%lx", GetCurrentProcessId(), counter++,
                  GetTickCount() & 0xFFFFFFul);
    *name = folder + unique;
    const int fd = _open(name->c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Writes a sibling file, flushes it to the disk and moves it over target.
// -1 when the sibling could not be created (errno set), else 0 or an errno value.
int WriteThroughSibling(const std::string& target, DWORD oldAttributes, const char* data, std::size_t size) {
  std::string name;
  const int fd = CreateSibling(target, &name);
  if (fd < 0) return -1;
  int error = WriteAll(fd, data, size);
  if (error == 0 && _commit(fd) != 0) error = errno;
  error = CloseChecked(fd, error);
  if (error == 0 && oldAttributes != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(name.c_str(), oldAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  }
  if (error == 0 &&
      !MoveFileExA(name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = ErrnoOf(GetLastError());
  }
  if (error != 0) DeleteFileA(name.c_str());
  return error;
}

}  // namespace

int ReadWholeFile(const char* path, std::size_t maxSize, std::string* bytes) {
  if (path == nullptr || bytes == nullptr) return ENOENT;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return errno;
  const int error = ReadOpenStream(f, maxSize, bytes);
  std::fclose(f);
  return error;
}

int ReplaceFileContents(const char* path, const char* data, std::size_t size) {
  if (path == nullptr || *path == '\0') return ENOENT;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
    // fopen "wb" refuses a read-only file; so does the replacement.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return EACCES;
  }
  if (IsDevice(path)) return WriteInPlace(path, data, size);
  const int error = WriteThroughSibling(path, attributes, data, size);
  if (error >= 0) return error;
  // A folder the caller may not create files in, holding a file the caller
  // may write: that file is written in place.
  if (attributes != INVALID_FILE_ATTRIBUTES && errno == EACCES) return WriteInPlace(path, data, size);
  return errno;
}

bool AbsolutePath(const char* path, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (path == nullptr) return false;
  if (!IsRelativePath(path)) {
    const std::size_t n = std::strlen(path);
    if (n >= capacity) return false;
    std::memcpy(out, path, n + 1);
    return true;
  }
  char full[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
  if (n == 0 || n >= sizeof full || n >= capacity) return false;
  std::memcpy(out, full, n + 1);
  return true;
}

}  // namespace platform
}  // namespace orvel

#endif  // _WIN32
