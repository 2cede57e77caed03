// Access to the framework's factory library and the components it creates.
#pragma once

#include <cstdint>

#include "orvel/component.h"

namespace orvel {

// Record shared with the factory library when a path utility registers
// itself; the factory receives its address and fills two words.
struct PathRegistrationRecord {
  std::int32_t reserved0 = 0;
  std::int32_t argumentWord = 0;  // its address is passed separately
  std::int32_t resultWord1 = -1;  // second word of the registration result
  std::int32_t resultWord0 = 0;   // first word of the registration result
  char name[64] = {};
  char kind[16] = {};
  char tail[16] = {};
};
static_assert(sizeof(PathRegistrationRecord) == 112, "registration record ends within 112 bytes");

// Registers record with the factory library when that library is already
// loaded in the process; silent when it is not.
void RegisterPathUtility(PathRegistrationRecord& record);

// Scoped request for one component of the factory library. Construction loads
// the factory (ini file or SetFactoryHandle), asks it for componentId and sets
// autoRelease on what it gets; destruction releases that component, except for
// the factory component 361 (the idle notice), which is left alone. The
// factory object itself is never released.
class ComponentFactoryAccess {
 public:
  ComponentFactoryAccess(ComponentID componentId, int autoRelease);
  ~ComponentFactoryAccess();
  ComponentFactoryAccess(const ComponentFactoryAccess&) = delete;
  ComponentFactoryAccess& operator=(const ComponentFactoryAccess&) = delete;

  // The component obtained, or null when the factory or the component could not be had.
  IComponent* component() const { return component_; }
  IComponent* factory() const { return factory_; }

 private:
  IComponent* component_ = nullptr;
  IComponent* factory_ = nullptr;
  ComponentID componentId_;
};

// Directory of the host executable (no trailing separator); cached. Empty
// when the executable's name cannot be had whole (a path over 259 bytes).
const char* HostDirectory();
// Directory for relative document paths: named by the configuration store
// (component 991), else the host directory. Cached once known; never null,
// empty when neither is known.
const char* DataRootDirectory();
// out = DataRootDirectory + separator + name, always NUL-terminated. 0 (out
// empty when it has room) when name or out is null, capacity is below 2, the
// data root is not known or the joined path does not fit; else 1.
int JoinToDataRoot(const char* name, char* out, int capacity);

}  // namespace orvel
