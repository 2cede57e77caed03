// The data root directory for relative document paths.
#include <cstring>

#include "module/factory_access.h"
#include "module/module_internal.h"
#include "module/path_rules.h"
#include "orvel/constants.h"
#include "orvel/factory_library.h"

namespace orvel {
namespace {

char g_dataRootDirectory[kPathCapacity] = {};  // written under the module lock while empty, then never

// Asks the configuration store (991) for "orvel_rootpath"/"orvel_rootpath_data"
// into directory (kPathCapacity bytes); false when it has no such value.
bool ReadDataRootFromStore(char* directory) {
  ComponentFactoryAccess access(ConfigStoreComponentID, 0);
  auto* store = static_cast<IConfigStore*>(access.component());
  if (store == nullptr) return false;
  std::int32_t handle = 0;
  if (store->OpenKey(ConfigStoreRootScope, "orvel_rootpath", ConfigStoreOpenRead, ConfigStoreRootScope, &handle) ==
      0) {
    return false;
  }
  std::int32_t type = ConfigStoreTypeText;
  std::int32_t size = static_cast<std::int32_t>(kPathCapacity);
  if (store->ReadValue(handle, "orvel_rootpath_data", &type, directory, &size) == 0) return false;
  // A text that does not end in the buffer was cut: it names another folder.
  return std::memchr(directory, '\0', kPathCapacity) != nullptr;
}

}  // namespace

const char* DataRootDirectory() {
  {
    ModuleLockScope lock;
    if (g_dataRootDirectory[0] != '\0') return g_dataRootDirectory;
  }
  // Asked without the lock (the store is another library's code); when two
  // threads ask at once, the first answer stored stays.
  char directory[kPathCapacity] = {};
  if (!ReadDataRootFromStore(directory)) std::strcpy(directory, HostDirectory());
  ModuleLockScope lock;
  // An empty text (no host directory either) is not kept: it means "not known yet".
  if (g_dataRootDirectory[0] == '\0') std::strcpy(g_dataRootDirectory, directory);
  return g_dataRootDirectory;
}

int JoinToDataRoot(const char* name, char* out, int capacity) {
  if (name == nullptr || out == nullptr || capacity < 2) return 0;
  return JoinToFolder(DataRootDirectory(), name, out, static_cast<std::size_t>(capacity)) ? 1 : 0;
}

}  // namespace orvel
