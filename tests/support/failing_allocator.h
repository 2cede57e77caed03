// A replacement of the global allocation functions for test executables
// that link the engine and the component in process: every allocation the
// engine makes (text growth, record blocks, token stack, marks, result
// strings) passes here, and a test makes the Nth of them fail with
// std::bad_alloc. Compile failing_allocator.cpp into the executable itself
// (not through a library), so that it replaces the standard functions.
#pragma once

#include <cstddef>

namespace orvel {
namespace test {

// From now on the allocation with number n (1 = the next one) fails; 0 lets
// every allocation succeed again. Resets the count.
void FailAllocation(long n);
// Allocations counted since the last FailAllocation.
long AllocationsCounted();
// Blocks allocated and not yet freed, over the whole process.
long LiveAllocations();
// Bytes allocated and not yet freed, and their peak since ResetPeakBytes.
std::size_t LiveBytes();
std::size_t PeakBytes();
void ResetPeakBytes();

}  // namespace test
}  // namespace orvel
