#include "tools/module_host.h"

#include <cstdio>

#include "platform/platform.h"

namespace orvelxml {

namespace platform = orvel::platform;

ModuleHost::~ModuleHost() { Unload(); }

bool ModuleHost::Load(const std::string& path, std::string* error) {
  module_ = platform::LoadModule(path.c_str());
  if (module_ == nullptr) {
    *error = "cannot load module " + path;
    return false;
  }
  createComponent_ = reinterpret_cast<orvel::CreateComponentFn>(platform::FindSymbol(module_, "CreateComponent"));
  canUnloadNow_ =
      reinterpret_cast<orvel::OrvelDllCanUnloadNowFn>(platform::FindSymbol(module_, "OrvelDllCanUnloadNow"));
  if (createComponent_ == nullptr || canUnloadNow_ == nullptr) {
    *error = path + " lacks the CreateComponent or OrvelDllCanUnloadNow export";
    platform::ReleaseModuleReference(module_);
    module_ = nullptr;
    return false;
  }
  return true;
}

orvel::IXmlComponent* ModuleHost::CreateXmlComponent() {
  if (createComponent_ == nullptr) return nullptr;
  // The module hands out component 1 as its IXmlComponent.
  return static_cast<orvel::IXmlComponent*>(createComponent_(orvel::XmlComponentID, 0));
}

bool ModuleHost::Unload() {
  if (module_ == nullptr) return true;
  if (canUnloadNow_() == 0) {
    std::fprintf(stderr, "orvelxml: the module still has live components; not unloading it\n");
    return false;
  }
  platform::ReleaseModuleReference(module_);
  module_ = nullptr;
  createComponent_ = nullptr;
  canUnloadNow_ = nullptr;
  return true;
}

std::string DefaultModulePath() {
#if defined(_WIN32)
  const char* file = "OrvelXml.dll";
#else
  const char* file = "libOrvelXml.so";
#endif
  char exe[4096];
  if (!platform::ExecutablePath(exe, sizeof exe)) return file;
  std::string path(exe);
  const std::size_t cut = path.find_last_of(platform::kPathSeparator);
  return cut == std::string::npos ? file : path.substr(0, cut + 1) + file;
}

}  // namespace orvelxml
