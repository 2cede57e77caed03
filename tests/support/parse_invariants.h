// Properties every parse must have, whatever the bytes: used by the engine
// tests on their regression files and by the parse fuzzer.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace orvel {
namespace test {

// Parses bytes (up to the first NUL) with and without DocNoCase, checks the
// table and that it equals the literal rules, re-indents, checks the table,
// the text and the status against the rules again and that only tabs and
// spaces in front of tags changed. Inputs stay within the layout limits
// (start tags below 1 MiB, nesting below 65,536 levels).
::testing::AssertionResult ParseInvariantsHold(const std::string& bytes);

}  // namespace test
}  // namespace orvel
