// Module-wide state and the registry operations other parts of the module use.
#pragma once

#include <cstdint>

#include "orvel/component.h"

namespace orvel {

using ComponentCreator = IComponent* (*)();

// Appends (id, creator) to the creator table; ignored when full, id 0 or creator null.
void RegisterComponentCreator(ComponentID id, ComponentCreator creator);
// First creator registered for id, or null.
ComponentCreator FindComponentCreator(ComponentID id);
// Erases the component at address from the live map (logging when absent) and
// sends the idle notice to component 361 when the map becomes empty and notify
// is non-zero. The component is already destroyed: its address is only a key.
void RemoveLiveComponent(std::uintptr_t address, int notify);

// Module lock: recursive, created on first use (which also sets the dll-safe flag).
void LockModule();
void UnlockModule();

// 0 makes Release a no-op; set to 1 when the module lock is created.
int DllSafeFlag();
// The configuration path set by SetDLLRegistry ("" when unset).
const char* ConfigurationPath();
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
