#include "component/text_result.h"

#include <cstring>

#include "engine/scanner_blocks.h"

namespace orvel {

bool BoundedCopy(char* dst, int capacity, const char* src) {
  if (dst == nullptr || src == nullptr || capacity <= 0) return false;
  const std::size_t n = std::strlen(src);
  if (n >= static_cast<std::size_t>(capacity)) return false;
  std::memcpy(dst, src, n + 1);
  return true;
}

int HandBackTextUpToNul(std::string_view text, char* buf, int len) {
  if (buf == nullptr || len <= 0) return 0;
  // Nothing past the capacity needs to be looked at to know whether it fits.
  const std::size_t seen =
      text.size() < static_cast<std::size_t>(len) ? text.size() : static_cast<std::size_t>(len);
  const char* nul = blocks::FindIn(text.data(), text.data() + seen, '\0');
  return HandBackText(nul != nullptr ? text.substr(0, static_cast<std::size_t>(nul - text.data())) : text,
                      buf, len);
}

}  // namespace orvel
