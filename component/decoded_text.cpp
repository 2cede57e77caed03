#include "component/decoded_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/platform.h"

namespace orvel {
namespace {

constexpr std::int64_t kMaxInt32 = std::numeric_limits<std::int32_t>::max();
// The room and the NUL the module keeps after it stay within 32 bits.
constexpr std::int64_t kMaxRoom = kMaxInt32 - 1;
// Calls before the room reaches kMaxRoom, at least doubling from 2 bytes.
constexpr int kMaxDecodeCalls = 32;
constexpr std::size_t kHandOverPiece = std::size_t{4} << 20;

// Zero-filled room for the decoder's output, one byte more than the capacity
// it is offered: the NUL it cannot overwrite.
class DecoderRoom {
 public:
  explicit DecoderRoom(std::int64_t capacity)
      : size_(static_cast<std::size_t>(capacity) + 1), data_(platform::AllocateZeroedPages(size_)) {}
  ~DecoderRoom() { platform::FreeZeroedPages(data_, size_); }
  DecoderRoom(const DecoderRoom&) = delete;
  DecoderRoom& operator=(const DecoderRoom&) = delete;

  char* data() const { return data_; }

  // Moves the first n bytes into *text, giving back each piece's pages once
  // it is copied.
  void HandOver(std::size_t n, std::string* text) {
    std::string taken;
    taken.reserve(n);
    platform::AdviseLargePages(&taken[0], taken.capacity());  // before the copy touches it
    for (std::size_t at = 0; at < n; at += kHandOverPiece) {
      const std::size_t piece = std::min(kHandOverPiece, n - at);
      taken.append(data_ + at, piece);
      platform::DiscardPages(data_ + at, piece);
    }
    text->swap(taken);
  }

 private:
  std::size_t size_;
  char* data_;
};

// n less the zero bytes at the end of [p, p + n); p is page-aligned, so whole
// words are read where they can be.
std::size_t WithoutTrailingZeros(const char* p, std::size_t n) {
  while (n % sizeof(std::uint64_t) != 0 && n > 0 && p[n - 1] == '\0') --n;
  if (n % sizeof(std::uint64_t) == 0) {
    for (std::uint64_t word = 0; n > 0; n -= sizeof word) {
      std::memcpy(&word, p + n - sizeof word, sizeof word);
      if (word != 0) break;
    }
  }
  while (n > 0 && p[n - 1] == '\0') --n;
  return n;
}

}  // namespace

bool DecodeDocument(IDocumentDecoder& decoder, const std::string& input, std::string* text) {
  char parameters[128] = "Pumlo";
  std::int64_t capacity = std::max<std::int64_t>(1, 2 * static_cast<std::int64_t>(input.size()));
  for (int call = 0; call < kMaxDecodeCalls; ++call) {
    DecoderRoom room(capacity);
    if (room.data() == nullptr) return false;
    std::int32_t length = static_cast<std::int32_t>(capacity);
    if (decoder.Decode(input.data(), static_cast<std::int32_t>(input.size()), parameters, room.data(),
                       &length) == 0) {
      return false;
    }
    if (length > capacity) {
      if (capacity == kMaxRoom) return false;  // more than a document can hold
      capacity = std::min(kMaxRoom, std::max<std::int64_t>(length, 2 * capacity));
      continue;
    }
    // The text ends where the decoder says (its length counts the NUL), or
    // at the end of the room when it left the length as it was; the zero
    // bytes the room held where nothing was written are no text.
    const std::size_t end =
        WithoutTrailingZeros(room.data(), static_cast<std::size_t>(length > 0 ? length : capacity));
    if (end == 0) return false;
    room.HandOver(end, text);
    return true;
  }
  return false;
}

}  // namespace orvel
