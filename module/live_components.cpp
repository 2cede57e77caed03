// LiveComponentMap: every component handed out and not yet destroyed, keyed
// by address; the idle notice, the free-map walk and the leak report at
// unload. The load/unload object lives here too, defined after the map, so
// that the leak report runs while the map still exists.
#include <cinttypes>
#include <iterator>
#include <utility>

#include "module/factory_access.h"
#include "module/module_internal.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/module_entry.h"
#include "platform/platform.h"

namespace orvel {
namespace {

LiveComponentMap g_liveComponents;
// Guarded by the module lock: removals whose thread still runs the module's
// code for them (the destruction, the idle notice), and OrvelDllFreeMap calls
// until their notices are out. The module is not unloadable while one runs.
int g_removalsUnderWay = 0;
// OrvelDllFreeMap walks on the thread that holds the lock, and the idle
// notices their releases owe: sent once the walk has left the lock.
int g_freeMapWalks = 0;
int g_deferredNotices = 0;

std::uintptr_t KeyOf(const IComponent* component) { return reinterpret_cast<std::uintptr_t>(component); }

constexpr int kAddressDigits = static_cast<int>(sizeof(void*) * 2);

void LogBanner() { DebugLog("Orvel[Error]:=================================================================\n"); }

// Tells the factory component 361 that this module holds no components any
// more. Never under the module lock: loading the factory takes the loader's
// lock, which a thread unloading a module holds while it waits for ours.
void SendIdleNotice() {
  try {
    ComponentFactoryAccess access(FactoryComponentID, 1);
    if (access.component() == nullptr) return;
    static_cast<IComponentFactory*>(access.component())->IdleNotice(ModuleInstanceHandle());
  } catch (...) {
    // Reached from Release and from guard destructors: nothing may escape.
  }
}

// True when this thread is inside an OrvelDllFreeMap walk, which then sends
// the notice itself.
bool DeferToFreeMapWalk() {
  ModuleLockScope lock;
  // While a walk runs, its thread holds the lock: a thread that gets the lock
  // and sees a walk is that thread.
  if (g_freeMapWalks == 0) return false;
  ++g_deferredNotices;
  return true;
}

void EndRemoval() {
  ModuleLockScope lock;
  --g_removalsUnderWay;
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

LiveComponentMap::node_type ReserveLiveEntry() {
  LiveComponentMap scratch;
  scratch.emplace(0, LiveComponentEntry{});
  return scratch.extract(scratch.begin());
}

void InsertLiveComponent(LiveComponentMap::node_type entry, IComponent* component, ComponentID componentId,
                         CreatorID creatorId) {
  entry.key() = KeyOf(component);
  entry.mapped() = LiveComponentEntry{componentId, creatorId, component};
  ModuleLockScope lock;
  const auto inserted = g_liveComponents.insert(std::move(entry));
  if (!inserted.inserted) inserted.position->second = inserted.node.mapped();
}

int ModuleIsIdle() {
  ModuleLockScope lock;
  return g_liveComponents.empty() && g_removalsUnderWay == 0 ? 1 : 0;
}

LiveComponentRemoval TakeLiveComponent(std::uintptr_t address, int notify) {
  ModuleLockScope lock;
  ++g_removalsUnderWay;
  const bool found = g_liveComponents.erase(address) != 0;
  return LiveComponentRemoval{address, found, notify != 0 && g_liveComponents.empty()};
}

void FinishLiveComponentRemoval(const LiveComponentRemoval& removal) {
  if (!removal.found) {
    DebugLog("Orvel[Error]: To remove a component not exist\n");
    DebugLog("Orvel[Error]: IComponent* = 0x%0*" PRIXPTR "\n", kAddressDigits, removal.address);
  }
  if (removal.notifyIdle && !DeferToFreeMapWalk()) SendIdleNotice();
  EndRemoval();
}

void RemoveLiveComponent(std::uintptr_t address, int notify) {
  FinishLiveComponentRemoval(TakeLiveComponent(address, notify));
}

void ReleaseAutoReleasedComponents() {
  int owedNotices = 0;
  {
    ModuleLockScope lock;
    if (g_liveComponents.empty()) return;
    ++g_removalsUnderWay;
    ++g_freeMapWalks;
    auto position = g_liveComponents.begin();
    while (position != g_liveComponents.end()) {
      const std::uintptr_t key = position->first;
      IComponent* component = position->second.component;
      if (component->GetAutoRelease() != 0) component->Release(0);
      // The release may have erased this entry (and invalidated position).
      const auto again = g_liveComponents.find(key);
      position = again == g_liveComponents.end() ? g_liveComponents.begin() : std::next(again);
    }
    if (--g_freeMapWalks == 0) owedNotices = std::exchange(g_deferredNotices, 0);
  }
  for (; owedNotices > 0; --owedNotices) SendIdleNotice();
  EndRemoval();
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
