// Windows implementation of the platform layer's whole-file reads and writes.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
// After windows.h:
#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/file_stream.h"
#include "platform/platform.h"
#include "platform/sibling_names.h"

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
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
      return ENAMETOOLONG;
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

// Writes the file open as h in place. Room for a longer text is taken
// before the first old byte is overwritten, by writing the new bytes past the
// old end first (SetEndOfFile would leave a hole where a file system keeps
// holes, Wine's among them, and reserve nothing). A full disk then refuses
// the save with the old text whole (the file cut back to its old length).
int OverwriteInPlace(HANDLE h, const char* data, std::size_t size) {
  LARGE_INTEGER old;
  if (!GetFileSizeEx(h, &old)) return ErrnoOf(GetLastError());
  const long long length = static_cast<long long>(size);
  std::size_t head = size;  // the bytes still to be written from offset 0
  if (length > old.QuadPart) {
    head = static_cast<std::size_t>(old.QuadPart);
    int error = MoveTo(h, old.QuadPart);
    if (error == 0) error = WriteAllTo(h, data + head, size - head);
    if (error != 0) {
      if (MoveTo(h, old.QuadPart) == 0) SetEndOfFile(h);
      return error;
    }
  }
  int error = MoveTo(h, 0);
  if (error == 0) error = WriteAllTo(h, data, head);
  if (error == 0) error = MoveTo(h, length);
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

// path in full (folder and all), as the replacement calls need it: given a
// bare name, ReplaceFileA finds no folder for its own files. false when
// that does not fit in MAX_PATH.
bool FullPath(const char* path, std::string* full) {
  char buffer[MAX_PATH];
  const DWORD n = GetFullPathNameA(path, MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) return false;
  full->assign(buffer, n);
  return true;
}

// A new name beside the document at place that fits where the document's
// name fits (its full path within MAX_PATH - 1 bytes).
std::string NextSiblingPath(const Place& place) {
  static std::atomic<unsigned> counter{0};
  const std::size_t used = place.folder.size();
  const std::size_t room = used >= MAX_PATH - 1 ? 0 : std::min<std::size_t>(255, MAX_PATH - 1 - used);
  return place.folder + SiblingName(place.name, room, GetCurrentProcessId(), counter++);
}

// Whether the process pid has ended (or never was).
bool ProcessGone(unsigned long pid) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

// Removes the sibling files of the document at place that writers no
// longer running left behind (killed while they saved, or in the moment
// between naming a complete file and renaming it).
void RemoveLeftovers(const Place& place) {
  const std::string prefix = SiblingPrefix(place.name);
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((place.folder + prefix + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  try {
    do {
      const unsigned long writer = SiblingWriter(entry.cFileName, prefix);
      if (writer != 0 && ProcessGone(writer)) DeleteFileA((place.folder + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
  } catch (const std::bad_alloc&) {
    // The rest stays for a later save.
  }
  FindClose(search);
}

// A new file beside the document at place, open for writing and shared with
// no one until it is closed; INVALID_HANDLE_VALUE with *error set on failure.
HANDLE CreateSibling(const Place& place, std::string* name, int* error) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    *name = NextSiblingPath(place);
    const HANDLE h = CreateFileA(name->c_str(), GENERIC_WRITE | WRITE_OWNER, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD failure = GetLastError();
    if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS) {
      *error = ErrnoOf(failure);
      return INVALID_HANDLE_VALUE;
    }
  }
  *error = EEXIST;
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

// Another program's handle on the new file or the document can fail a
// replacement for a moment (indexers, virus scanners and sync clients open
// new files): such a step is tried this many times, this far apart.
constexpr int kPlaceAttempts = 10;
constexpr DWORD kPlaceWaitMs = 50;

bool HeldByAnother(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Moves the file from to the name to with flags, again while another
// program holds from. 0 or the last Win32 error.
DWORD MoveWhileHeld(const std::string& from, const std::string& to, DWORD flags) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH)) return 0;
    const DWORD error = GetLastError();
    if (attempt + 1 == kPlaceAttempts || !HeldByAnother(error)) return error;
    Sleep(kPlaceWaitMs);
  }
}

// Writes data as a new file named path. 0 or the Win32 error.
DWORD WriteNewFile(const std::string& path, const char* data, std::size_t size) {
  const HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  int error = WriteAllTo(h, data, size);
  if (error == 0 && !FlushFileBuffers(h)) error = EIO;
  error = CloseChecked(h, error);
  return error == 0 ? 0 : ERROR_WRITE_FAULT;
}

// Puts the complete sibling in the place of the existing document target
// with ReplaceFileA, which keeps the old file's ACL, attributes and streams,
// and the old file at backup until the new one is in place. When another
// program holds one of the files, ReplaceFileA fails, sometimes after it has
// moved the old file away (1176, 1177): the document's name is then never
// left empty. The sibling is moved in, else the old file back from backup,
// else the text written anew under the name. 0 or the Win32 error.
DWORD ReplaceExisting(const std::string& target, const std::string& sibling, const std::string& backup,
                      const char* data, std::size_t size) {
  DWORD error = 0;
  for (int attempt = 0; attempt < kPlaceAttempts; ++attempt) {
    if (attempt > 0) Sleep(kPlaceWaitMs);
    if (ReplaceFileA(target.c_str(), sibling.c_str(), backup.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr,
                     nullptr)) {
      DeleteFileA(backup.c_str());
      return 0;
    }
    error = GetLastError();
    if (!Exists(target)) break;
    if (!HeldByAnother(error)) return error;
  }
  if (Exists(target)) return error;  // the old text
  if (MoveWhileHeld(sibling, target, 0) == 0 || WriteNewFile(target, data, size) == 0) {
    DeleteFileA(backup.c_str());
    return 0;
  }
  if (Exists(backup)) MoveWhileHeld(backup, target, 0);
  return error;
}

// A replacement that the folder or the file refused (a folder that takes
// no new file, an owner that cannot be given, a file another program holds):
// the document may still be written in place.
bool RefusedReplacement(int error) { return error == EACCES || error == EPERM; }

// Writes a sibling file, flushes it to the disk and puts it in the place of
// the document at place (which exists or not), after removing what killed
// writers left beside it (at its first save in this process). The sibling
// takes the old file's owner first. 0 or an errno value; EPERM when the
// owner cannot be given.
int WriteThroughSibling(const Place& place, bool exists, PSID owner, const char* data, std::size_t size) {
  const std::string target = place.Path();
  if (FirstSaveInProcess(target)) RemoveLeftovers(place);
  const std::string backup = exists ? NextSiblingPath(place) : std::string();
  std::string name;
  int error = 0;
  const HANDLE h = CreateSibling(place, &name, &error);
  if (h == INVALID_HANDLE_VALUE) return error;
  if (owner != nullptr && SetSecurityInfo(h, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                                          nullptr, nullptr) != ERROR_SUCCESS) {
    error = EPERM;
  }
  if (error == 0) error = WriteAllTo(h, data, size);
  if (error == 0 && !FlushFileBuffers(h)) error = ErrnoOf(GetLastError());
  error = CloseChecked(h, error);
  if (error == 0) {
    const DWORD placed = exists ? ReplaceExisting(target, name, backup, data, size)
                                : MoveWhileHeld(name, target, MOVEFILE_REPLACE_EXISTING);
    if (placed != 0) error = ErrnoOf(placed);
  }
  // (Kept while the document's name is empty: it then holds the new text.)
  if (error != 0 && (!exists || Exists(target))) DeleteFileA(name.c_str());
  return error;
}

// The folders a and b are one.
bool SameFolder(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  int known = 0;
  for (const std::string* folder : {&a, &b}) {
    const HANDLE h = CreateFileA(folder->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (GetFileInformationByHandle(h, &info[known])) ++known;
    CloseHandle(h);
  }
  return known == 2 && info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// The file open as h is reached from place through a link that shows no
// reparse point (a Unix symbolic link under Wine, which Wine shows as a plain
// file and ReplaceFileA would delete with its target): the system's own name
// for the open file is another name, or the same name in another folder.
bool ReachedThroughLink(HANDLE h, const Place& place) {
  char reached[MAX_PATH + 8];
  const DWORD n = GetFinalPathNameByHandleA(h, reached, sizeof reached, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= sizeof reached) return false;
  char given[MAX_PATH];
  const DWORD m = GetLongPathNameA(place.Path().c_str(), given, MAX_PATH);  // no 8.3 names
  const Place named(m != 0 && m < MAX_PATH ? std::string(given, m) : place.Path());
  const Place found(std::string(reached, n));
  return _stricmp(found.name.c_str(), named.name.c_str()) != 0 || !SameFolder(found.folder, named.folder);
}

// Saves over the existing document at place, open for writing as h:
// through a replacing sibling, unless the file has more than one name or is
// a link (written in place, so that every name sees the new text), or the
// replacement is refused.
int SaveOverExistingFile(const Place& place, HANDLE h, DWORD attributes, const char* data, std::size_t size) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return ErrnoOf(GetLastError());
  if (info.nNumberOfLinks > 1 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
      ReachedThroughLink(h, place)) {
    return OverwriteInPlace(h, data, size);
  }
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const int error = WriteThroughSibling(place, true, OwnerOf(h, &descriptor), data, size);
  LocalFree(descriptor);
  return RefusedReplacement(error) ? OverwriteInPlace(h, data, size) : error;
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
  std::string full;
  if (!FullPath(path, &full)) return ENAMETOOLONG;
  const Place place(full);
  if (attributes == INVALID_FILE_ATTRIBUTES) return WriteThroughSibling(place, false, nullptr, data, size);
  // The check an open for writing makes, before anything is written.
  const HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
  int error = 0;
  try {
    error = SaveOverExistingFile(place, h, attributes, data, size);
  } catch (const std::bad_alloc&) {
    error = ENOMEM;
  }
  return CloseChecked(h, error);
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
