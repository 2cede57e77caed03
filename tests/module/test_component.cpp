// The test module's one component class, built on ComponentBase like the XML
// component, and its registration from a static object.
#include <cstring>
#include <new>

#include "module/component_base.h"
#include "module/factory_access.h"
#include "module/module_state.h"
#include "tests/module/test_component.h"

namespace orvel {
namespace test {
namespace {

class TestComponent final : public ComponentBase<ITestComponent> {
 public:
  TestComponent() { RegisterPathUtility(registration_); }
  ~TestComponent() override { DebugLog("TestComponent: destroyed\n"); }

  int ReleaseDuringCall(int times) override {
    UsageGuard guard(this);
    for (int i = 0; i < times; ++i) Release(0);
    DebugLog("TestComponent: call returns\n");
    return liveFlag;
  }

  int ReadRegistration(std::int32_t* words) override {
    if (words == nullptr) return 0;
    UsageGuard guard(this);
    std::memcpy(words, &registration_, 4 * sizeof(std::int32_t));
    return 1;
  }

  int ReadDataRoot(char* buf, int len) override {
    UsageGuard guard(this);
    const char* root = DataRootDirectory();
    if (buf == nullptr || len <= 0 || std::strlen(root) >= static_cast<std::size_t>(len)) return 0;
    std::strcpy(buf, root);
    return 1;
  }

  int JoinDataRoot(const char* name, char* buf, int len) override {
    UsageGuard guard(this);
    return JoinToDataRoot(name, buf, len);
  }

  void ReservedNoOp() override { DebugLog("TestComponent: release hook\n"); }

 private:
  PathRegistrationRecord registration_;
};

IComponent* CreateTestComponent() { return new (std::nothrow) TestComponent; }
IComponent* CreateNothing() { return nullptr; }

struct Registration {
  Registration() {
    RegisterComponentCreator(TestComponentID, &CreateTestComponent);
    RegisterComponentCreator(NullCreatorID, &CreateNothing);
  }
} g_registration;

}  // namespace
}  // namespace test
}  // namespace orvel
