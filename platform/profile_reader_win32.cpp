// The ini reader of the win32 build: the system's profile-string reader.
#if defined(_WIN32)

#include <string.h>
#include <windows.h>

#include "platform/platform.h"

namespace orvel {
namespace platform {

std::size_t ReadProfileString(const char* file, const char* section, const char* key,
                              const char* defaultValue, char* out, std::size_t capacity) {
  if (out == nullptr || capacity == 0) return 0;
  if (defaultValue == nullptr) defaultValue = "";
  const DWORD room = capacity > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(capacity);
  // A null section or key would list names instead of reading one value.
  if (file == nullptr || section == nullptr || key == nullptr) {
    std::size_t n = strlen(defaultValue);
    if (n > capacity - 1) n = capacity - 1;
    memmove(out, defaultValue, n);
    out[n] = '\0';
    return n;
  }
  return GetPrivateProfileStringA(section, key, defaultValue, out, room, file);
}

}  // namespace platform
}  // namespace orvel

#endif  // _WIN32
