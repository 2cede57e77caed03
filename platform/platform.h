// The one layer that differs between the POSIX and the win32 build: lock,
// debug channel, ini reader, module loading, file tests and path syntax.
// Everything above it calls these functions instead of the operating system.
#pragma once

#include <cstddef>
#include <string>

namespace orvel {
namespace platform {

// ---- recursive lock (critical section) -------------------------------------
struct RecursiveLock;
// A new lock, or null when the system refuses one.
RecursiveLock* CreateRecursiveLock();
void DeleteRecursiveLock(RecursiveLock* lock);
// A lock in static storage that exists from load on and cannot fail; not for
// DeleteRecursiveLock.
RecursiveLock* StaticRecursiveLock();
void EnterLock(RecursiveLock* lock);
void LeaveLock(RecursiveLock* lock);

// ---- debug channel ---------------------------------------------------------
// Sends message whole to the debug sink. On POSIX: one write() appending it to
// the file named by ORVEL_DEBUG_LOG; nothing when that variable is unset or empty.
void WriteDebugMessage(const char* message);
// Stops in the debugger when one is attached (DebugBreak on Windows); the
// process goes on after it, and nothing happens without a debugger. POSIX
// never stops.
void BreakIntoDebugger();

// ---- ini files -------------------------------------------------------------
// An ini file larger than this is not read: it counts as missing.
constexpr std::size_t kMaxProfileFileBytes = std::size_t{1} << 20;
// An ini file, read once: POSIX keeps its text, the win32 build asks the
// system's reader for each value. A missing file, a folder, a pipe, a device
// and a file over kMaxProfileFileBytes give every key its default.
class ProfileFile {
 public:
  explicit ProfileFile(const char* path);
  // Value of key in section, or defaultValue when the file, the section or the
  // key is missing. Names compare without letter case; blanks around keys and
  // values are trimmed; matching quotes around a value are stripped; lines
  // starting with ';' are comments. The result is cut to capacity - 1 bytes
  // and NUL-terminated; returns its length (0 and nothing written when
  // capacity is 0).
  std::size_t Read(const char* section, const char* key, const char* defaultValue, char* out,
                   std::size_t capacity) const;
  // The file exists but is over kMaxProfileFileBytes (and so was not read).
  bool tooLarge() const { return tooLarge_; }

