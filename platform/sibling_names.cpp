#include "platform/sibling_names.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/platform.h"

namespace orvel {
namespace platform {

Place::Place(const std::string& path) {
#if defined(_WIN32)
  const std::size_t cut = path.find_last_of("\\/:");  // "C:name" lies in C:'s folder
#else
  const std::size_t cut = path.rfind(kPathSeparator);
#endif
  folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  name = path.substr(folder.size());
}

std::string SiblingPrefix(const std::string& name) { return "." + name + ".orvel~"; }

std::string SiblingName(const std::string& name, std::size_t room, unsigned long pid, unsigned n) {
  char writer[32];
  std::snprintf(writer, sizeof writer, "%lx-%x", pid, n);
  std::string full = SiblingPrefix(name) + writer;
  if (full.size() <= room) return full;
  // A name that fills its folder's room: "~" and the attempt's digits, cut
  // to the room (digits that differ from one attempt to the next come first).
  if (room == 0) return std::string();
  if (room == 1) return std::string(1, "~_-=+#@!"[n % 8]);
  std::snprintf(writer, sizeof writer, "~%x%lx", n, pid);
  return std::string(writer).substr(0, room);
}

unsigned long SiblingWriter(const char* entry, const std::string& prefix) {
  if (std::strncmp(entry, prefix.c_str(), prefix.size()) != 0) return 0;
  const char* digits = entry + prefix.size();
  char* end = nullptr;
  const unsigned long pid = std::strtoul(digits, &end, 16);
  if (end == digits || *end != '-') return 0;
  const char* attempt = end + 1;
  std::strtoul(attempt, &end, 16);
  return end != attempt && *end == '\0' ? pid : 0;
}

bool FirstSaveInProcess(const std::string& path) {
  static std::mutex lock;
  static std::set<std::string> seen;
  const std::lock_guard<std::mutex> hold(lock);
  return seen.insert(path).second;
}

}  // namespace platform
}  // namespace orvel
