// POSIX implementation of the platform layer (the win32 build puts
// platform_win32.cpp beside it).
#if !defined(_WIN32)

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/platform.h"

namespace orvel {
namespace platform {

// ---- recursive lock ----------------------------------------------------------

struct RecursiveLock {
  pthread_mutex_t mutex;
};

RecursiveLock* CreateRecursiveLock() {
  RecursiveLock* lock = new (std::nothrow) RecursiveLock;
  if (lock == nullptr) return nullptr;
  pthread_mutexattr_t attributes;
  bool made = pthread_mutexattr_init(&attributes) == 0;
  if (made) {
    made = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
           pthread_mutex_init(&lock->mutex, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
  }
  if (!made) {
    delete lock;
    return nullptr;
  }
  return lock;
}

RecursiveLock* StaticRecursiveLock() {
  // glibc's constant initialiser: nothing runs that could fail.
  static RecursiveLock lock = {PTHREAD_RECURSIVE_MUTEX_INITIALIZER_NP};
  return &lock;
}

void DeleteRecursiveLock(RecursiveLock* lock) {
  if (lock == nullptr) return;
  pthread_mutex_destroy(&lock->mutex);
  delete lock;
}

void EnterLock(RecursiveLock* lock) {
  if (lock != nullptr) pthread_mutex_lock(&lock->mutex);
}

void LeaveLock(RecursiveLock* lock) {
  if (lock != nullptr) pthread_mutex_unlock(&lock->mutex);
}

// ---- debug channel -------------------------------------------------------------

void WriteDebugMessage(const char* message) {
  if (message == nullptr) return;
  const char* sink = std::getenv("ORVEL_DEBUG_LOG");
  if (sink == nullptr || *sink == '\0') return;
  const int fd = open(sink, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  // One write per message: O_APPEND keeps concurrent writers' messages whole.
  const ssize_t written = write(fd, message, std::strlen(message));
  (void)written;
  close(fd);
}

void BreakIntoDebugger() {}

void UseBinaryStandardStreams() {}

// ---- modules ---------------------------------------------------------------------

ModuleHandle LoadModule(const char* path) {
  if (path == nullptr || *path == '\0') return nullptr;
  return dlopen(path, RTLD_NOW);
}

ModuleHandle FindLoadedModule(const char* name) {
  if (name == nullptr || *name == '\0') return nullptr;
  return dlopen(name, RTLD_NOW | RTLD_NOLOAD);
}

void ReleaseModuleReference(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

void* FindSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

void* ModuleBaseOf(const void* address) {
  Dl_info info;
  if (address == nullptr || dladdr(address, &info) == 0) return nullptr;
  return info.dli_fbase;
}

const char* FactoryLibraryModuleName() { return "libZandrop.so"; }

// ---- files -------------------------------------------------------------------------

int FileAttributes(const char* path) {
  struct stat st;
  if (path == nullptr || stat(path, &st) != 0) return InvalidFileAttributes;
  return S_ISDIR(st.st_mode) ? FileAttributeDirectory : 0;
}

int AccessPath(const char* path, int mode) {
  if (path == nullptr) return -1;
  int how = F_OK;
  if (mode & 2) how |= W_OK;
  if (mode & 4) how |= R_OK;
  return access(path, how) == 0 ? 0 : -1;
}

bool ExecutablePath(char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  char full[4096];
  const ssize_t n = readlink("/proc/self/exe", full, sizeof full);
  // readlink cuts silently: a name that fills the buffer may have been cut.
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof full || static_cast<std::size_t>(n) >= capacity)
    return false;
  const std::size_t length = static_cast<std::size_t>(n);
  std::memcpy(out, full, length);
  out[length] = '\0';
  return true;
}

// ---- text and paths ------------------------------------------------------------

int CompareNoCase(const char* a, const char* b, std::size_t n) { return strncasecmp(a, b, n); }

bool IsRelativePath(const char* path) { return path == nullptr || path[0] != '/'; }

// ---- memory --------------------------------------------------------------------

void AdviseLargePages(void* p, std::size_t n) {
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t end = (begin + n) & ~(kLargePage - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)p;
  (void)n;
#endif
}

char* AllocateZeroedPages(std::size_t n) {
  void* p = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<char*>(p);
}

void DiscardPages(char* p, std::size_t n) {
  const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t first = (begin + page - 1) & ~(page - 1);
  const std::uintptr_t end = (begin + n) & ~(page - 1);
  if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

void FreeZeroedPages(char* p, std::size_t n) {
  if (p != nullptr) munmap(p, n);
}

}  // namespace platform
}  // namespace orvel

#endif  // !_WIN32
