// LiveComponentMap: every component handed out and not yet destroyed, keyed
// by address; the idle notice, the free-map walk and the leak report at
// unload. The load/unload object lives here too, defined after the map, so
// that the leak report runs while the map still exists.
#include <cinttypes>
#include <iterator>
#include <map>

#include "factory/zandrop.h"
#include "module/factory_access.h"
#include "module/module_internal.h"
#include "orvel/constants.h"
#include "platform/module_entry.h"
#include "platform/platform.h"

namespace orvel {
namespace {

struct LiveComponentEntry {
  ComponentID componentId;
  CreatorID creatorId;
  IComponent* component;
};

// Keys are whole addresses, ordered as unsigned numbers.
using LiveComponentMap = std::map<std::uintptr_t, LiveComponentEntry>;
LiveComponentMap g_liveComponents;

std::uintptr_t KeyOf(const IComponent* component) { return reinterpret_cast<std::uintptr_t>(component); }

constexpr int kAddressDigits = static_cast<int>(sizeof(void*) * 2);

void LogBanner() { DebugLog("Orvel[Error]:=================================================================\n"); }

// Tells the factory component 361 that this module holds no components any more.
void SendIdleNotice() {
  ComponentFactoryAccess access(FactoryComponentID, 1);
  if (access.component() == nullptr) return;
  static_cast<IComponentFactory*>(access.component())->IdleNotice(ModuleInstanceHandle());
}

// Process attach and detach of the module where the system has no entry
// point that tells of them: the library's load and unload.
class ModuleLifecycle {
 public:
  ModuleLifecycle() {
    if (!platform::kEntryPointNotifies) {
      OnProcessAttach(platform::ModuleBaseOf(reinterpret_cast<const void*>(&KeyOf)));
    }
  }
  ~ModuleLifecycle() {
    if (!platform::kEntryPointNotifies) OnProcessDetach();
  }
};
ModuleLifecycle g_moduleLifecycle;

}  // namespace

void OnProcessAttach(void* moduleInstance) {
  SaveModuleInstanceHandle(moduleInstance);
  EnsureModuleLock();
}

void OnProcessDetach() {
  if (!ModuleLockExists()) return;
  ReportLeakedComponents();
  DeleteModuleLock();
}

void InsertLiveComponent(IComponent* component, ComponentID componentId, CreatorID creatorId) {
  ModuleLockScope lock;
  g_liveComponents[KeyOf(component)] = LiveComponentEntry{componentId, creatorId, component};
}

std::size_t LiveComponentCount() { return g_liveComponents.size(); }

void RemoveLiveComponent(std::uintptr_t address, int notify) {
  ModuleLockScope lock;
  const auto found = g_liveComponents.find(address);
  if (found != g_liveComponents.end()) {
    g_liveComponents.erase(found);
  } else {
    DebugLog("Orvel[Error]: To remove a component not exist\n");
    DebugLog("Orvel[Error]: IComponent* = 0x%0*" PRIXPTR "\n", kAddressDigits, address);
  }
  if (g_liveComponents.empty() && notify != 0) {
    try {
      SendIdleNotice();
    } catch (...) {
      // Reached from Release and from guard destructors: nothing may escape.
    }
  }
}

void ReleaseAutoReleasedComponents() {
  ModuleLockScope lock;
  auto position = g_liveComponents.begin();
  while (position != g_liveComponents.end()) {
    const std::uintptr_t key = position->first;
    IComponent* component = position->second.component;
    if (component->GetAutoRelease() != 0) component->Release(0);
    // The release may have erased this entry (and invalidated position).
    const auto again = g_liveComponents.find(key);
    position = again == g_liveComponents.end() ? g_liveComponents.begin() : std::next(again);
  }
}

void ReportLeakedComponents() {
  ModuleLockScope lock;
  if (g_liveComponents.empty()) return;
  LogBanner();
  DebugLog("Orvel[Error]:Found leak Orvel components. Count:%d\n", static_cast<int>(g_liveComponents.size()));
  for (const auto& [key, entry] : g_liveComponents) {
    DebugLog("Orvel[Error]:ComponentID:0x%08x CreatorID:0x%08x Pointer:0x%08" PRIxPTR "\n", entry.componentId,
             entry.creatorId, key);
  }
  LogBanner();
}

}  // namespace orvel
