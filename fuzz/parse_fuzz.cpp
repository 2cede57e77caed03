// libFuzzer target: any bytes through ParseText and ReindentDocument, then
// the table checker's proof that the table describes the text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/parse_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ::testing::AssertionResult result = orvel::test::ParseInvariantsHold(bytes);
  if (!result) {
    std::fprintf(stderr, "%s\n", result.message());
    std::abort();
  }
  return 0;
}