 private:
  std::string path_;
  std::string text_;  // POSIX: the file's bytes
  bool readable_ = false;
  bool tooLarge_ = false;
};
// One value of the ini file at path: ProfileFile(file).Read(...).
inline std::size_t ReadProfileString(const char* file, const char* section, const char* key,
                                     const char* defaultValue, char* out, std::size_t capacity) {
  return ProfileFile(file).Read(section, key, defaultValue, out, capacity);
}

// ---- modules ---------------------------------------------------------------
using ModuleHandle = void*;
// Loads a module (resolving all its symbols now); null on failure.
ModuleHandle LoadModule(const char* path);
// A module that is already loaded, found by its name, without loading it.
// The handle holds a reference: give it back with ReleaseModuleReference.
ModuleHandle FindLoadedModule(const char* name);
void ReleaseModuleReference(ModuleHandle module);
// Address of an exported symbol, or null.
void* FindSymbol(ModuleHandle module, const char* name);
// Base address of the module that contains address (the module instance handle), or null.
void* ModuleBaseOf(const void* address);
// Module name under which the framework's factory library is loaded.
const char* FactoryLibraryModuleName();

// ---- files -----------------------------------------------------------------
enum : int { FileAttributeDirectory = 0x10, InvalidFileAttributes = -1 };
// Attribute bits of path, or InvalidFileAttributes when it cannot be read.
int FileAttributes(const char* path);
// 0 when path is accessible in mode (0 existence, 2 write, 4 read, 6 both), else -1.
int AccessPath(const char* path, int mode);
// Full file name of the host executable. false (and out empty when capacity >
// 0) when it cannot be read or does not fit with its NUL: a cut name would
// name another file.
bool ExecutablePath(char* out, std::size_t capacity);

// ---- whole files -----------------------------------------------------------
// Reads the file at path whole into *bytes, which changes only on success. A
// regular file is read with one read of the size found by seeking to its end
// (what it grows by later is not read); one whose size seeking cannot tell
// (a /proc file), a pipe or a socket is read to its end. Returns 0 or an errno
// value: the open's, the seek's or the read's; EISDIR for a directory (which
// Windows refuses to open); ENODEV for a character or block device; EFBIG when
// the file holds more than maxSize bytes; EIO when it yields fewer bytes than
// its size; ENOMEM when no buffer can be had; ENOENT for a null path.
int ReadWholeFile(const char* path, std::size_t maxSize, std::string* bytes);
// Writes size bytes of data to path, refusing (before anything is written) a
// file the caller may not open for writing. A new file, or a regular file with
// one name, is written to a new file in the same folder that then replaces it,
// so that a failed save leaves the old file whole; the new file is private to
// its writer until it is complete and then takes the old file's permissions,
// owner, group and extended attributes (ACLs, security labels). Where the
// replacement could not carry all of them, or the folder takes no new file or
// refuses the replacement (a sticky folder), and for a file with more than one
// name, the file is written in place after its new length has been reserved:
// a full disk then refuses the save with the old text whole. A device or a
// pipe is written in place. A symbolic link keeps naming the file it names.
// Returns 0 or an errno value, the close's included; ENOENT for a null or
// empty path.
int ReplaceFileContents(const char* path, const char* data, std::size_t size);
// out = path made absolute against the working directory (unchanged when it
// already is). false, out empty, when it does not fit or the folder is unknown.
bool AbsolutePath(const char* path, char* out, std::size_t capacity);

// ---- process attach and detach ----------------------------------------------
// True where the system tells a module of process attach and detach through
// its entry point (DllMain, platform/dll_main_win32.cpp). Elsewhere the
// library's load and unload stand for them.
#if defined(_WIN32)
constexpr bool kEntryPointNotifies = true;
#else
constexpr bool kEntryPointNotifies = false;
#endif

// ---- standard streams ------------------------------------------------------
// Makes stdin, stdout and stderr carry bytes unchanged (the Windows C
// runtime's text mode writes "\r\n" for every "\n"); nothing to do on POSIX.
void UseBinaryStandardStreams();

// ---- text and paths --------------------------------------------------------
// Compares at most n bytes without ASCII letter case (<0, 0, >0).
int CompareNoCase(const char* a, const char* b, std::size_t n);
// The separator that path rules cut at and joins write.
#if defined(_WIN32)
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif
// Every character the system itself takes as a separator (Windows takes '/'
// too): where a program of ours, not the module's path rules, splits a path.
#if defined(_WIN32)
constexpr const char* kPathSeparators = "\\/";
#else
constexpr const char* kPathSeparators = "/";
#endif
// false for an absolute path, true otherwise (also for null).
bool IsRelativePath(const char* path);

// ---- memory ----------------------------------------------------------------
// Asks that the untouched memory [p, p + n) be backed by large pages where the
// system offers them on request (Linux: transparent huge pages in "madvise"
// mode), so that filling a large text takes one fault per 2 MB instead of one
// per 4 KB. Only whole large pages inside the range are affected; a hint, so
// nothing changes where it is not taken (Windows grants large pages only to
// privileged processes).
void AdviseLargePages(void* p, std::size_t n);

// n bytes (n > 0) of zero-filled room whose pages the system supplies only
// when first touched, so that room offered and never written costs no memory;
// null when the system cannot reserve that much.
char* AllocateZeroedPages(std::size_t n);
// Gives back the whole pages inside [p, p + n) of such room; the caller does
// not touch them again.
void DiscardPages(char* p, std::size_t n);
void FreeZeroedPages(char* p, std::size_t n);

}  // namespace platform
}  // namespace orvel
