#include "factory/component_factory.h"

#include <cinttypes>
#include <mutex>
#include <new>

#include "factory/config_store.h"
#include "factory/document_decoder.h"
#include "factory/factory_log.h"

namespace zandrop {

std::atomic<int> g_idleNoticeCount{0};
std::atomic<int> g_registrationCount{0};

ComponentFactory* ComponentFactory::Instance() {
  static std::mutex made;
  static ComponentFactory* instance = nullptr;
  std::lock_guard<std::mutex> lock(made);
  if (instance == nullptr) instance = new (std::nothrow) ComponentFactory;
  return instance;
}

orvel::IComponent* ComponentFactory::CreateComponentById(std::uint32_t componentId, const char* configurationPath) {
  try {
    switch (componentId) {
      case kFactoryComponentId:
        return Instance();
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
  // Registrations come from many threads at once; each caller reads its own words.
  thread_local std::int32_t words[2];
  const std::int32_t serial = ++g_registrationCount;
  words[0] = serial;
  words[1] = kRegistrationMagic;
  if (recordField4 != nullptr) *recordField4 = serial;
  *result = words;
  return 1;
}

int ComponentFactory::IdleNotice(void* moduleInstanceHandle) {
  ++g_idleNoticeCount;
  FactoryDebugLog("Zandrop: idle notice from module 0x%0*" PRIxPTR "\n", static_cast<int>(sizeof(void*) * 2),
                  reinterpret_cast<std::uintptr_t>(moduleInstanceHandle));
  return 1;
}

}  // namespace zandrop
