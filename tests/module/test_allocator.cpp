#include "tests/module/test_allocator.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace orvel {
namespace test {
namespace {

std::atomic<long> g_failAt{-1};
std::atomic<long> g_counted{0};

std::atomic<const void*> g_watched{nullptr};
std::atomic<std::size_t> g_keptSize{0};
std::atomic<void*> g_kept{nullptr};
void (*g_onFree)() = nullptr;  // written before g_watched is published

void* Allocate(std::size_t n) {
  if (g_failAt.load() >= 0 && g_counted.fetch_add(1) == g_failAt.load()) throw std::bad_alloc();
  if (n == g_keptSize.load() && g_kept.load() != nullptr) {
    if (void* reused = g_kept.exchange(nullptr)) return reused;
  }
  void* p = std::malloc(n != 0 ? n : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void Free(void* p) {
  if (p == nullptr) return;
  const void* expected = p;
  if (g_watched.compare_exchange_strong(expected, nullptr)) {
    g_kept.store(p);
    g_onFree();
    return;
  }
  std::free(p);
}

}  // namespace

void FailAllocationAt(long n) {
  g_counted.store(0);
  g_failAt.store(n);
}

long AllocationsCounted() { return g_counted.load(); }

void ReuseBlockWhenFreed(const void* address, std::size_t size, void (*onFree)()) {
  g_onFree = onFree;
  g_keptSize.store(size);
  g_watched.store(address);
}

}  // namespace test
}  // namespace orvel

void* operator new(std::size_t n) { return orvel::test::Allocate(n); }
void* operator new[](std::size_t n) { return orvel::test::Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return orvel::test::Allocate(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { orvel::test::Free(p); }
void operator delete[](void* p) noexcept { orvel::test::Free(p); }
void operator delete(void* p, std::size_t) noexcept { orvel::test::Free(p); }
void operator delete[](void* p, std::size_t) noexcept { orvel::test::Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { orvel::test::Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { orvel::test::Free(p); }
