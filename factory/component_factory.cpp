#include "factory/component_factory.h"

#include <cinttypes>
#include <new>

#include "factory/config_store.h"
#include "factory/document_decoder.h"
#include "factory/factory_log.h"

namespace zandrop {

std::atomic<int> g_idleNoticeCount{0};
std::atomic<int> g_registrationCount{0};

orvel::IComponent* ComponentFactory::CreateComponentById(std::uint32_t componentId, const char* configurationPath) {
  try {
    switch (componentId) {
      case kFactoryComponentId:
        return new ComponentFactory;
      case kConfigStoreComponentId:
        return new ConfigStore(configurationPath);
      case kDecoderComponentId:
        return new DocumentDecoder;
      default:
        return nullptr;
    }
  } catch (...) {
    return nullptr;
  }
}

int ComponentFactory::RegisterPathRecord(const char* /*configurationPath*/, int /*kind*/, void* record,
                                         std::int32_t* recordField4, void** result) {
  if (record == nullptr || result == nullptr) return 0;
  const std::int32_t serial = ++g_registrationCount;
  registrationWords_[0] = serial;
  registrationWords_[1] = kRegistrationMagic;
  if (recordField4 != nullptr) *recordField4 = serial;
  *result = registrationWords_;
  return 1;
}

int ComponentFactory::IdleNotice(void* moduleInstanceHandle) {
  ++g_idleNoticeCount;
  FactoryDebugLog("Zandrop: idle notice from module 0x%0*" PRIxPTR "\n", static_cast<int>(sizeof(void*) * 2),
                  reinterpret_cast<std::uintptr_t>(moduleInstanceHandle));
  return 1;
}

}  // namespace zandrop
