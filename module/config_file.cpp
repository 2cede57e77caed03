// Resolution of the ini file and of the factory library path it names.
#include "module/config_file.h"

#include <cstring>

#include "module/path_rules.h"
#include "platform/platform.h"

namespace orvel {
namespace {

constexpr std::size_t kRawValueCapacity = 1024;
constexpr std::size_t kFlagCapacity = 10;

void ReadTrimmed(const char* iniPath, const char* section, const char* key, const char* defaultValue, char* out,
                 std::size_t capacity) {
  char raw[kRawValueCapacity];
  platform::ReadProfileString(iniPath, section, key, defaultValue, raw, sizeof raw);
  TrimBlanks(raw, out, capacity);
}

}  // namespace

void ResolveConfigFile(const char* configurationPath, char* out) {
  char candidate[kPathCapacity];
  if (configurationPath == nullptr || *configurationPath == '\0') {
    JoinToHostDirectory("Orvel.ini", candidate);
  } else if (platform::IsRelativePath(configurationPath)) {
    JoinToHostDirectory(configurationPath, candidate);
  } else {
    candidate[0] = '\0';
    if (std::strlen(configurationPath) < kPathCapacity) std::strcpy(candidate, configurationPath);
  }

  // Files already read, so that a redirect back to one of them ends the chain.
  char visited[kMaxConfigRedirects + 1][kPathCapacity];
  int visitedCount = 0;
  for (;;) {
    std::strcpy(visited[visitedCount++], candidate);
    char redirect[kPathCapacity];
    platform::ReadProfileString(candidate, "Redirect", "Path", "", redirect, sizeof redirect);
    if (IsBlank(redirect)) break;
    if (platform::IsRelativePath(redirect)) {
      JoinToDirectoryOf(candidate, redirect, out, kPathCapacity);
      return;
    }
    bool seen = false;
    for (int i = 0; i < visitedCount && !seen; ++i) seen = std::strcmp(visited[i], redirect) == 0;
    if (seen || visitedCount > kMaxConfigRedirects) break;
    std::strcpy(candidate, redirect);
  }
  std::strcpy(out, candidate);
}

void ResolveFactoryLibrary(const char* iniPath, char* out) {
  out[0] = '\0';
  char dll[kPathCapacity];
  ReadTrimmed(iniPath, "361", "DLL", "", dll, sizeof dll);
  if (!platform::IsRelativePath(dll)) {
    std::strcpy(out, dll);
    return;
  }
  char flag[kFlagCapacity];
  ReadTrimmed(iniPath, "361", "NotUseDefaultDllPath", "0", flag, sizeof flag);
  if (flag[0] == '1') {
    JoinToDirectoryOf(iniPath, dll, out, kPathCapacity);
    return;
  }
  char dllPath[kPathCapacity];
  platform::ReadProfileString(iniPath, "DefaultValue", "DllPath", "", dllPath, sizeof dllPath);
  char joined[kPathCapacity];
  if (IsBlank(dllPath)) {
    std::strcpy(joined, dll);
  } else {
    JoinWithSeparator(dllPath, dll, joined, sizeof joined);
  }
  if (!platform::IsRelativePath(joined)) {
    std::strcpy(out, joined);
  } else {
    JoinToDirectoryOf(iniPath, joined, out, kPathCapacity);
  }
}

}  // namespace orvel
