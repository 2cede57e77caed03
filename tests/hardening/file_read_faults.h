// A file that changes between the moment its size is taken and the moment it
// is read: the test executable's fread changes the file the next read is
// from, once armed, and then reads. (The C library reads the first block
// while it seeks back to the start: only what lies beyond it can be missed.)
#pragma once

#include <sys/types.h>

namespace orvel {
namespace test {

// The next fread first sets the file it reads from to newSize bytes (cut
// short, or grown with 'x' bytes).
void ResizeFileAtNextRead(off_t newSize);
// Whether the armed change has happened.
bool FileWasResized();

}  // namespace test
}  // namespace orvel
