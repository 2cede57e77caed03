// Configuration store (991): named values read from the framework's ini file.
#pragma once

#include <string>
#include <vector>

#include "factory/component_factory.h"

namespace zandrop {

// Keys are ini sections and value names are keys of the ini file given at
// creation ("Orvel.ini" beside the host executable when none, relative paths
// against the host executable's directory).
class ConfigStore final : public FactoryObject<ConfigStore, orvel::IConfigStore, kConfigStoreComponentId> {
 public:
  explicit ConfigStore(const char* configurationPath);

  int ReservedSlot5() override { return 0; }
  int ReservedSlot6() override { return 0; }
  int ReservedSlot7() override { return 0; }
  int OpenKey(int scope, const char* keyName, int access, int scopeAgain, std::int32_t* handle) override;
  int ReservedSlot9() override { return 0; }
  int ReservedSlot10() override { return 0; }
  int ReadValue(std::int32_t handle, const char* valueName, std::int32_t* type, char* buffer,
                std::int32_t* size) override;

 private:
  std::string iniPath_;
  std::vector<std::string> openKeys_;  // handle n names openKeys_[n - 1]
};

}  // namespace zandrop
