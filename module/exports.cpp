// The seven exported entry points of the module. Nothing thrown inside
// crosses them: every failure shows as null, 0 or a log line.
#include <utility>

#include "module/module_internal.h"
#include "orvel/exports.h"

using orvel::IComponent;

extern "C" {

ORVEL_EXPORT IComponent* ORVEL_EXPORT_CALL CreateComponent(std::uint32_t componentId, std::uint32_t creatorId) {
  try {
    const orvel::ComponentCreator create = orvel::FindComponentCreator(componentId);
    if (create == nullptr) {
      orvel::DebugLog("Orvel[Error]: Can't find the factory method of Component\n");
      orvel::DebugLog("Orvel[Error]: ComponentID=%d CreatorID=%u", static_cast<int>(componentId), creatorId);
      return nullptr;
    }
    // Allocated first, so that a component once created is always entered.
    orvel::LiveComponentMap::node_type entry = orvel::ReserveLiveEntry();
    IComponent* component = create();
    if (component == nullptr) {
      orvel::DebugLog("Orvel[Error]:CreateComponent method return NULL.\n");
      orvel::DebugLog("Orvel[Error]: ComponentID=%d CreatorID=%u", static_cast<int>(componentId), creatorId);
      return nullptr;
    }
    orvel::InsertLiveComponent(std::move(entry), component, componentId, creatorId);
    return component;
  } catch (...) {
    return nullptr;
  }
}

ORVEL_EXPORT int ORVEL_EXPORT_CALL SetDLLRegistry(const char* configurationPath) {
  orvel::SetConfigurationPath(configurationPath);
  return 0;
}

ORVEL_EXPORT void ORVEL_EXPORT_CALL OrvelDllFreeMap() {
  try {
    orvel::ReleaseAutoReleasedComponents();
  } catch (...) {
  }
}

ORVEL_EXPORT int ORVEL_EXPORT_CALL OrvelDllCanUnloadNow() { return orvel::ModuleIsIdle(); }

ORVEL_EXPORT void* ORVEL_EXPORT_CALL SetFactoryHandle(void* handle) {
  orvel::SetFactoryLibraryHandle(handle);
  return handle;
}

ORVEL_EXPORT int ORVEL_EXPORT_CALL OrvelSetDllSafe(int value) {
  orvel::SetDllSafeFlag(value);
  return value;
}

ORVEL_EXPORT int ORVEL_EXPORT_CALL GetComponentIDs(std::uint32_t* destination, std::uint32_t capacity) {
  return orvel::CopyComponentIDs(destination, capacity);
}

}  // extern "C"
