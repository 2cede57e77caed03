// A host built against the headers only: it loads the module named on its
// command line at run time and resolves the exports by name.
#include <dlfcn.h>

#include "host_steps.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  void* handle = dlopen(argv[1], RTLD_NOW);
  if (handle == nullptr) {
    std::printf("%s\n", dlerror());
    return 2;
  }
  const ModuleExports module = {
      reinterpret_cast<orvel::CreateComponentFn>(dlsym(handle, "CreateComponent")),
      reinterpret_cast<orvel::SetDLLRegistryFn>(dlsym(handle, "SetDLLRegistry")),
      reinterpret_cast<orvel::OrvelDllCanUnloadNowFn>(dlsym(handle, "OrvelDllCanUnloadNow"))};
  if (module.create == nullptr || module.setRegistry == nullptr || module.canUnload == nullptr) return 2;
  const int status = RunHostSteps(module, ORVELXML_EXPECTED);
  if (status == 0 && module.canUnload() != 0) dlclose(handle);
  return status;
}
