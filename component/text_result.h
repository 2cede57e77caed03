// Handing texts back across the boundary: a text reaches the caller's buffer
// whole with its NUL, or not at all.
#pragma once

#include <string>
#include <string_view>

#include "engine/scanner_blocks.h"

namespace orvel {

// Copies src and its NUL into dst when src is shorter than capacity; otherwise
// dst stays exactly as it was. Returns whether the copy happened.
bool BoundedCopy(char* dst, int capacity, const char* src);

// The text rule of the read slots: 0 (nothing written) for a null buf or a
// non-positive len; otherwise 1, with text and a NUL copied only when they fit.
// Texts read from the document hold no NUL: the scans that find them stop there.
// Inline: every read slot ends here.
inline int HandBackText(std::string_view text, char* buf, int len) {
  if (buf == nullptr || len <= 0) return 0;
  if (text.size() < static_cast<std::size_t>(len)) {
    if (!text.empty()) blocks::CopyBytes(buf, text.data(), text.size());  // an empty view may have no data
    buf[text.size()] = '\0';
  }
  return 1;
}
// The same for a text that may hold NUL bytes (the document text itself):
// it is handed back up to the first one, as hosts read C strings.
int HandBackTextUpToNul(std::string_view text, char* buf, int len);

}  // namespace orvel
