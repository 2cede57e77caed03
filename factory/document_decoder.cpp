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

// Inflates gzip members one after another. The first `room` bytes of text go
// to out; the rest is decoded into a scratch buffer only to be counted.
class GzipText {
 public:
  GzipText() { ok_ = inflateInit2(&z_, 15 + 16) == Z_OK; }
  ~GzipText() {
    if (ok_) inflateEnd(&z_);
  }
  GzipText(const GzipText&) = delete;
  GzipText& operator=(const GzipText&) = delete;

  // Decodes input; *size receives the text's length (stopping at kMaxReported).
  bool Run(const unsigned char* input, std::size_t n, unsigned char* out, std::size_t room,
           std::int64_t* size) {
    if (!ok_) return false;
    z_.next_in = const_cast<unsigned char*>(input);
    z_.avail_in = static_cast<uInt>(n);
    std::int64_t total = 0;
    unsigned char scratch[65536];
    for (;;) {
      const bool direct = static_cast<std::size_t>(total) < room;
      z_.next_out = direct ? out + total : scratch;
      z_.avail_out = static_cast<uInt>(
          direct ? std::min<std::size_t>(room - static_cast<std::size_t>(total), 1u << 30) : sizeof scratch);
      const uInt before = z_.avail_out;
      const int status = inflate(&z_, Z_NO_FLUSH);
      total += before - z_.avail_out;
      *size = std::min(total, kMaxReported);
      if (total >= kMaxReported) return true;
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
  const std::size_t room = static_cast<std::size_t>(*outputLength) - 1;  // one byte kept for the NUL
  std::int64_t size = 0;
  GzipText gzip;
  if (!gzip.Run(static_cast<const unsigned char*>(input), static_cast<std::size_t>(inputLength), out, room,
                &size)) {
    out[0] = '\0';
    return 0;
  }
  out[std::min<std::int64_t>(size, static_cast<std::int64_t>(room))] = '\0';
  *outputLength = static_cast<std::int32_t>(std::min(size + 1, kMaxReported));
  return 1;
}

}  // namespace zandrop
