// The global operator new/delete of the in-process concurrency tests, which
// link the module objects: allocations can be made to fail, and one freed
// block can be handed to the next allocation of its size on any thread, as
// an allocator that reuses addresses at once would.
#pragma once

#include <cstddef>

namespace orvel {
namespace test {

// Allocation number n, counted from this call on all threads, throws
// std::bad_alloc (nothrow forms return null); -1 disarms.
void FailAllocationAt(long n);
// Allocations counted since the last FailAllocationAt.
long AllocationsCounted();

// When the block at address is deleted it is kept instead of freed, then
// onFree runs (still inside the delete); the next allocation of size bytes
// receives that block.
void ReuseBlockWhenFreed(const void* address, std::size_t size, void (*onFree)());

}  // namespace test
}  // namespace orvel
