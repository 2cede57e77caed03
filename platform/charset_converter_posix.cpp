// The system's converter on POSIX: iconv, one descriptor each way.
#if !defined(_WIN32)

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/charset_converter.h"

namespace orvel {
namespace platform {

namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

class IconvConverter final : public CharsetConverter {
 public:
  IconvConverter(iconv_t decode, iconv_t encode) : decode_(decode), encode_(encode) {}
  ~IconvConverter() override {
    iconv_close(decode_);
    iconv_close(encode_);
  }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  std::size_t ToUtf8(const char* bytes, std::size_t n, std::string* utf8) override {
    return Convert(decode_, bytes, n, utf8);
  }
  std::size_t FromUtf8(const char* utf8, std::size_t n, std::string* out) override {
    return Convert(encode_, utf8, n, out);
  }

 private:
  // Converts in from its initial state into room grown as needed, stopping
  // at the first input it cannot convert; then writes a stateful encoding's
  // closing shift.
  static std::size_t Convert(iconv_t cd, const char* in, std::size_t n, std::string* out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);  // iconv's signature; it does not write there
    std::size_t left = n;
    std::size_t used = out->size();
    for (bool converting = true;;) {
      out->resize(used + std::max<std::size_t>(left + left / 2, 64));
      char* dst = &(*out)[used];
      std::size_t room = out->size() - used;
      const std::size_t r =
          converting ? iconv(cd, &src, &left, &dst, &room) : iconv(cd, nullptr, nullptr, &dst, &room);
      const bool full = r == static_cast<std::size_t>(-1) && errno == E2BIG;
      used = out->size() - room;
      if (full) continue;
      if (!converting) break;
      converting = false;  // all converted, or stopped at input it cannot convert
    }
    out->resize(used);
    return n - left;
  }

  iconv_t decode_;
  iconv_t encode_;
};

}  // namespace

std::unique_ptr<CharsetConverter> CharsetConverter::Open(const std::string& name) {
  // A name iconv would read as options ("//TRANSLIT") or as the locale's
  // own encoding ("") is no encoding a document can name.
  if (name.empty() || name.find('/') != std::string::npos) return nullptr;
  const iconv_t decode = iconv_open("UTF-8", name.c_str());
  if (decode == kNoDescriptor) return nullptr;
  const iconv_t encode = iconv_open(name.c_str(), "UTF-8");
  if (encode == kNoDescriptor) {
    iconv_close(decode);
    return nullptr;
  }
  return std::unique_ptr<CharsetConverter>(new IconvConverter(decode, encode));
}

std::unique_ptr<CharsetConverter> CharsetConverter::OpenForArguments() { return nullptr; }

}  // namespace platform
}  // namespace orvel

#endif  // !_WIN32
