// libFuzzer target: a generated document (its seed from the first two bytes)
// edited by the steps the remaining bytes choose, with the table checker's
// proof after every step that the table still describes the text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/xml_document.h"
#include "tests/support/document_generator.h"
#include "tests/support/edit_sequence.h"
#include "tests/support/table_checker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint32_t seed = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8;
  orvel::XmlDocument d;
  d.ParseText(orvel::GenerateDocument(seed).c_str());
  const std::vector<orvel::test::EditStep> steps = orvel::test::StepsFromBytes(data + 2, size - 2);
  for (std::size_t i = 0; i < steps.size(); ++i) {
    orvel::test::ApplyStep(d, steps[i]);
    const ::testing::AssertionResult checked = orvel::test::CheckTable(d);
    if (!checked) {
      std::fprintf(stderr, "seed %u, after step %zu: %s\n", static_cast<unsigned>(seed), i,
                   checked.message());
      for (std::size_t k = 0; k <= i; ++k)
        std::fprintf(stderr, "  %s\n", orvel::test::DescribeStep(steps[k]).c_str());
      std::abort();
    }
  }
  return 0;
}
