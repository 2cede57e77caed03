// Registration of a component's path utility with an already loaded factory
// library: the library receives the record and hands back two words for it.
#include <cstring>

#include "module/factory_access.h"
#include "module/module_state.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// Registers record through a factory library that is loaded; no ini file, no
// loading, and the handle from SetFactoryHandle is not consulted.
void RegisterWithLoadedFactory(PathRegistrationRecord& record, platform::ModuleHandle library) {
  auto create = reinterpret_cast<FactoryCreateComponentFn>(platform::FindSymbol(library, "CreateComponent"));
  if (create == nullptr) {
    platform::WriteDebugMessage("Can't find CreateComponent() in Zandrop.dll or Zandrop.dll is missed\n");
    return;
  }
  auto* factory = static_cast<IComponentFactory*>(create(FactoryComponentID, 0));
  if (factory == nullptr) {
    platform::WriteDebugMessage("Invoke CreateComponent() in Zandrop.dll return null.\n");
    return;
  }
  char configurationPath[kConfigurationPathCapacity];
  CopyConfigurationPath(configurationPath);
  void* result = nullptr;
  factory->RegisterPathRecord(configurationPath, 1, &record, &record.argumentWord, &result);
  if (result != nullptr) {
    std::int32_t words[2];
    std::memcpy(words, result, sizeof words);
    record.resultWord0 = words[0];
    record.resultWord1 = words[1];
  }
}

}  // namespace

void RegisterPathUtility(PathRegistrationRecord& record) {
  record = PathRegistrationRecord{};
  platform::ModuleHandle library = platform::FindLoadedModule(platform::FactoryLibraryModuleName());
  if (library == nullptr) return;
  RegisterWithLoadedFactory(record, library);
  platform::ReleaseModuleReference(library);
}

}  // namespace orvel
