// Base of every object the factory library hands out: the five common slots,
// and a link in the library's list of live objects, which frees what is still
// held when the library unloads.
#pragma once

#include <atomic>
#include <cstdint>

#include "orvel/component.h"

namespace zandrop {

struct ObjectLink {
  ObjectLink* previous = nullptr;
  ObjectLink* next = nullptr;
  void* object = nullptr;
  void (*destroy)(void* object) = nullptr;
};

// Adds link to / removes it from the list of live objects.
void TrackObject(ObjectLink* link);
void UntrackObject(ObjectLink* link);
// Number of objects handed out and not yet released.
int LiveObjectCount();

// Implements slots 0 to 4 for Derived (which must be final and derive from it
// as its only base). Interface is the component's slot layout.
template <class Derived, class Interface, std::uint32_t kComponentId>
class FactoryObject : public Interface {
 public:
  FactoryObject() {
    link_.object = this;
    link_.destroy = &Destroy;
    TrackObject(&link_);
  }

  unsigned int GetComponentID() override { return kComponentId; }         // slot 0
  int ReservedQuery() override { return static_cast<int>(kComponentId); }  // slot 1
  void Release(int /*value*/) override { Destroy(this); }                  // slot 2
  int GetAutoRelease() override { return autoRelease_; }                   // slot 3
  void SetAutoRelease(int value) override { autoRelease_ = value; }        // slot 4 (from any thread)

 protected:
  ~FactoryObject() { UntrackObject(&link_); }

 private:
  static void Destroy(void* object) { delete static_cast<Derived*>(static_cast<FactoryObject*>(object)); }

  ObjectLink link_;
  std::atomic<int> autoRelease_{0};
};

}  // namespace zandrop
