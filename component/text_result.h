// Handing texts back across the boundary: a text reaches the caller's buffer
// whole with its NUL, or not at all.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// Copies src and its NUL into dst when src is shorter than capacity; otherwise
// dst stays exactly as it was. Returns whether the copy happened.
bool BoundedCopy(char* dst, int capacity, const char* src);

// The text rule of the read slots: 0 (nothing written) for a null buf or a
// non-positive len; otherwise 1, with text and a NUL copied only when they fit.
// Texts read from the document hold no NUL: the scans that find them stop there.
int HandBackText(std::string_view text, char* buf, int len);
// The same for a text that may hold NUL bytes (the document text itself):
// it is handed back up to the first one, as hosts read C strings.
int HandBackTextUpToNul(std::string_view text, char* buf, int len);

}  // namespace orvel
