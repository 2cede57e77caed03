// Handing texts back across the boundary: a text reaches the caller's buffer
// whole with its NUL, or not at all.
#pragma once

#include <string>

namespace orvel {

// Copies src and its NUL into dst when src is shorter than capacity; otherwise
// dst stays exactly as it was. Returns whether the copy happened.
bool BoundedCopy(char* dst, int capacity, const char* src);

// The text rule of the read slots: 0 (nothing written) for a null buf or a
// non-positive len; otherwise 1, with text (up to its first NUL) copied only when it fits.
int HandBackText(const std::string& text, char* buf, int len);

}  // namespace orvel
