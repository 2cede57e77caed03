// Path helpers: blanks, trimming, joins, and the host executable's directory.
#include "module/path_rules.h"

#include <cstring>

#include "module/factory_access.h"
#include "module/module_internal.h"
#include "platform/platform.h"

namespace orvel {
namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// Writes the pieces one after another into out only when all of them fit.
void ConcatIfFits(char* out, std::size_t capacity, const char* a, std::size_t na, const char* b,
                  std::size_t nb, const char* c, std::size_t nc) {
  if (out == nullptr || capacity == 0) return;
  out[0] = '\0';
  if (na + nb + nc >= capacity) return;
  std::memmove(out, a, na);
  std::memmove(out + na, b, nb);
  std::memmove(out + na + nb, c, nc);
  out[na + nb + nc] = '\0';
}

char g_hostDirectory[kPathCapacity] = {};  // written under the module lock while empty, then never

}  // namespace

bool IsBlank(const char* text) {
  if (text == nullptr) return true;
  for (; *text != '\0'; ++text) {
    if (!IsBlankChar(*text)) return false;
  }
  return true;
}

void TrimBlanks(const char* value, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return;
  out[0] = '\0';
  if (value == nullptr) return;
  const char* begin = value;
  const char* end = value + std::strlen(value);
  while (begin < end && IsBlankChar(*begin)) ++begin;
  while (end > begin && IsBlankChar(end[-1])) --end;
  ConcatIfFits(out, capacity, begin, static_cast<std::size_t>(end - begin), "", 0, "", 0);
}

void JoinToDirectoryOf(const char* basePath, const char* name, char* out, std::size_t capacity) {
  if (basePath == nullptr) basePath = "";
  if (name == nullptr) name = "";
  const char separator[] = {platform::kPathSeparator, '\0'};
  const char* last = std::strrchr(basePath, platform::kPathSeparator);
  if (last == nullptr) last = std::strrchr(basePath, '/');
  if (last != nullptr) {
    ConcatIfFits(out, capacity, basePath, static_cast<std::size_t>(last - basePath) + 1, name, std::strlen(name),
                 "", 0);
  } else {
    ConcatIfFits(out, capacity, basePath, std::strlen(basePath), separator, 1, name, std::strlen(name));
  }
}

void JoinWithSeparator(const char* first, const char* second, char* out, std::size_t capacity) {
  if (first == nullptr) first = "";
  if (second == nullptr) second = "";
  const char separator[] = {platform::kPathSeparator, '\0'};
  ConcatIfFits(out, capacity, first, std::strlen(first), separator, 1, second, std::strlen(second));
}

bool JoinToFolder(const char* directory, const char* name, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return false;
  out[0] = '\0';
  if (directory == nullptr || *directory == '\0') return false;
  JoinWithSeparator(directory, name, out, capacity);
  return out[0] != '\0';
}

bool JoinToHostDirectory(const char* name, char* out) {
  return JoinToFolder(HostDirectory(), name, out, kPathCapacity);
}

const char* HostDirectory() {
  ModuleLockScope lock;
  if (g_hostDirectory[0] == '\0' && platform::ExecutablePath(g_hostDirectory, sizeof g_hostDirectory)) {
    char* last = std::strrchr(g_hostDirectory, platform::kPathSeparator);
    // A host in the root folder keeps the separator: "" means "not known".
    if (last != nullptr) last[last == g_hostDirectory ? 1 : 0] = '\0';
  }
  return g_hostDirectory;
}

}  // namespace orvel
