#include "component/text_result.h"

#include <cstring>

namespace orvel {

bool BoundedCopy(char* dst, int capacity, const char* src) {
  if (dst == nullptr || src == nullptr || capacity <= 0) return false;
  const std::size_t n = std::strlen(src);
  if (n >= static_cast<std::size_t>(capacity)) return false;
  std::memcpy(dst, src, n + 1);
  return true;
}

int HandBackText(const std::string& text, char* buf, int len) {
  if (buf == nullptr || len <= 0) return 0;
  // The text ends at its first NUL, as hosts read C strings; nothing past
  // the capacity needs to be looked at to know whether it fits.
  const std::size_t room = static_cast<std::size_t>(len);
  const std::size_t seen = text.size() < room ? text.size() : room;
  const void* nul = std::memchr(text.data(), 0, seen);
  const std::size_t n =
      nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()) : text.size();
  if (n < room) {
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
  }
  return 1;
}

}  // namespace orvel
