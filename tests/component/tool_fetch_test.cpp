// How the host tool fetches a text result: the buffer grows until the text
// fits, and a text that never fits is an error, never an empty text.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/tool_support.h"

namespace {

// A read slot under the text rule for a text of the given length: copied
// with its NUL when it fits, buffer untouched otherwise, 1 for a usable buffer.
struct TextRuleSlot {
  std::string text;
  std::vector<int> capacitiesSeen;
  int operator()(char* buf, int len) {
    capacitiesSeen.push_back(len);
    if (buf == nullptr || len <= 0) return 0;
    if (text.size() < static_cast<std::size_t>(len)) std::memcpy(buf, text.c_str(), text.size() + 1);
    return 1;
  }
};

TEST(FetchText, GrowsTheBufferUntilTheTextFits) {
  const struct {
    std::size_t length;
    std::vector<int> capacities;
  } cases[] = {{0, {256}}, {255, {256}}, {256, {256, 512}}, {1500, {256, 512, 1024, 2048}}};
  for (const auto& c : cases) {
    TextRuleSlot slot{std::string(c.length, 'x'), {}};
    EXPECT_EQ(orvelxml::FetchText(std::ref(slot), 4096), std::string(c.length, 'x')) << c.length;
    EXPECT_EQ(slot.capacitiesSeen, c.capacities) << c.length;
  }
}

TEST(FetchText, ATextLargerThanTheLimitIsAnErrorNotAnEmptyText) {
  const struct {
    int limit;
    std::vector<int> capacities;
  } cases[] = {{4096, {256, 512, 1024, 2048, 4096}}, {1000, {256, 512, 1000}}, {100, {100}}};
  for (const auto& c : cases) {
    TextRuleSlot slot{std::string(5000, 'x'), {}};
    EXPECT_THROW(orvelxml::FetchText(std::ref(slot), c.limit), std::length_error) << c.limit;
    EXPECT_EQ(slot.capacitiesSeen, c.capacities) << c.limit;
  }
}

}  // namespace
