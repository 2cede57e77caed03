#include "factory/document_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace zandrop {
namespace {

constexpr char kPassPhrase[] = "Pumlo";
constexpr std::int64_t kMaxReported = std::numeric_limits<std::int32_t>::max();

bool OnlyZeros(const unsigned char* p, std::size_t n) {
  return std::all_of(p, p + n, [](unsigned char c) { return c == 0; });
}

// The length the last gzip member of input records for its text (its last
// four bytes, little-endian: the length modulo 2^32), or 0 when input is too
// short to hold one.
std::int64_t RecordedLength(const unsigned char* input, std::size_t n) {
  if (n < 18) return 0;  // a gzip header and trailer alone take 18 bytes
  const unsigned char* p = input + n - 4;
  return static_cast<std::int64_t>(p[0] | (p[1] << 8) | (p[2] << 16) |
                                   (static_cast<std::uint32_t>(p[3]) << 24));
}

// Inflates gzip members one after another into out, and stops once its
// `room` bytes are full: the text beyond them is not decoded.
class GzipText {
 public:
  GzipText() { ok_ = inflateInit2(&z_, 15 + 16) == Z_OK; }
  ~GzipText() {
    if (ok_) inflateEnd(&z_);
  }
  GzipText(const GzipText&) = delete;
  GzipText& operator=(const GzipText&) = delete;

  // Decodes input; *size receives the length written, *more whether text
  // remains that did not fit. false for data that is not gzip.
  bool Run(const unsigned char* input, std::size_t n, unsigned char* out, std::size_t room, std::size_t* size,
           bool* more) {
    if (!ok_) return false;
    z_.next_in = const_cast<unsigned char*>(input);
    z_.avail_in = static_cast<uInt>(n);
    std::size_t total = 0;
    unsigned char probe;  // one byte past a full room tells whether text remains
    for (;;) {
      const bool full = total == room;
      z_.next_out = full ? &probe : out + total;
      z_.avail_out = full ? 1 : static_cast<uInt>(std::min<std::size_t>(room - total, 1u << 30));
      const uInt before = z_.avail_out;
      const int status = inflate(&z_, Z_NO_FLUSH);
      const std::size_t produced = before - z_.avail_out;
      if (full && produced > 0) {
        *size = total;
        *more = true;
        return true;
      }
      total += produced;
      *size = total;
      *more = false;
      if (status == Z_STREAM_END) {
        if (z_.avail_in == 0 || OnlyZeros(z_.next_in, z_.avail_in)) return true;
        if (inflateReset(&z_) != Z_OK) return false;  // the next member
        continue;
      }
      // Z_BUF_ERROR with input left means only that the output was full.
      if (status != Z_OK && !(status == Z_BUF_ERROR && z_.avail_out == 0)) return false;
      if (z_.avail_in == 0 && z_.avail_out != 0) return false;  // the stream ends early
    }
  }

 private:
  z_stream z_{};
  bool ok_ = false;
};

}  // namespace

int DocumentDecoder::Decode(const void* input, std::int32_t inputLength, void* parameterBlock, void* output,
                            std::int32_t* outputLength) {
  if (input == nullptr || inputLength <= 0 || parameterBlock == nullptr || output == nullptr ||
      outputLength == nullptr || *outputLength <= 0 ||
      std::memcmp(parameterBlock, kPassPhrase, sizeof kPassPhrase) != 0) {
    return 0;
  }
  auto* out = static_cast<unsigned char*>(output);
  const auto* in = static_cast<const unsigned char*>(input);
  const std::size_t room = static_cast<std::size_t>(*outputLength) - 1;  // one byte kept for the NUL
  std::size_t size = 0;
  bool more = false;
  GzipText gzip;
  if (!gzip.Run(in, static_cast<std::size_t>(inputLength), out, room, &size, &more)) {
    out[0] = '\0';
    return 0;
  }
  out[size] = '\0';
  std::int64_t needed = static_cast<std::int64_t>(size) + 1;
  if (more) {
    // At least one byte more than the room; the last member's recorded length
    // says how much when the file holds one member (as the gzip tool writes it).
    needed =
        std::max<std::int64_t>(needed + 1, RecordedLength(in, static_cast<std::size_t>(inputLength)) + 1);
  }
  *outputLength = static_cast<std::int32_t>(std::min(needed, kMaxReported));
  return 1;
}

}  // namespace zandrop
