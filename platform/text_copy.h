// Bounded copy shared by both builds' ini readers.
#pragma once

#include <cstddef>
#include <cstring>

namespace orvel {
namespace platform {

// Copies [begin, end) into out, cut to capacity - 1 bytes, and a NUL; returns
// the length copied. capacity must be positive.
inline std::size_t CopyCut(const char* begin, const char* end, char* out, std::size_t capacity) {
  std::size_t n = static_cast<std::size_t>(end - begin);
  if (n > capacity - 1) n = capacity - 1;
  std::memmove(out, begin, n);
  out[n] = '\0';
  return n;
}

}  // namespace platform
}  // namespace orvel
