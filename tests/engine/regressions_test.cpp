#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/parse_invariants.h"

namespace orvel {
namespace test {
namespace {

// Inputs kept from fuzzing and from fixed faults, replayed on every run.
TEST(Regressions, KeptInputsStillParseSoundly) {
  std::vector<std::string> files;
  if (DIR* dir = opendir(ORVEL_ENGINE_REGRESSIONS)) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') files.push_back(std::string(ORVEL_ENGINE_REGRESSIONS) + "/" + entry->d_name);
    closedir(dir);
  }
  ASSERT_FALSE(files.empty()) << "no files in " << ORVEL_ENGINE_REGRESSIONS;
  for (const std::string& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_TRUE(ParseInvariantsHold(bytes.str())) << path;
  }
}

}  // namespace
}  // namespace test
}  // namespace orvel
