#include "component/path_utility.h"

#include <cstring>

#include "platform/platform.h"

namespace orvel {
namespace {

// Working buffers of ExtensionEquals.
constexpr int kTrimCapacity = 1024;
constexpr int kWorkingPathCapacity = 260;

// Copies n bytes of src and a NUL into dst when n is below capacity.
int CopyIfFits(const char* src, std::size_t n, char* dst, int capacity) {
  if (n >= static_cast<std::size_t>(capacity)) return 0;
  std::memmove(dst, src, n);
  dst[n] = '\0';
  return 1;
}

}  // namespace

PathUtility::PathUtility() { RegisterPathUtility(registration_); }

void PathUtility::ReservedPathOperation(std::int32_t /*first*/, std::int32_t /*second*/) {}

int PathUtility::GetExtension(const char* path, char* buf, int capacity) {
  if (path == nullptr || buf == nullptr || capacity <= 0) return 0;
  const char* dot = std::strrchr(path, '.');
  if (dot == nullptr) return 0;
  return CopyIfFits(dot + 1, std::strlen(dot + 1), buf, capacity);
}

int PathUtility::TrimSpaces(const char* src, char* dst, int capacity) {
  if (src == nullptr || dst == nullptr || capacity <= 0) return 0;
  const char* begin = src;
  const char* end = src + std::strlen(src);
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  const std::size_t n = static_cast<std::size_t>(end - begin);
  if (n == 0 || !CopyIfFits(begin, n, dst, capacity)) {
    dst[0] = '\0';
    return 0;
  }
  return static_cast<int>(n);
}

bool PathUtility::ExtensionEquals(const char* a, const char* b) {
  char ta[kTrimCapacity] = {};
  char tb[kTrimCapacity] = {};
  const int na = TrimSpaces(a, ta, kTrimCapacity);
  const int nb = TrimSpaces(b, tb, kTrimCapacity);
  return na == nb && platform::CompareNoCase(ta, tb, static_cast<std::size_t>(na)) == 0;
}

int PathUtility::ResolvePath(const char* path, char* buf, int capacity) {
  if (path != nullptr && !platform::IsRelativePath(path)) {
    if (buf == nullptr || capacity <= 0) return 0;
    return CopyIfFits(path, std::strlen(path), buf, capacity);
  }
  return JoinToDataRoot(path, buf, capacity);
}

bool PathUtility::FileExists(const char* path, int allowDirectory) {
  if (path == nullptr || *path == '\0') return false;
  char resolved[kWorkingPathCapacity] = {};
  ResolvePath(path, resolved, kWorkingPathCapacity);
  if (allowDirectory == 0) {
    const int attributes = platform::FileAttributes(resolved);
    if (attributes == platform::InvalidFileAttributes ||
        (attributes & platform::FileAttributeDirectory) != 0) {
      return false;
    }
  }
  return platform::AccessPath(resolved, 0) == 0;
}

int PathUtility::AppendSuffix(char* buf, int capacity, const char* suffix) {
  if (buf == nullptr || suffix == nullptr || capacity <= 0) return 0;
  const void* nul = std::memchr(buf, '\0', static_cast<std::size_t>(capacity));
  if (nul == nullptr) return 0;
  const int used = static_cast<int>(static_cast<const char*>(nul) - buf);
  return CopyIfFits(suffix, std::strlen(suffix), buf + used, capacity - used);
}

int PathUtility::ResolvePathToOpen(const char* path, char* buf, int capacity) {
  if (path == nullptr || *path == '\0') return 0;
  return ResolvePath(path, buf, capacity);
}

}  // namespace orvel
