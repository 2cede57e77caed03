// The seven exported functions of an Orvel module (undecorated names; the
// win32 build pins them to ordinals 1 to 7).
#pragma once

#include <cstdint>

#include "orvel/component.h"

#if defined(_WIN32)
#define ORVEL_EXPORT_CALL __cdecl
#else
#define ORVEL_EXPORT_CALL
#endif

#if defined(ORVEL_BUILDING_MODULE)
#if defined(_WIN32)
#define ORVEL_EXPORT
#else
#define ORVEL_EXPORT __attribute__((visibility("default")))
#endif
#else
#define ORVEL_EXPORT
#endif

extern "C" {
ORVEL_EXPORT orvel::IComponent* ORVEL_EXPORT_CALL CreateComponent(std::uint32_t componentId,
                                                                  std::uint32_t creatorId);  // 1
ORVEL_EXPORT int ORVEL_EXPORT_CALL SetDLLRegistry(const char* configurationPath);            // 2
ORVEL_EXPORT void ORVEL_EXPORT_CALL OrvelDllFreeMap();                                       // 3
ORVEL_EXPORT int ORVEL_EXPORT_CALL OrvelDllCanUnloadNow();                                   // 4
ORVEL_EXPORT void* ORVEL_EXPORT_CALL SetFactoryHandle(void* handle);                         // 5
ORVEL_EXPORT int ORVEL_EXPORT_CALL OrvelSetDllSafe(int value);                               // 6
ORVEL_EXPORT int ORVEL_EXPORT_CALL GetComponentIDs(std::uint32_t* destination,
                                                   std::uint32_t capacity);                  // 7
}

// Pointer types for hosts that resolve the exports at run time.
namespace orvel {
using CreateComponentFn = IComponent*(ORVEL_EXPORT_CALL*)(std::uint32_t, std::uint32_t);
using SetDLLRegistryFn = int(ORVEL_EXPORT_CALL*)(const char*);
using OrvelDllFreeMapFn = void(ORVEL_EXPORT_CALL*)();
using OrvelDllCanUnloadNowFn = int(ORVEL_EXPORT_CALL*)();
using SetFactoryHandleFn = void*(ORVEL_EXPORT_CALL*)(void*);
using OrvelSetDllSafeFn = int(ORVEL_EXPORT_CALL*)(int);
using GetComponentIDsFn = int(ORVEL_EXPORT_CALL*)(std::uint32_t*, std::uint32_t);
}  // namespace orvel
