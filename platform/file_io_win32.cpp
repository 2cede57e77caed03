// Windows implementation of the platform layer's whole-file reads and writes.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h:
#include <aclapi.h>

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

// Writes all of data through h where its file pointer stands.
int WriteAllTo(HANDLE h, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD n = 0;
    if (!WriteFile(h, data, chunk, &n, nullptr)) return ErrnoOf(GetLastError());
    if (n == 0) return ENOSPC;
    data += n;
    size -= n;
  }
  return 0;
}

int CloseChecked(HANDLE h, int error) {
  if (!CloseHandle(h) && error == 0) return ErrnoOf(GetLastError());
  return error;
}

int MoveTo(HANDLE h, long long offset) {
  LARGE_INTEGER at;
  at.QuadPart = offset;
  return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) ? 0 : ErrnoOf(GetLastError());
}

// Opens path as fopen "wb" does (created or truncated) and writes it: a device.
int OpenAndWrite(const char* path, const char* data, std::size_t size) {
  const HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
  return CloseChecked(h, WriteAllTo(h, data, size));
}

// Writes the file open as h in place. A longer text first extends the file
// to its new length, so that a full disk refuses the save before the first
// old byte is overwritten.
int OverwriteInPlace(HANDLE h, const char* data, std::size_t size) {
  LARGE_INTEGER old;
  if (!GetFileSizeEx(h, &old)) return ErrnoOf(GetLastError());
  const long long length = static_cast<long long>(size);
  if (length > old.QuadPart) {
    int error = MoveTo(h, length);
    if (error == 0 && !SetEndOfFile(h)) error = ErrnoOf(GetLastError());
    if (error != 0) {
      if (MoveTo(h, old.QuadPart) == 0) SetEndOfFile(h);
      return error;
    }
  }
  int error = MoveTo(h, 0);
  if (error == 0) error = WriteAllTo(h, data, size);
  if (error == 0 && !SetEndOfFile(h)) error = ErrnoOf(GetLastError());
  if (error == 0 && !FlushFileBuffers(h)) error = ErrnoOf(GetLastError());
  return error;
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

// A new file beside target with a name no other file has, open for writing
// and shared with no one until it is closed; INVALID_HANDLE_VALUE with errno
// set on failure.
HANDLE CreateSibling(const std::string& target, std::string* name) {
  static std::atomic<unsigned> counter{0};
  const std::size_t cut = target.find_last_of("\\/:");
  const std::string folder = cut == std::string::npos ? std::string() : target.substr(0, cut + 1);
  for (int attempt = 0; attempt < 64; ++attempt) {
    char unique[64];
    std::snprintf(unique, sizeof unique, ".orvel~%lx.%x.%lx", GetCurrentProcessId(), counter++,
                  GetTickCount() & 0xFFFFFFul);
    *name = folder + unique;
    const HANDLE h = CreateFileA(name->c_str(), GENERIC_WRITE | WRITE_OWNER, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      errno = ErrnoOf(error);
      return INVALID_HANDLE_VALUE;
    }
  }
  errno = EEXIST;
  return INVALID_HANDLE_VALUE;
}

// The owner of the file open as h, or null when the file system keeps none;
// *descriptor holds it and is given back with LocalFree.
PSID OwnerOf(HANDLE h, PSECURITY_DESCRIPTOR* descriptor) {
  PSID owner = nullptr;
  *descriptor = nullptr;
  if (GetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      descriptor) != ERROR_SUCCESS) {
    return nullptr;
  }
  return owner;
}

// Writes a sibling file, flushes it to the disk and puts it in target's
// place: ReplaceFileA for an existing file (which keeps its ACL, its
// attributes and its named streams; the sibling takes its owner first), a
// move for a new name. -1 with errno set when the sibling could not be
// created or given the owner, or the replacement was refused (nothing claims
// the save then), else 0 or an errno value.
int WriteThroughSibling(const std::string& target, bool exists, PSID owner, const char* data,
                        std::size_t size) {
  std::string name;
  const HANDLE h = CreateSibling(target, &name);
  if (h == INVALID_HANDLE_VALUE) return -1;
  if (owner != nullptr && SetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                                          nullptr, nullptr) != ERROR_SUCCESS) {
    CloseHandle(h);
    DeleteFileA(name.c_str());
    errno = EPERM;
    return -1;
  }
  int error = WriteAllTo(h, data, size);
  if (error == 0 && !FlushFileBuffers(h)) error = ErrnoOf(GetLastError());
  error = CloseChecked(h, error);
  if (error == 0) {
    const BOOL placed =
        exists
            ? ReplaceFileA(target.c_str(), name.c_str(), nullptr, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr)
            : MoveFileExA(name.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!placed) error = ErrnoOf(GetLastError());
  }
  if (error != 0) DeleteFileA(name.c_str());
  if (error == EACCES) {
    errno = error;
    return -1;
  }
  return error;
}

// Saves over the existing file path, open for writing as h: through a
// replacing sibling, unless the file has more than one name or is a
// symbolic link (written in place, so that every name sees the new text), or
// the replacement cannot be given the old file's owner.
int SaveOverExistingFile(const char* path, HANDLE h, DWORD attributes, const char* data, std::size_t size) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return ErrnoOf(GetLastError());
  if (info.nNumberOfLinks > 1 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return OverwriteInPlace(h, data, size);
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const int error = WriteThroughSibling(path, true, OwnerOf(h, &descriptor), data, size);
  LocalFree(descriptor);
  if (error >= 0) return error;
  // A folder that takes no new file, or refuses the replacement or the owner.
  if (errno == EACCES || errno == EPERM) return OverwriteInPlace(h, data, size);
  return errno;
}

}  // namespace

int ReadWholeFile(const char* path, std::size_t maxSize, std::string* bytes) {
  if (path == nullptr || bytes == nullptr) return ENOENT;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
  std::FILE* f = std::fopen(path, "rb");
  if (f == nullptr) return errno;
  const DWORD type = GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f))));
  int error = ENODEV;  // no document: a console or a port never ends
  if (type == FILE_TYPE_PIPE) {
    error = ReadStreamToEnd(f, maxSize, bytes);
  } else if (type != FILE_TYPE_CHAR) {
    error = ReadOpenStream(f, maxSize, bytes);
  }
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
  if (IsDevice(path)) return OpenAndWrite(path, data, size);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const int error = WriteThroughSibling(path, false, nullptr, data, size);
    return error >= 0 ? error : errno;
  }
  // The check an open for writing makes, before anything is written.
  const HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
  return CloseChecked(h, SaveOverExistingFile(path, h, attributes, data, size));
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
