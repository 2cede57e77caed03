// Properties every parse must have, whatever the bytes: used by the engine
// tests on their regression files and by the parse fuzzer.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace test {

// Parses bytes (up to the first NUL) with and without DocNoCase, checks the
// table, re-indents, checks the table again and that only tabs and spaces
// in front of tags changed.
::testing::AssertionResult ParseInvariantsHold(const std::string& bytes);

}  // namespace test
}  // namespace orvel
