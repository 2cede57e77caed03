// The heap every benchmark of one run works with, chosen by the environment.
#pragma once

namespace orvel {
namespace bench {

// ORVEL_BENCH_STEADY_HEAP=1: large blocks from the heap and no trimming, so
// that no parse pays page faults for fresh mappings. With glibc's defaults a
// parser that frees and reallocates its memory on every parse pays them, in
// proportion to its memory use, and its timing depends on what ran before.
void ApplyHeapModeFromEnvironment();

}  // namespace bench
}  // namespace orvel
