#include "support/heap_mode.h"

#include <malloc.h>

#include <cstdlib>

namespace orvel {
namespace bench {

void ApplyHeapModeFromEnvironment() {
  const char* steady = std::getenv("ORVEL_BENCH_STEADY_HEAP");
  if (steady != nullptr && steady[0] == '1') {
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
}

}  // namespace bench
}  // namespace orvel
