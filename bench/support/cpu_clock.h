// The CPU time of the whole process, on both targets.
#pragma once

namespace orvel {
namespace bench {

// Seconds of CPU time (user and system) the process has used. Under Wine the
// clock advances in steps of 10 ms: time spans far longer than that.
double ProcessCpuSeconds();

}  // namespace bench
}  // namespace orvel
