// The component class of the in-process concurrency tests, built on
// ComponentBase as XmlComponent is, registered under kWorkComponentID.
#pragma once

#include <string>
#include <vector>

#include "module/component_base.h"
#include "module/factory_access.h"

namespace orvel {
namespace test {

constexpr ComponentID kWorkComponentID = 801;

class WorkComponent final : public ComponentBase<IComponent> {
 public:
  WorkComponent() : scratch_(64) { RegisterPathUtility(registration_); }

  // One guarded call, as a component operation makes it: returns the
  // configuration path read through slot 65 and joins a name to the data
  // root. With releaseInside the component is released during the call.
  std::string Work(bool releaseInside);

  void ReservedNoOp() override {}

 private:
  std::vector<char> scratch_;  // allocated after the base part: construction can fail half-way
  PathRegistrationRecord registration_;
};

}  // namespace test
}  // namespace orvel
