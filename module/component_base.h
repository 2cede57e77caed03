// ComponentBase: the five common slots, the live state and the release logic
// that defers destruction while calls are in progress. UsageGuard brackets
// every interface call.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <exception>
#include <list>
#include <map>
#include <type_traits>

#include "module/module_state.h"
#include "orvel/constants.h"

namespace orvel {

// An object a component may own; only its virtual destructor matters.
class OwnedObject {
 public:
  virtual ~OwnedObject() = default;
};

class OwnedObjectLists {
 public:
  virtual ~OwnedObjectLists() {
    for (OwnedObject* o : ownedList) delete o;
    ownedList.clear();
    DestroyMapped();
  }

 protected:
  void DestroyMapped() {
    for (auto& entry : ownedMap) delete entry.second;
    ownedMap.clear();
  }
  std::map<std::int32_t, OwnedObject*> ownedMap;
  std::list<OwnedObject*> ownedList;
};

// A component's table: its interface, then the release hook and
// GetConfigurationPath. An interface that declares the two itself (the
// host-facing IXmlComponentTable) already is that table.
template <class Interface, class = void>
class WithBaseSlots : public Interface {
 public:
  virtual void ReservedNoOp() = 0;
  virtual void GetConfigurationPath(const char* name, char* buf, int len) = 0;

 protected:
  ~WithBaseSlots() = default;
};
template <class Interface>
class WithBaseSlots<Interface, std::void_t<decltype(&Interface::GetConfigurationPath)>> : public Interface {
 protected:
  ~WithBaseSlots() = default;
};

template <class Interface>
class ComponentBase : public WithBaseSlots<Interface>, public OwnedObjectLists {
 public:
  ComponentBase() = default;

  unsigned int GetComponentID() override { return XmlComponentID; }  // slot 0
  int ReservedQuery() override { return 1; }                         // slot 1

  // Slot 2: runs the release hook once, then destroys the component when no
  // call is in progress (otherwise the last UsageGuard calls Release again).
  void Release(int /*value*/) override {
    if (DllSafeFlag() == 0) return;
    if (liveFlag != 0) {
      ReservedNoOp();
      DestroyMapped();
      liveFlag = 0;
    }
    if (nestingCount != 0) return;
    const unsigned int id = this->GetComponentID();
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(static_cast<IComponent*>(this));
    const LiveComponentRemoval removal = TakeLiveComponent(address, id != FactoryComponentID ? 1 : 0);
    delete static_cast<OwnedObjectLists*>(this);
    FinishLiveComponentRemoval(removal);
  }

  // OrvelDllFreeMap reads the value from whatever thread calls it; setting a
  // non-zero value hands the component over to that thread.
  int GetAutoRelease() override { return autoRelease.load(std::memory_order_acquire); }             // slot 3
  void SetAutoRelease(int value) override { autoRelease.store(value, std::memory_order_release); }  // slot 4

  // Slot 64: the release hook, run while the live flag is still set.
  void ReservedNoOp() override = 0;

  // Slot 65: copies name (or, when name is null or empty, the module's
  // configuration path) into buf when it fits with its NUL.
  void GetConfigurationPath(const char* name, char* buf, int len) override {
    if (buf == nullptr || len <= 0) return;
    char configured[kConfigurationPathCapacity];
    if (name == nullptr || *name == '\0') {
      CopyConfigurationPath(configured);
      name = configured;
    }
    const std::size_t n = std::strlen(name);
    if (n < static_cast<std::size_t>(len)) std::memcpy(buf, name, n + 1);
  }

  // Declared after slot 65 so that the destructor's entries follow it.
  // Release clears the live flag before it destroys; a live component
  // destroyed while an exception is in flight is one whose construction
  // failed (out of memory), which is no misuse.
  ~ComponentBase() override {
    if ((liveFlag != 0 || nestingCount != 0) && std::uncaught_exceptions() == 0) {
      AssertionFailed("component destroyed while live or in a call");
    }
  }

  std::int32_t liveFlag = 1;
  std::int32_t nestingCount = 0;
  std::atomic<std::int32_t> autoRelease{0};
};

// Raises the nesting count for one call; on every way out lowers it and
// completes a release that happened during the call.
class UsageGuard {
 public:
  template <class Interface>
  explicit UsageGuard(ComponentBase<Interface>* component)
      : live_(&component->liveFlag), nesting_(&component->nestingCount), component_(component) {
    ++*nesting_;
  }
  virtual ~UsageGuard() {
    if (live_ == nullptr || nesting_ == nullptr) return;
    --*nesting_;
    if (*nesting_ == 0 && *live_ == 0) component_->Release(0);
  }
  UsageGuard(const UsageGuard&) = delete;
  UsageGuard& operator=(const UsageGuard&) = delete;

 private:
  std::int32_t* live_;
  std::int32_t* nesting_;
  IComponent* component_;
};

}  // namespace orvel
