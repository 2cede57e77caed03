// Shared pieces of the process-level module tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/module/host_process.h"

namespace orvel {
namespace test {

inline const std::string kBanner = "Orvel[Error]:" + std::string(65, '=') + "\n";
inline const std::string kNoFactory = "[Orvel_Error] Load Zandrop.dll Fail.\n";
inline const std::string kHook = "TestComponent: release hook\n";
inline const std::string kDestroyed = "TestComponent: destroyed\n";
// Components left alive on purpose are memory the leak checker would report.
inline const std::string kNoLeakCheck = "ASAN_OPTIONS=detect_leaks=0";

// The factory library's file name, and the copied host's, on this platform.
inline const std::string kZandropFile = platform::FactoryLibraryModuleName();
#if defined(_WIN32)
inline const std::string kHostFile = "host.exe";
#else
inline const std::string kHostFile = "host";
#endif

// text (an ini file, a path, an expected line) as this platform writes it:
// "libZandrop.so" becomes the factory library's file name and '/' the path separator.
inline std::string Native(std::string text) {
  const std::string posixName = "libZandrop.so";
  for (std::size_t at = text.find(posixName); at != std::string::npos; at = text.find(posixName, at)) {
    text.replace(at, posixName.size(), kZandropFile);
    at += kZandropFile.size();
  }
  return NativePath(text);
}

// The log up to the leak report that components left alive at exit produce.
inline std::string BeforeLeakReport(const std::string& log) { return log.substr(0, log.find(kBanner)); }

// A host executable copied into its own folder, which is then the host directory.
class HostInFolder {
 public:
  explicit HostInFolder(const char* module) : module_(module), host_(dir_.Copy(ORVEL_TEST_HOST, kHostFile)) {}
  HostRun Run(std::vector<std::string> args, const std::vector<std::string>& env = {}) const {
    args.insert(args.begin(), module_);
    return RunHost(host_, args, env);
  }
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;
  std::string module_;
  std::string host_;
};

// "pointer=0x..." values printed by the host's create commands, in order.
inline std::vector<std::string> PrintedPointers(const std::string& out) {
  std::vector<std::string> pointers;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("pointer=");
    if (at != std::string::npos) pointers.push_back(line.substr(at + 8));
  }
  return pointers;
}

// The leak report for (componentId, creatorId, pointer) entries, in ascending pointer order.
struct LeakEntry {
  std::uint32_t componentId;
  std::uint32_t creatorId;
  std::string pointer;
};
inline std::string LeakReport(std::vector<LeakEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const LeakEntry& a, const LeakEntry& b) {
    return std::strtoull(a.pointer.c_str(), nullptr, 16) < std::strtoull(b.pointer.c_str(), nullptr, 16);
  });
  std::string report = kBanner + "Orvel[Error]:Found leak Orvel components. Count:" + std::to_string(entries.size()) + "\n";
  for (const LeakEntry& e : entries) {
    char line[128];
    std::snprintf(line, sizeof line, "Orvel[Error]:ComponentID:0x%08x CreatorID:0x%08x Pointer:%s\n", e.componentId,
                  e.creatorId, e.pointer.c_str());
    report += line;
  }
  return report + kBanner;
}

}  // namespace test
}  // namespace orvel
