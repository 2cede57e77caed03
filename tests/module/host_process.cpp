#include "tests/module/host_process.h"

#include <sstream>

namespace orvel {
namespace test {

std::string ValueOf(const std::string& out, const std::string& key) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "";
}

}  // namespace test
}  // namespace orvel
