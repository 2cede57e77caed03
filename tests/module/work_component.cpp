#include "tests/module/work_component.h"

#include <new>

#include "module/factory_access.h"

namespace orvel {
namespace test {

std::string WorkComponent::Work(bool releaseInside) {
  UsageGuard guard(this);
  char path[260] = {};
  GetConfigurationPath(nullptr, path, sizeof path);
  char joined[260];
  JoinToDataRoot("doc.xml", joined, sizeof joined);
  if (releaseInside) Release(0);
  return path;
}

namespace {

IComponent* CreateWorkComponent() {
  try {
    return new (std::nothrow) WorkComponent;
  } catch (...) {
    return nullptr;
  }
}

const bool g_registered = (RegisterComponentCreator(kWorkComponentID, &CreateWorkComponent), true);

}  // namespace
}  // namespace test
}  // namespace orvel
