// The ComponentFactory (361) of the stand-in factory library and the
// counters its exports report.
#pragma once

#include <atomic>
#include <cstdint>

#include "factory/factory_object.h"
#include "orvel/factory_library.h"

namespace zandrop {

// Component ids this library serves.
constexpr std::uint32_t kFactoryComponentId = 361;
constexpr std::uint32_t kConfigStoreComponentId = 991;

// Second word handed back for every path registration.
constexpr std::int32_t kRegistrationMagic = 0x5A4E4452;

extern std::atomic<int> g_idleNoticeCount;
extern std::atomic<int> g_registrationCount;

// One per process, as the framework's factory is: the CreateComponent export
// and slot 5 for 361 hand out the same object, and releasing it leaves it for
// the next user. It goes when the library unloads.
class ComponentFactory final
    : public FactoryObject<ComponentFactory, orvel::IComponentFactory, kFactoryComponentId> {
 public:
  // The process's factory, made on first use; null when memory runs out.
  static ComponentFactory* Instance();

  void Release(int /*value*/) override {}
  orvel::IComponent* CreateComponentById(std::uint32_t componentId, const char* configurationPath) override;
  int RegisterPathRecord(const char* configurationPath, int kind, void* record, std::int32_t* recordField4,
                         void** result) override;
  int ReservedSlot7() override { return 0; }
  int ReservedSlot8() override { return 0; }
  int ReservedSlot9() override { return 0; }
  int IdleNotice(void* moduleInstanceHandle) override;
};

}  // namespace zandrop
