// The end of every benchmark program's main.
#pragma once

namespace orvel {
namespace bench {

// Reads Google Benchmark's flags from the command line and runs the
// benchmarks registered so far; 1 when an argument is not understood.
int RunBenchmarks(int argc, char** argv);

}  // namespace bench
}  // namespace orvel
