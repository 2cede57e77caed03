#include "platform/file_stream.h"

#include <cerrno>
#include <exception>
#if !defined(_WIN32)
#include <sys/types.h>
#endif

#include "platform/platform.h"

namespace orvel {
namespace platform {
namespace {

// 64-bit stream positions on both builds (long is 32 bits on Windows).
#if defined(_WIN32)
int SeekTo(std::FILE* f, long long offset, int whence) { return _fseeki64(f, offset, whence); }
long long Position(std::FILE* f) { return _ftelli64(f); }
#else
int SeekTo(std::FILE* f, long long offset, int whence) {
  return fseeko(f, static_cast<off_t>(offset), whence);
}
long long Position(std::FILE* f) { return ftello(f); }
#endif

}  // namespace

int ReadOpenStream(std::FILE* f, std::size_t maxSize, std::string* bytes) {
  if (SeekTo(f, 0, SEEK_END) != 0) return errno;
  const long long end = Position(f);
  if (end < 0) return errno;
  if (SeekTo(f, 0, SEEK_SET) != 0) return errno;
  if (static_cast<unsigned long long>(end) > maxSize) return EFBIG;
  if (end == 0) return ReadStreamToEnd(f, maxSize, bytes);
  const std::size_t size = static_cast<std::size_t>(end);
  std::string buffer;
  try {
    buffer.reserve(size);
    AdviseLargePages(&buffer[0], buffer.capacity());  // before resize touches it
    buffer.resize(size);
  } catch (const std::exception&) {
    return ENOMEM;
  }
  errno = 0;
  if (size > 0 && std::fread(&buffer[0], size, 1, f) != 1) {
    // A file that shrank since its size was taken ends without an error number.
    return std::ferror(f) != 0 && errno != 0 ? errno : EIO;
  }
  bytes->swap(buffer);
  return 0;
}

int ReadStreamToEnd(std::FILE* f, std::size_t maxSize, std::string* bytes) {
  std::string buffer;
  std::string chunk;
  try {
    chunk.resize(std::size_t{1} << 16);
    for (;;) {
      errno = 0;
      const std::size_t n = std::fread(&chunk[0], 1, chunk.size(), f);
      if (n > maxSize - buffer.size()) return EFBIG;
      buffer.append(chunk, 0, n);
      if (n < chunk.size()) break;
    }
  } catch (const std::exception&) {
    return ENOMEM;
  }
  if (std::ferror(f) != 0) return errno != 0 ? errno : EIO;
  bytes->swap(buffer);
  return 0;
}

}  // namespace platform
}  // namespace orvel
