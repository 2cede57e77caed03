// Module-wide settings: the dll-safe switch, the configuration path, the
// factory library handle and the module instance handle.
#include <cstring>

#include "module/module_internal.h"

namespace orvel {
namespace {

constexpr std::size_t kPathBufferSize = 260;

// Plain zero-initialised storage: usable from any static initialiser.
int g_dllSafeFlag = 0;
char g_configurationPath[kPathBufferSize] = {};
void* g_factoryLibraryHandle = nullptr;
void* g_moduleInstanceHandle = nullptr;

}  // namespace

int DllSafeFlag() { return g_dllSafeFlag; }
void SetDllSafeFlag(int value) { g_dllSafeFlag = value; }

const char* ConfigurationPath() { return g_configurationPath; }

void SetConfigurationPath(const char* path) {
  ModuleLockScope lock;
  if (path != nullptr && std::strlen(path) < kPathBufferSize) {
    std::memcpy(g_configurationPath, path, std::strlen(path) + 1);
  } else {
    g_configurationPath[0] = '\0';
  }
}

void CopyConfigurationPath(char* out) {
  ModuleLockScope lock;
  std::memcpy(out, g_configurationPath, kPathBufferSize);
}

void* FactoryLibraryHandle() { return g_factoryLibraryHandle; }
void SetFactoryLibraryHandle(void* handle) { g_factoryLibraryHandle = handle; }

void* ModuleInstanceHandle() { return g_moduleInstanceHandle; }
void SaveModuleInstanceHandle(void* handle) { g_moduleInstanceHandle = handle; }

}  // namespace orvel
