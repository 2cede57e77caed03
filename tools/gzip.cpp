#include "tools/gzip.h"

#include <zlib.h>

namespace orvelxml {

bool Gzip(const std::string& in, std::string* out) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out->clear();
  const char* next = in.data();
  std::size_t left = in.size();
  int status = Z_OK;
  unsigned char chunk[65536];
  do {
    const uInt take = static_cast<uInt>(left < (1u << 30) ? left : (1u << 30));  // zlib counts in 32 bits
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(next));
    z.avail_in = take;
    const int flush = take == left ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = chunk;
      z.avail_out = sizeof chunk;
      status = deflate(&z, flush);
      out->append(reinterpret_cast<const char*>(chunk), sizeof chunk - z.avail_out);
    } while (z.avail_out == 0);
    next += take;
    left -= take;
  } while (left > 0);
  deflateEnd(&z);
  return status == Z_STREAM_END;
}

}  // namespace orvelxml
