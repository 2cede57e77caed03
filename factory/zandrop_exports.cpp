// Exports of the stand-in factory library: the framework's CreateComponent
// and counters that tests read.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <new>

#include "factory/component_factory.h"
#include "factory/factory_log.h"
#include "platform/platform.h"

#define ZANDROP_EXPORT extern "C" __attribute__((visibility("default")))

namespace zandrop {

void FactoryDebugLog(const char* format, ...) {
  char buffer[1024] = {};
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  orvel::platform::WriteDebugMessage(buffer);
}

}  // namespace zandrop

// The ComponentFactory for (361, any creator); null for every other id.
ZANDROP_EXPORT orvel::IComponent* CreateComponent(std::uint32_t componentId, std::uint32_t /*creatorId*/) {
  if (componentId != zandrop::kFactoryComponentId) return nullptr;
  return new (std::nothrow) zandrop::ComponentFactory;
}

ZANDROP_EXPORT int ZandropIdleNoticeCount() { return zandrop::g_idleNoticeCount.load(); }
ZANDROP_EXPORT int ZandropRegistrationCount() { return zandrop::g_registrationCount.load(); }
ZANDROP_EXPORT int ZandropLiveObjectCount() { return zandrop::LiveObjectCount(); }
