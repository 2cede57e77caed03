// Interface of the test component served by the test module (ComponentID 1):
// a few operations that expose the module plumbing to a host process.
#pragma once

#include <cstdint>

#include "orvel/component.h"

namespace orvel {
namespace test {

// Ids the test module registers: the test component, and an id whose creator yields null.
enum : std::uint32_t { TestComponentID = 1, NullCreatorID = 5 };

class ITestComponent : public IComponent {
 public:
  // Slot 5: releases this component `times` times inside one guarded call;
  // returns the live flag seen just before the call ends.
  virtual int ReleaseDuringCall(int times) = 0;
  // Slot 6: copies the four words of the path registration record.
  virtual int ReadRegistration(std::int32_t* words) = 0;
  // Slot 7: copies DataRootDirectory() into buf when it fits.
  virtual int ReadDataRoot(char* buf, int len) = 0;
  // Slot 8: JoinToDataRoot(name, buf, len).
  virtual int JoinDataRoot(const char* name, char* buf, int len) = 0;

 protected:
  ~ITestComponent() = default;
};

// Slots that follow the interface in the component's table.
constexpr int kTestInterfaceSlots = 9;

}  // namespace test
}  // namespace orvel
