#include "tests/support/failing_allocator.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

long g_failAt = 0;  // 0: none
long g_counted = 0;
long g_live = 0;
std::size_t g_liveBytes = 0;
std::size_t g_peakBytes = 0;

// Each block carries its size in front of it, in a header that keeps the
// block aligned for any type.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t n) {
  if (++g_counted == g_failAt) throw std::bad_alloc();
  char* block = static_cast<char*>(std::malloc(n + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = n;
  ++g_live;
  g_liveBytes += n;
  if (g_liveBytes > g_peakBytes) g_peakBytes = g_liveBytes;
  return block + kHeader;
}

void Free(void* p) noexcept {
  if (p == nullptr) return;
  char* block = static_cast<char*>(p) - kHeader;
  --g_live;
  g_liveBytes -= *reinterpret_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

namespace orvel {
namespace test {

void FailAllocation(long n) {
  g_failAt = n;
  g_counted = 0;
}
long AllocationsCounted() { return g_counted; }
long LiveAllocations() { return g_live; }
std::size_t LiveBytes() { return g_liveBytes; }
std::size_t PeakBytes() { return g_peakBytes; }
void ResetPeakBytes() { g_peakBytes = g_liveBytes; }

}  // namespace test
}  // namespace orvel

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
