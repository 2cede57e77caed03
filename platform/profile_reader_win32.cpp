// The ini reader of the win32 build: the system's profile-string reader,
// after a look at the file's size.
#if defined(_WIN32)

#include <string.h>
#include <windows.h>

#include "platform/platform.h"
#include "platform/text_copy.h"

namespace orvel {
namespace platform {

ProfileFile::ProfileFile(const char* path) {
  if (path == nullptr) return;
  path_ = path;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return;
  const unsigned long long size =
      (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  tooLarge_ = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && size > kMaxProfileFileBytes;
  readable_ = !tooLarge_;
}

std::size_t ProfileFile::Read(const char* section, const char* key, const char* defaultValue, char* out,
                              std::size_t capacity) const {
  if (out == nullptr || capacity == 0) return 0;
  if (defaultValue == nullptr) defaultValue = "";
  // A null section or key would list names instead of reading one value.
  if (!readable_ || section == nullptr || key == nullptr)
    return CopyCut(defaultValue, defaultValue + strlen(defaultValue), out, capacity);
  const DWORD room = capacity > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(capacity);
  return GetPrivateProfileStringA(section, key, defaultValue, out, room, path_.c_str());
}

}  // namespace platform
}  // namespace orvel

#endif  // _WIN32
