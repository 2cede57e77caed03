// The text rule and the number formatting of the read and Number slots.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#include "component/calling_frame.h"
#include "component/text_result.h"

namespace orvel {
namespace {

TEST(TextRule, CopiesWholeTextsOrNothing) {
  struct Case {
    std::string text;
    bool nullBuffer;
    int len;
    int result;
    const char* buffer;  // after the call; "########" = untouched
  };
  const Case cases[] = {
      {"abcdef", false, 7, 1, "abcdef"},           // length + 1: copied with NUL
      {"abcdef", false, 6, 1, "########"},         // capacity exactly the length: untouched
      {"abcdef", false, 1, 1, "########"},
      {"", false, 1, 1, ""},                       // empty result: a single NUL
      {"", false, 0, 0, "########"},               // no capacity: nothing
      {"abc", false, -3, 0, "########"},
      {"abc", true, 8, 0, "########"},             // null buffer
      {std::string("ab\0cd", 5), false, 3, 1, "ab"},  // length ends at the first NUL
      {std::string("ab\0cd", 5), false, 2, 1, "########"},
  };
  for (const Case& c : cases) {
    // Texts read from the document hold no NUL and take the copy without a
    // search for one; the document text itself may hold one.
    const bool holdsNul = c.text.find('\0') != std::string::npos;
    for (auto handBack : {HandBackTextUpToNul, HandBackText}) {
      if (holdsNul && handBack == HandBackText) continue;
      char buf[9] = "########";
      const int r = handBack(c.text, c.nullBuffer ? nullptr : buf, c.len);
      EXPECT_EQ(r, c.result) << c.text.size() << " bytes, len " << c.len;
      EXPECT_STREQ(buf, c.buffer) << c.text.size() << " bytes, len " << c.len;
      EXPECT_EQ(buf[8], '\0');
    }
  }
}

TEST(TextRule, BoundedCopyNeverWritesPastCapacity) {
  // Heap blocks of exactly the capacity, so an overrun is caught by AddressSanitizer.
  for (int capacity = 1; capacity <= 6; ++capacity) {
    std::unique_ptr<char[]> dst(new char[capacity]);
    std::memset(dst.get(), 'x', capacity);
    const bool copied = BoundedCopy(dst.get(), capacity, "hello");
    EXPECT_EQ(copied, capacity == 6) << capacity;
    if (!copied) {
      EXPECT_EQ(dst[0], 'x') << capacity;
    }
  }
  char one[1] = {'x'};
  EXPECT_FALSE(BoundedCopy(one, 1, nullptr));
  EXPECT_FALSE(BoundedCopy(nullptr, 1, ""));
}

TEST(NumberText, FormatsLikePrintfPercentD) {
  const struct {
    int value;
    const char* text;
  } cases[] = {{0, "0"}, {-5, "-5"}, {42, "42"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& c : cases) EXPECT_STREQ(NumberText(c.value).text, c.text);
}

}  // namespace
}  // namespace orvel
