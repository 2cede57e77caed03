// Module-wide settings: the dll-safe switch, the configuration path, the
// factory library handle and the module instance handle.
#include <atomic>
#include <cstring>

#include "module/module_internal.h"

namespace orvel {
namespace {

// Constant-initialised storage: usable from any static initialiser. The
// switch and the handle are single values written without the lock and read
// by any thread.
std::atomic<int> g_dllSafeFlag{0};
char g_configurationPath[kConfigurationPathCapacity] = {};  // guarded by the module lock
std::atomic<void*> g_factoryLibraryHandle{nullptr};
void* g_moduleInstanceHandle = nullptr;  // written once, at load

}  // namespace

int DllSafeFlag() { return g_dllSafeFlag.load(std::memory_order_relaxed); }
void SetDllSafeFlag(int value) { g_dllSafeFlag.store(value, std::memory_order_relaxed); }

void SetConfigurationPath(const char* path) {
  ModuleLockScope lock;
  if (path != nullptr && std::strlen(path) < kConfigurationPathCapacity) {
    std::memcpy(g_configurationPath, path, std::strlen(path) + 1);
  } else {
    g_configurationPath[0] = '\0';
  }
}

void CopyConfigurationPath(char* out) {
  ModuleLockScope lock;
  std::memcpy(out, g_configurationPath, kConfigurationPathCapacity);
}

void* FactoryLibraryHandle() { return g_factoryLibraryHandle.load(std::memory_order_acquire); }
void SetFactoryLibraryHandle(void* handle) {
  g_factoryLibraryHandle.store(handle, std::memory_order_release);
}

void* ModuleInstanceHandle() { return g_moduleInstanceHandle; }
void SaveModuleInstanceHandle(void* handle) { g_moduleInstanceHandle = handle; }

}  // namespace orvel
