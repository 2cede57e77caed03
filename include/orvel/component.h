// The framework's component interface: the five slots every component answers.
#pragma once

#include <cstdint>

namespace orvel {

using ComponentID = std::uint32_t;
using CreatorID = std::uint32_t;

// Slot order is part of the binary interface: append only, never reorder.
// Booleans cross the boundary as int holding exactly 0 or 1.
class IComponent {
 public:
  virtual unsigned int GetComponentID() = 0;   // slot 0
  virtual int ReservedQuery() = 0;             // slot 1
  virtual void Release(int value) = 0;         // slot 2
  virtual int GetAutoRelease() = 0;            // slot 3
  virtual void SetAutoRelease(int value) = 0;  // slot 4

 protected:
  // Hosts release components, they never delete them; no destructor slot.
  ~IComponent() = default;
};

}  // namespace orvel
