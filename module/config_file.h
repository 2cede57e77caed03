// The ini file that tells where the factory library lives.
#pragma once

#include <cstddef>

namespace orvel {

// Limit on followed absolute redirects; a chain that comes back to a file
// already read also stops there.
constexpr int kMaxConfigRedirects = 16;

// out (260 bytes) = the ini file to read for configurationPath: "Orvel.ini" in
// the host directory when it is null or empty, a relative path joined to the
// host directory, then "Redirect"/"Path" followed as long as it is absolute.
void ResolveConfigFile(const char* configurationPath, char* out);
// out (260 bytes) = the factory library path named by the ini file iniPath
// ("361"/"DLL", "361"/"NotUseDefaultDllPath", "DefaultValue"/"DllPath").
void ResolveFactoryLibrary(const char* iniPath, char* out);

}  // namespace orvel
