// Module-internal operations behind the exports; not used outside module/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "module/module_state.h"

namespace orvel {

// ---- settings written by the exports ---------------------------------------
void SetDllSafeFlag(int value);
// Stores path when it is not null and shorter than 260 characters, else empties the setting.
void SetConfigurationPath(const char* path);
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
struct LiveComponentEntry {
  ComponentID componentId;
  CreatorID creatorId;
  IComponent* component;
};
// Keys are whole addresses, ordered as unsigned numbers.
using LiveComponentMap = std::map<std::uintptr_t, LiveComponentEntry>;

// The map node for one component, allocated before the component is created
// (throws std::bad_alloc): entering the component then cannot fail, and a
// failure leaves nothing to undo.
LiveComponentMap::node_type ReserveLiveEntry();
// Records component under its address in the reserved node (overwriting an
// entry at the same address).
void InsertLiveComponent(LiveComponentMap::node_type entry, IComponent* component, ComponentID componentId,
                         CreatorID creatorId);
// 1 when no component is live and no removal is still running the module's
// code (destroying its component or sending the idle notice), else 0.
int ModuleIsIdle();
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
