// The test host's runs and their printed values.
#pragma once

#include <string>

#include "tests/support/host_run.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace test {

// The value printed on the first stdout line "key=value", or "" when absent.
std::string ValueOf(const std::string& out, const std::string& key);

}  // namespace test
}  // namespace orvel
