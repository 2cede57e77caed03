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
  // c_str() stops the copy at an embedded NUL, as hosts read C strings.
  BoundedCopy(buf, len, text.c_str());
  return 1;
}

}  // namespace orvel
