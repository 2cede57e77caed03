// Pieces of the host tool with sharp edges: the PATH syntax of the editing
// commands.
#include <gtest/gtest.h>

#include <string>

#include "tools/element_path.h"

namespace {

TEST(ElementPath, ParsesStepsIndexesAndAFinalAttribute) {
  const struct {
    const char* text;
    const char* parsed;  // steps as name#index (0: every one) joined by '/', then @attr; null when refused
  } cases[] = {
      {"catalog/book[2]/@id", "catalog#0/book#2@id"},
      {"/catalog", "catalog#0"},
      {"*[3]/x", "#3/x#0"},
      {"a/b[12]/c", "a#0/b#12/c#0"},
      {"a[0]", nullptr},
      {"a[]", nullptr},
      {"a[2", nullptr},
      {"a[2]x", nullptr},
      {"a[99999999999]", nullptr},
      {"@id", nullptr},
      {"a/@id/b", nullptr},
      {"a/@", nullptr},
      {"a//b", nullptr},
      {"", nullptr},
      {"a b", nullptr},
      {"a=b", nullptr},
  };
  for (const auto& c : cases) {
    orvelxml::ElementPath path;
    std::string error;
    const bool ok = orvelxml::ParseElementPath(c.text, &path, &error);
    EXPECT_EQ(ok, c.parsed != nullptr) << c.text;
    if (!ok || c.parsed == nullptr) {
      EXPECT_FALSE(error.empty()) << c.text;
      continue;
    }
    std::string shown;
    for (const orvelxml::PathStep& step : path.steps)
      shown += (shown.empty() ? "" : "/") + step.name + "#" + std::to_string(step.index);
    if (!path.attribute.empty()) shown += "@" + path.attribute;
    EXPECT_EQ(shown, c.parsed) << c.text;
  }
}

}  // namespace
