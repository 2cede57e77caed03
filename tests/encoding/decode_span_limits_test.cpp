// DecodeText at the limits of its span argument: lengths below -1, and a
// reference cut by the end of a span of the largest length a document allows.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <climits>
#include <cstring>
#include <string>

#include "engine/encoding.h"

namespace orvel {
namespace {

TEST(DecodeSpan, OnlyMinusOneMeansTheWholeString) {
  EXPECT_EQ(DecodeText("a&amp;b", -1), "a&b");
  // Any other negative length is an empty span: nothing of the string is read.
  for (std::int32_t length : {-2, -7, INT_MIN}) EXPECT_EQ(DecodeText("a&amp;b", length), "") << length;
}

#if defined(_WIN32)
TEST(DecodeSpan, ReferencesCutByTheEndOfTheLongestSpanAreCopied) {
  GTEST_SKIP() << "a 32-bit process cannot map a 2 GiB span and a guard page after it";
}
#else
// A span of INT_MAX bytes (the longest document text) whose last bytes are
// tail, placed so that its end is the end of readable memory: a read past the
// span is a fault, and a bounds test that overflows shows as a read past it.
class MaximalSpan {
 public:
  explicit MaximalSpan(const char* tail) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t span = static_cast<std::size_t>(INT_MAX);
    mapped_ = (span + page - 1) / page * page + page;
    void* base = mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base == MAP_FAILED) return;
    base_ = static_cast<char*>(base);
    char* guard = base_ + mapped_ - page;
    mprotect(guard, page, PROT_NONE);
    text_ = guard - span;  // zero bytes up to the tail
    std::memcpy(guard - std::strlen(tail), tail, std::strlen(tail));
  }
  ~MaximalSpan() {
    if (base_ != nullptr) munmap(base_, mapped_);
  }
  const char* text() const { return text_; }

 private:
  char* base_ = nullptr;
  char* text_ = nullptr;
  std::size_t mapped_ = 0;
};

TEST(DecodeSpan, ReferencesCutByTheEndOfTheLongestSpanAreCopied) {
  // A numeric reference whose ';' window runs past the end, then a named
  // entity whose ';' would lie past it: both are copied as written.
  const char tail[] = "&#6&lt";
  MaximalSpan span(tail);
  if (span.text() == nullptr) GTEST_SKIP() << "cannot map 2 GiB of address space";
  const std::string out = DecodeText(span.text(), INT_MAX);
  ASSERT_EQ(out.size(), static_cast<std::size_t>(INT_MAX));
  EXPECT_EQ(out.compare(out.size() - (sizeof tail - 1), std::string::npos, tail), 0);
}
#endif

}  // namespace
}  // namespace orvel
