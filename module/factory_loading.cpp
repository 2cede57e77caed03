// Loading the factory library and scoped access to the components it creates.
#include <cstring>

#include "module/config_file.h"
#include "module/factory_access.h"
#include "module/module_internal.h"
#include "module/path_rules.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// The handle set by SetFactoryHandle, else the library the ini file names.
// Every call loads again; the module never unloads the library.
platform::ModuleHandle LoadFactoryLibrary(const char* configurationPath) {
  if (void* handle = FactoryLibraryHandle()) return handle;
  ConfigFile config;
  char libraryPath[kPathCapacity];
  ReadConfigFile(configurationPath, &config);
  ResolveFactoryLibrary(config, libraryPath);
  return platform::LoadModule(libraryPath);
}

// The ComponentFactory (361) of the factory library, or null with a log line.
IComponentFactory* CreateComponentFactory(const char* configurationPath) {
  platform::ModuleHandle library = LoadFactoryLibrary(configurationPath);
  if (library == nullptr) {
    FactoryLog("[Orvel_Error] Load Zandrop.dll Fail.\n");
    return nullptr;
  }
  auto create = reinterpret_cast<FactoryCreateComponentFn>(platform::FindSymbol(library, "CreateComponent"));
  if (create == nullptr) {
    FactoryLog("[Orvel_Error] Can't find CreateComponent().\n");
    FactoryLog("[Orvel_Error] Create ComponentFactory in Zandrop.dll Fail\n");
    return nullptr;
  }
  IComponent* factory = create(FactoryComponentID, 0);
  if (factory == nullptr) {
    FactoryLog("[Orvel_Error] CreateComponent(ComponentId=%u) return null.\n",
               static_cast<unsigned>(FactoryComponentID));
    FactoryLog("[Orvel_Error] Create ComponentFactory in Zandrop.dll Fail\n");
    return nullptr;
  }
  return static_cast<IComponentFactory*>(factory);
}

}  // namespace

ComponentFactoryAccess::ComponentFactoryAccess(ComponentID componentId, int autoRelease)
    : componentId_(componentId) {
  char configurationPath[kPathCapacity];
  CopyConfigurationPath(configurationPath);
  IComponentFactory* factory = CreateComponentFactory(configurationPath);
  factory_ = factory;
  if (factory == nullptr) return;
  component_ = factory->CreateComponentById(componentId, configurationPath);
  if (component_ != nullptr) component_->SetAutoRelease(autoRelease);
}

ComponentFactoryAccess::~ComponentFactoryAccess() {
  // Component 361 of the idle notice stays with the factory library.
  if (component_ != nullptr && componentId_ != FactoryComponentID) component_->Release(0);
}

}  // namespace orvel
