// Whole-file reading from an open stream, shared by both builds' ReadWholeFile.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace orvel {
namespace platform {

// The size by seeking to the end, then one read of that many bytes into
// *bytes, which changes only on success; a size of 0 (a /proc file tells no
// other) is read as ReadStreamToEnd reads. 0 or an errno value: the seek's or
// the read's; EFBIG past maxSize; EIO for a file that yields fewer bytes than
// its size; ENOMEM when no buffer of that size can be had.
int ReadOpenStream(std::FILE* f, std::size_t maxSize, std::string* bytes);
// Reads f to its end into *bytes, which changes only on success: a stream
// whose size seeking cannot tell (a pipe). 0 or an errno value: the read's;
// EFBIG past maxSize; ENOMEM when no buffer can be had.
int ReadStreamToEnd(std::FILE* f, std::size_t maxSize, std::string* bytes);

}  // namespace platform
}  // namespace orvel
