#include "factory/config_store.h"

#include <cstring>

#include "platform/platform.h"

namespace zandrop {
namespace {

constexpr std::size_t kValueCapacity = 1024;

std::string HostDirectoryJoin(const char* name) {
  char exe[4096];
  // Without the host's whole name there is no host folder: no ini file, not one under the working folder.
  if (!orvel::platform::ExecutablePath(exe, sizeof exe)) return std::string();
  char* last = std::strrchr(exe, orvel::platform::kPathSeparator);
  if (last != nullptr) *last = '\0';
  return std::string(exe) + orvel::platform::kPathSeparator + name;
}

}  // namespace

ConfigStore::ConfigStore(const char* configurationPath) {
  if (configurationPath == nullptr || *configurationPath == '\0') {
    iniPath_ = HostDirectoryJoin("Orvel.ini");
  } else if (orvel::platform::IsRelativePath(configurationPath)) {
    iniPath_ = HostDirectoryJoin(configurationPath);
  } else {
    iniPath_ = configurationPath;
  }
}

int ConfigStore::OpenKey(int /*scope*/, const char* keyName, int /*access*/, int /*scopeAgain*/,
                         std::int32_t* handle) {
  if (keyName == nullptr || handle == nullptr) return 0;
  try {
    openKeys_.emplace_back(keyName);
  } catch (...) {
    return 0;
  }
  *handle = static_cast<std::int32_t>(openKeys_.size());
  return 1;
}

int ConfigStore::ReadValue(std::int32_t handle, const char* valueName, std::int32_t* type, char* buffer,
                           std::int32_t* size) {
  if (handle <= 0 || static_cast<std::size_t>(handle) > openKeys_.size() || valueName == nullptr ||
      buffer == nullptr || size == nullptr || *size <= 0) {
    return 0;
  }
  char value[kValueCapacity];
  const std::size_t n = orvel::platform::ReadProfileString(iniPath_.c_str(), openKeys_[handle - 1].c_str(),
                                                           valueName, "", value, sizeof value);
  // An empty value counts as absent; one that does not fit is refused whole.
  if (n == 0 || n + 1 > static_cast<std::size_t>(*size)) return 0;
  std::memcpy(buffer, value, n + 1);
  *size = static_cast<std::int32_t>(n + 1);
  if (type != nullptr) *type = orvel::ConfigStoreTypeText;
  return 1;
}

}  // namespace zandrop
