// Resolution of the ini file and of the factory library path it names.
#include "module/config_file.h"

#include <cstring>

#include "module/module_internal.h"

namespace orvel {
namespace {

constexpr std::size_t kRawValueCapacity = 1024;
constexpr std::size_t kFlagCapacity = 10;

// Reads ini file path into config->ini; a file over the size limit counts as
// missing, and says so in the debug log.
void ReadIni(const char* path, ConfigFile* config) {
  const platform::ProfileFile& ini = config->ini.emplace(path);
  if (ini.tooLarge()) {
    FactoryLog("[Orvel_Error] Ini file %s is larger than %u bytes: not read.\n", path,
               static_cast<unsigned>(platform::kMaxProfileFileBytes));
  }
}

// Reads section/key whole into out. false, out empty, when the value does not
// fit (one the reader had to cut at kRawValueCapacity included).
bool ReadValue(const platform::ProfileFile& ini, const char* section, const char* key,
               const char* defaultValue, char* out, std::size_t capacity) {
  char raw[kRawValueCapacity];
  const std::size_t n = ini.Read(section, key, defaultValue, raw, sizeof raw);
  out[0] = '\0';
  if (n + 1 >= sizeof raw || n >= capacity) return false;
  std::memcpy(out, raw, n + 1);
  return true;
}

// The value without blanks around it; one that does not fit counts as empty.
void ReadTrimmed(const platform::ProfileFile& ini, const char* section, const char* key,
                 const char* defaultValue, char* out, std::size_t capacity) {
  char raw[kRawValueCapacity];
  ReadValue(ini, section, key, defaultValue, raw, sizeof raw);
  TrimBlanks(raw, out, capacity);
}

// The ini file named by configurationPath, before redirects; false when its
// path does not fit.
bool FirstCandidate(const char* configurationPath, char* candidate) {
  if (configurationPath == nullptr || *configurationPath == '\0') {
    return JoinToHostDirectory("Orvel.ini", candidate);
  }
  if (platform::IsRelativePath(configurationPath)) return JoinToHostDirectory(configurationPath, candidate);
  candidate[0] = '\0';
  if (std::strlen(configurationPath) >= kPathCapacity) return false;
  std::strcpy(candidate, configurationPath);
  return true;
}

}  // namespace

void ReadConfigFile(const char* configurationPath, ConfigFile* config) {
  config->path[0] = '\0';
  config->ini.reset();
  char candidate[kPathCapacity];
  if (!FirstCandidate(configurationPath, candidate)) return;

  // Files already read, so that a redirect back to one of them ends the chain.
  char visited[kMaxConfigRedirects + 1][kPathCapacity];
  int visitedCount = 0;
  for (;;) {
    std::strcpy(visited[visitedCount++], candidate);
    ReadIni(candidate, config);
    char redirect[kPathCapacity];
    if (!ReadValue(*config->ini, "Redirect", "Path", "", redirect, sizeof redirect)) {
      config->ini.reset();  // a redirect that does not fit names no file
      return;
    }
    if (IsBlank(redirect)) break;
    if (platform::IsRelativePath(redirect)) {
      config->ini.reset();
      JoinToDirectoryOf(candidate, redirect, config->path, kPathCapacity);
      return;
    }
    bool seen = false;
    for (int i = 0; i < visitedCount && !seen; ++i) seen = std::strcmp(visited[i], redirect) == 0;
    if (seen || visitedCount > kMaxConfigRedirects) break;
    std::strcpy(candidate, redirect);
  }
  std::strcpy(config->path, candidate);
}

void ResolveConfigFile(const char* configurationPath, char* out) {
  ConfigFile config;
  ReadConfigFile(configurationPath, &config);
  std::strcpy(out, config.path);
}

void ResolveFactoryLibrary(ConfigFile& config, char* out) {
  out[0] = '\0';
  if (config.path[0] == '\0') return;  // no ini file: no library
  if (!config.ini) ReadIni(config.path, &config);
  const platform::ProfileFile& ini = *config.ini;
  char dll[kPathCapacity];
  ReadTrimmed(ini, "361", "DLL", "", dll, sizeof dll);
  if (!platform::IsRelativePath(dll)) {
    std::strcpy(out, dll);
    return;
  }
  char flag[kFlagCapacity];
  ReadTrimmed(ini, "361", "NotUseDefaultDllPath", "0", flag, sizeof flag);
  if (flag[0] == '1') {
    JoinToDirectoryOf(config.path, dll, out, kPathCapacity);
    return;
  }
  char dllPath[kPathCapacity];
  if (!ReadValue(ini, "DefaultValue", "DllPath", "", dllPath, sizeof dllPath)) return;
  char joined[kPathCapacity];
  if (IsBlank(dllPath)) {
    std::strcpy(joined, dll);
  } else {
    JoinWithSeparator(dllPath, dll, joined, sizeof joined);
    if (joined[0] == '\0') return;  // a folder and name that do not fit name no library
  }
  if (!platform::IsRelativePath(joined)) {
    std::strcpy(out, joined);
  } else {
    JoinToDirectoryOf(config.path, joined, out, kPathCapacity);
  }
}

void ResolveFactoryLibrary(const char* iniPath, char* out) {
  ConfigFile config;
  if (iniPath != nullptr && std::strlen(iniPath) < kPathCapacity) std::strcpy(config.path, iniPath);
  ResolveFactoryLibrary(config, out);
}

}  // namespace orvel
