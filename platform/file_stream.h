// Whole-file reading from an open stream, shared by both builds' ReadWholeFile.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace orvel {
namespace platform {

// The size by seeking to the end, then one read of that many bytes into
// *bytes, which changes only on success. 0 or an errno value: the seek's or the
// read's; EFBIG past maxSize; EIO for a file that yields fewer bytes than its
// size; ENOMEM when no buffer of that size can be had.
int ReadOpenStream(std::FILE* f, std::size_t maxSize, std::string* bytes);

}  // namespace platform
}  // namespace orvel
