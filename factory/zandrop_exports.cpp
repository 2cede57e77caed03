// Exports of the stand-in factory library: the framework's CreateComponent
// and counters that tests read.
#include <cstdint>
#include <type_traits>

#include "factory/component_factory.h"
#include "platform/export_symbol.h"

#define ZANDROP_EXPORT ORVEL_LIBRARY_EXPORT

// The process's ComponentFactory for (361, any creator); null for every other id.
ZANDROP_EXPORT orvel::IComponent* CreateComponent(std::uint32_t componentId, std::uint32_t /*creatorId*/) {
  if (componentId != zandrop::kFactoryComponentId) return nullptr;
  return zandrop::ComponentFactory::Instance();
}

static_assert(std::is_same<decltype(&CreateComponent), orvel::FactoryCreateComponentFn>::value,
              "the export modules call, as the factory-library contract declares it");

ZANDROP_EXPORT int ZandropIdleNoticeCount() { return zandrop::g_idleNoticeCount.load(); }
ZANDROP_EXPORT int ZandropRegistrationCount() { return zandrop::g_registrationCount.load(); }
ZANDROP_EXPORT int ZandropLiveObjectCount() { return zandrop::LiveObjectCount(); }
