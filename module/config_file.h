// The ini file that tells where the factory library lives.
#pragma once

#include <cstddef>
#include <optional>

#include "module/path_rules.h"
#include "platform/platform.h"

namespace orvel {

// Limit on followed absolute redirects; a chain that comes back to a file
// already read also stops there.
constexpr int kMaxConfigRedirects = 16;

// The ini file in force: its path (empty when there is none: a path that
// does not fit is refused, never cut) and its contents, read once.
struct ConfigFile {
  char path[kPathCapacity] = {};
  std::optional<platform::ProfileFile> ini;  // read on first use
};

// The ini file for configurationPath: "Orvel.ini" in the host directory when
// it is null or empty, a relative path joined to the host directory, then
// "Redirect"/"Path" followed as long as it is absolute. Each file of the chain
// is read once; the last one's contents stay in config->ini.
void ReadConfigFile(const char* configurationPath, ConfigFile* config);
// out (260 bytes) = ReadConfigFile's path.
void ResolveConfigFile(const char* configurationPath, char* out);
// out (260 bytes) = the factory library path named by the ini file
// ("361"/"DLL", "361"/"NotUseDefaultDllPath", "DefaultValue"/"DllPath");
// empty when there is no ini file or a path it names does not fit.
void ResolveFactoryLibrary(ConfigFile& config, char* out);
// The same for the ini file iniPath.
void ResolveFactoryLibrary(const char* iniPath, char* out);

}  // namespace orvel
