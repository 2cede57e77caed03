// Module-wide state and the registry operations other parts of the module use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvel/component.h"

namespace orvel {

using ComponentCreator = IComponent* (*)();

// Appends (id, creator) to the creator table; ignored when full, id 0 or creator null.
void RegisterComponentCreator(ComponentID id, ComponentCreator creator);
// First creator registered for id, or null.
ComponentCreator FindComponentCreator(ComponentID id);
// A component's removal from the live map, in two halves around its
// destruction: its entry leaves the map before the object goes, so that no
// other thread meets a destroyed component there and a new component at the
// same address keeps its own entry; the idle notice follows once the object is
// gone, outside the module lock.
struct LiveComponentRemoval {
  std::uintptr_t address;
  bool found;       // the address had an entry
  bool notifyIdle;  // the map became empty and the notify flag was set
};
// Erases the entry at address under the module lock. Until the matching
// FinishLiveComponentRemoval the module does not count as unloadable.
LiveComponentRemoval TakeLiveComponent(std::uintptr_t address, int notify);
// Logs a missing entry, then sends the idle notice to component 361 when the
// removal emptied the map (after the current OrvelDllFreeMap walk, when one
// runs on this thread).
void FinishLiveComponentRemoval(const LiveComponentRemoval& removal);
// Both halves at once, for a component that is already destroyed.
void RemoveLiveComponent(std::uintptr_t address, int notify);

// Module lock: recursive, created on first use (which also sets the dll-safe flag).
void LockModule();
void UnlockModule();

// 0 makes Release a no-op; set to 1 when the module lock is created.
int DllSafeFlag();
constexpr std::size_t kConfigurationPathCapacity = 260;
// Copies the configuration path set by SetDLLRegistry ("" when unset) into
// out (kConfigurationPathCapacity bytes) under the module lock.
void CopyConfigurationPath(char* out);
// The factory library handle set by SetFactoryHandle, or null.
void* FactoryLibraryHandle();
void* ModuleInstanceHandle();

// printf-style message, sent whole to the platform debug channel (1023 characters at most).
void DebugLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Debugging aid for the component assertions: logs, and stops in an attached
// debugger where the platform has one (Windows); the flow goes on either way.
void AssertionFailed(const char* what);

}  // namespace orvel
