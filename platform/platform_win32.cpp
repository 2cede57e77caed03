// Windows implementation of the platform layer (the POSIX build puts
// platform_posix.cpp beside it): critical sections, OutputDebugStringA, the
// loader, file attributes and the executable's name.
#if defined(_WIN32)

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <cstdint>
#include <new>

#include "platform/platform.h"

namespace orvel {
namespace platform {

// ---- recursive lock ----------------------------------------------------------

struct RecursiveLock {
  CRITICAL_SECTION section;
};

RecursiveLock* CreateRecursiveLock() {
  RecursiveLock* lock = new (std::nothrow) RecursiveLock;
  if (lock != nullptr) InitializeCriticalSection(&lock->section);
  return lock;
}

namespace {

RecursiveLock g_staticLock;

BOOL CALLBACK InitializeStaticLock(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&g_staticLock.section);  // cannot fail on any supported Windows
  return TRUE;
}

}  // namespace

RecursiveLock* StaticRecursiveLock() {
  static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  InitOnceExecuteOnce(&once, InitializeStaticLock, nullptr, nullptr);
  return &g_staticLock;
}

void DeleteRecursiveLock(RecursiveLock* lock) {
  if (lock == nullptr) return;
  DeleteCriticalSection(&lock->section);
  delete lock;
}

void EnterLock(RecursiveLock* lock) {
  if (lock != nullptr) EnterCriticalSection(&lock->section);
}

void LeaveLock(RecursiveLock* lock) {
  if (lock != nullptr) LeaveCriticalSection(&lock->section);
}

// ---- debug channel -------------------------------------------------------------

void WriteDebugMessage(const char* message) {
  if (message != nullptr) OutputDebugStringA(message);
}

void BreakIntoDebugger() {
  if (IsDebuggerPresent()) DebugBreak();
}

// ---- modules ---------------------------------------------------------------------

ModuleHandle LoadModule(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  return LoadLibraryA(path);
}

ModuleHandle FindLoadedModule(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  const HMODULE found = GetModuleHandleA(name);
  if (found == nullptr) return nullptr;
  // GetModuleHandleA lends the handle without a reference; take one, as the
  // POSIX build does, so that ReleaseModuleReference gives back what was taken.
  HMODULE held = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(found), &held)) {
    return nullptr;
  }
  return held;
}

void ReleaseModuleReference(ModuleHandle module) {
  if (module != nullptr) FreeLibrary(static_cast<HMODULE>(module));
}

void* FindSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void* ModuleBaseOf(const void* address) {
  HMODULE module = nullptr;
  if (address == nullptr || !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                static_cast<LPCSTR>(address), &module)) {
    return nullptr;
  }
  return module;
}

const char* FactoryLibraryModuleName() { return "Zandrop.dll"; }

// ---- files -------------------------------------------------------------------------

int FileAttributes(const char* path) {
  if (path == nullptr) return InvalidFileAttributes;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return InvalidFileAttributes;
  return static_cast<int>(attributes & 0x7FFFFFFFu);
}

int AccessPath(const char* path, int mode) {
  if (path == nullptr) return -1;
  return _access(path, mode & 6) == 0 ? 0 : -1;
}

bool ExecutablePath(char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  char full[MAX_PATH * 4];
  const DWORD n = GetModuleFileNameA(nullptr, full, sizeof full);
  // A name that fills the buffer was cut (ERROR_INSUFFICIENT_BUFFER); a cut name is no name.
  if (n == 0 || n >= sizeof full || n >= capacity) return false;
  const std::size_t length = n;
  memcpy(out, full, length);
  out[length] = '\0';
  return true;
}

// ---- standard streams ------------------------------------------------------------

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

// ---- text and paths ------------------------------------------------------------

int CompareNoCase(const char* a, const char* b, std::size_t n) { return _strnicmp(a, b, n); }

bool IsRelativePath(const char* path) {
  if (path == nullptr) return true;
  return path[0] != '\\' && strchr(path, ':') == nullptr;
}

void AdviseLargePages(void*, std::size_t) {}

char* AllocateZeroedPages(std::size_t n) {
  return static_cast<char*>(VirtualAlloc(nullptr, n, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void DiscardPages(char* p, std::size_t n) {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const std::uintptr_t page = system.dwPageSize;
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = (begin + page - 1) & ~(page - 1);
  const std::uintptr_t end = (begin + n) & ~(page - 1);
  if (end > first) VirtualFree(reinterpret_cast<void*>(first), end - first, MEM_DECOMMIT);
}

void FreeZeroedPages(char* p, std::size_t) {
  if (p != nullptr) VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace platform
}  // namespace orvel

#endif  // _WIN32
