// ParseText of a host string that ends on the last byte before unreadable
// memory (guard-page allocators, mapped files): no byte after its NUL may be
// read, whatever the alignment of its start.
#include <gtest/gtest.h>
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstring>
#include <string>

#include "engine/xml_document.h"

namespace orvel {
namespace {

// Readable pages followed by one page that cannot be read.
class PagesBeforeAGuard {
 public:
#if defined(_WIN32)
  explicit PagesBeforeAGuard(std::size_t pages) : page_(4096) {
    size_ = (pages + 1) * page_;
    base_ = static_cast<char*>(VirtualAlloc(nullptr, size_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ != nullptr && !VirtualProtect(base_ + pages * page_, page_, PAGE_NOACCESS, &old)) {
      VirtualFree(base_, 0, MEM_RELEASE);
      base_ = nullptr;
    }
  }
  ~PagesBeforeAGuard() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
#else
  explicit PagesBeforeAGuard(std::size_t pages) : page_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    size_ = (pages + 1) * page_;
    void* p = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
    if (base_ != nullptr && mprotect(base_ + pages * page_, page_, PROT_NONE) != 0) {
      munmap(base_, size_);
      base_ = nullptr;
    }
  }
  ~PagesBeforeAGuard() {
    if (base_ != nullptr) munmap(base_, size_);
  }
#endif
  bool ok() const { return base_ != nullptr; }
  // Copies s so that its NUL is the last readable byte.
  const char* PlaceAtEnd(const std::string& s) {
    char* at = base_ + size_ - page_ - (s.size() + 1);
    std::memcpy(at, s.c_str(), s.size() + 1);
    return at;
  }

 private:
  std::size_t page_;
  std::size_t size_ = 0;
  char* base_ = nullptr;
};

std::string DocumentOfLength(std::size_t n) {
  if (n < 7) return std::string(n, 'x');
  return "<r>" + std::string(n - 7, 'x') + "</r>";
}

// earlier: the length parsed before each case, which decides how much room
// the copy is given (from 8 MiB on, its stores bypass the caches).
void ParseEveryLengthAtThePageEnd(std::size_t earlier, std::size_t longest) {
  PagesBeforeAGuard pages(longest / 4096 + 2);
  ASSERT_TRUE(pages.ok());
  const std::string large = DocumentOfLength(earlier);
  XmlDocument doc;
  for (std::size_t n = 0; n <= longest; n += n < 100 ? 1 : 997) {
    doc.ParseText(large.c_str());
    const std::string want = DocumentOfLength(n);
    doc.ParseText(pages.PlaceAtEnd(want));
    ASSERT_EQ(doc.text, want) << "length " << n;
  }
}

TEST(TextAtPageEnd, CopiedWithoutReadingPastItsNul) { ParseEveryLengthAtThePageEnd(100000, 70000); }

TEST(TextAtPageEnd, CopiedWithStreamingStores) { ParseEveryLengthAtThePageEnd(9u << 20, 40); }

// A large text in a new document gets fresh room, offered large pages before
// the copy fills it: every byte arrives, at every alignment of its end.
TEST(TextAtPageEnd, CopiedIntoTheFreshRoomOfANewDocument) {
  constexpr std::size_t kLarge = (5u << 20) + 12345;
  PagesBeforeAGuard pages(kLarge / 4096 + 3);
  ASSERT_TRUE(pages.ok());
  for (std::size_t n = kLarge; n < kLarge + 5; ++n) {
    const std::string want = DocumentOfLength(n);
    XmlDocument doc;
    EXPECT_TRUE(doc.ParseText(pages.PlaceAtEnd(want)));
    ASSERT_EQ(doc.text, want) << "length " << n;
    EXPECT_EQ(doc.recordCount, 2);
  }
}

}  // namespace
}  // namespace orvel
