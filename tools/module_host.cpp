#include "tools/module_host.h"

#include <cstdio>

#include "platform/platform.h"
#include "tools/standard_output.h"

namespace orvelxml {

namespace platform = orvel::platform;

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of(platform::kPathSeparators);
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The factory library the module would find through an Orvel.ini beside the
// tool; without one, the library beside the module, when it is there.
void HandFactoryLibrary(void* module, const std::string& modulePath) {
  char exe[4096];
  if (platform::ExecutablePath(exe, sizeof exe) &&
      platform::AccessPath((FolderOf(exe) + "Orvel.ini").c_str(), 0) == 0) {
    return;
  }
  auto setHandle =
      reinterpret_cast<orvel::SetFactoryHandleFn>(platform::FindSymbol(module, "SetFactoryHandle"));
#if defined(_WIN32)
  const std::string library = FolderOf(modulePath) + "Zandrop.dll";
#else
  const std::string library = FolderOf(modulePath) + "libZandrop.so";
#endif
  if (setHandle == nullptr || platform::AccessPath(library.c_str(), 0) != 0) return;
  // Kept loaded for the life of the process, as the module keeps what it loads.
  void* factory = platform::LoadModule(library.c_str());
  if (factory != nullptr) setHandle(factory);
}

}  // namespace

ModuleHost::~ModuleHost() { Unload(); }

bool ModuleHost::Load(const std::string& path, std::string* error) {
  module_ = platform::LoadModule(path.c_str());
  if (module_ == nullptr) {
    *error = "cannot load module " + path;
    return false;
  }
  createComponent_ =
      reinterpret_cast<orvel::CreateComponentFn>(platform::FindSymbol(module_, "CreateComponent"));
  canUnloadNow_ =
      reinterpret_cast<orvel::OrvelDllCanUnloadNowFn>(platform::FindSymbol(module_, "OrvelDllCanUnloadNow"));
  if (createComponent_ == nullptr || canUnloadNow_ == nullptr) {
    *error = path + " lacks the CreateComponent or OrvelDllCanUnloadNow export";
    platform::ReleaseModuleReference(module_);
    module_ = nullptr;
    return false;
  }
  HandFactoryLibrary(module_, path);
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
    std::fprintf(Errors(), "orvelxml: the module still has live components; not unloading it\n");
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
  const std::string folder = FolderOf(exe);
  if (folder.empty()) return file;
  const std::string beside = folder + file;
#if defined(ORVELXML_LIBDIR_FROM_BINDIR)
  // Installed, the tool lies in the programs folder and the module in the libraries folder.
  const std::string installed = folder + ORVELXML_LIBDIR_FROM_BINDIR "/" + file;
  if (platform::AccessPath(beside.c_str(), 0) != 0 && platform::AccessPath(installed.c_str(), 0) == 0) {
    return installed;
  }
#endif
  return beside;
}

}  // namespace orvelxml
