// Module-internal operations behind the exports; not used outside module/.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/module_state.h"

namespace orvel {

// ---- settings written by the exports ---------------------------------------
void SetDllSafeFlag(int value);
// Stores path when it is not null and shorter than 260 characters, else empties the setting.
void SetConfigurationPath(const char* path);
// Copies the configuration path into out (260 bytes) under the module lock.
void CopyConfigurationPath(char* out);
void SetFactoryLibraryHandle(void* handle);
void SaveModuleInstanceHandle(void* handle);

// ---- module lock -----------------------------------------------------------
// Creates the lock unless it exists (which sets the dll-safe flag to 1).
void EnsureModuleLock();
// Deletes the lock at unload; a later use would create it again.
void DeleteModuleLock();
bool ModuleLockExists();

// Holds the module lock for one scope.
class ModuleLockScope {
 public:
  ModuleLockScope() { LockModule(); }
  ~ModuleLockScope() { UnlockModule(); }
  ModuleLockScope(const ModuleLockScope&) = delete;
  ModuleLockScope& operator=(const ModuleLockScope&) = delete;
};

// ---- creator table ---------------------------------------------------------
constexpr int kFactoryTableSlots = 512;
// Writes up to capacity ids into destination; returns the table's full count.
int CopyComponentIDs(std::uint32_t* destination, std::uint32_t capacity);

// ---- live components -------------------------------------------------------
// Records component under its address (overwriting an entry at the same address).
void InsertLiveComponent(IComponent* component, ComponentID componentId, CreatorID creatorId);
std::size_t LiveComponentCount();
// Releases every live component whose auto-release value is non-zero.
void ReleaseAutoReleasedComponents();
// Logs the components still alive (at unload); touches none of them.
void ReportLeakedComponents();

// ---- debug log -------------------------------------------------------------
// DebugLog with the factory-loading limit: the text is cut at 1022 characters.
void FactoryLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace orvel
