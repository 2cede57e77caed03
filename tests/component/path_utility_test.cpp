// The path utility's bounded operations: a result is written whole with its
// NUL, or the buffer is left as it was.
#include "component/path_utility.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/factory_access.h"
#include "platform/platform.h"

namespace orvel {
namespace {

// An absolute file name of six characters, and the root folder, in each build's path syntax.
#if defined(_WIN32)
const char* const kAbsoluteFile = "C:\\b.x";
const char* const kRootFolder = "C:\\";
#else
const char* const kAbsoluteFile = "/a/b.x";
const char* const kRootFolder = "/";
#endif

// Which paths are taken as they are and which are joined to the data root.
TEST(PathUtility, AbsolutePathsStayRelativeOnesJoinTheDataRoot) {
  const struct {
    const char* path;
    bool absolute;
  } cases[] = {
#if defined(_WIN32)
    {"C:\\data\\a.xml", true},
    {"c:a.xml", true},
    {"\\data\\a.xml", true},
    {"\\\\server\\share\\a.xml", true},
    {"a:", true},
    {"x/y:z", true},
    {"/data/a.xml", false},
    {"data\\a.xml", false},
    {"a.xml", false},
#else
    {"/data/a.xml", true},
    {"//a", true},
    {"C:\\data\\a.xml", false},
    {"data/a.xml", false},
    {"a.xml", false},
#endif
  };
  const std::string root = DataRootDirectory();
  for (const auto& c : cases) {
    char buf[300] = "####";
    EXPECT_EQ(PathUtility::ResolvePath(c.path, buf, sizeof buf), 1) << c.path;
    const std::string joined = root + platform::kPathSeparator + c.path;
    EXPECT_EQ(std::string(buf), c.absolute ? std::string(c.path) : joined) << c.path;
  }
}

TEST(PathUtility, GetExtension) {
  const struct {
    const char* path;
    int capacity;
    int result;
    const char* buf;  // after the call
  } cases[] = {
      {"a.xmlz", 5, 1, "xmlz"},    {"a.xmlz", 4, 0, "####"},
      {"a.b.c", 10, 1, "c"},       {"dir.old/file", 10, 1, "old/file"},
      {"noext", 10, 0, "####"},    {"a.", 10, 1, ""},
      {nullptr, 10, 0, "####"},    {"a.x", 0, 0, "####"},
      {"a.xmlz ", 10, 1, "xmlz "},
  };
  for (const auto& c : cases) {
    char buf[16] = "####";
    EXPECT_EQ(PathUtility::GetExtension(c.path, buf, c.capacity), c.result) << (c.path ? c.path : "null");
    EXPECT_STREQ(buf, c.buf) << (c.path ? c.path : "null");
  }
}

TEST(PathUtility, TrimSpacesAndExtensionEquals) {
  const struct {
    const char* src;
    int capacity;
    int length;
    const char* dst;
  } trims[] = {
      {"  xmlz  ", 10, 4, "xmlz"}, {"\txmlz ", 10, 5, "\txmlz"},
      {"    ", 10, 0, ""},         {"", 10, 0, ""},
      {" abcd ", 4, 0, ""},        {" abc ", 4, 3, "abc"},
      {nullptr, 10, 0, "####"},    {"a", 0, 0, "####"},
  };
  for (const auto& c : trims) {
    char dst[16] = "####";
    EXPECT_EQ(PathUtility::TrimSpaces(c.src, dst, c.capacity), c.length) << (c.src ? c.src : "null");
    EXPECT_STREQ(dst, c.dst) << (c.src ? c.src : "null");
  }
  const struct {
    const char* a;
    const char* b;
    bool equal;
  } pairs[] = {
      {"xmlz", "xmlz", true}, {"XMLZ", "xmlz", true},   {"xmlz ", "xmlz", true},   {" XmLz", "xmlz", true},
      {"xml", "xmlz", false}, {"xmlzz", "xmlz", false}, {"xmlz\t", "xmlz", false}, {"", "", true},
      {nullptr, "", true},    {"", "xmlz", false},
  };
  for (const auto& c : pairs) {
    EXPECT_EQ(PathUtility::ExtensionEquals(c.a, c.b), c.equal) << (c.a ? c.a : "null") << " vs " << c.b;
  }
}

TEST(PathUtility, AppendSuffixAndAbsoluteResolution) {
  const struct {
    const char* start;
    int capacity;
    int result;
    const char* buf;
  } appends[] = {
      {"data.xml", 10, 1, "data.xmlz"},
      {"data.xml", 9, 0, "data.xml"},
      {"", 2, 1, "z"},
      {"", 1, 0, ""},
  };
  for (const auto& c : appends) {
    char buf[16];
    std::strcpy(buf, c.start);
    EXPECT_EQ(PathUtility::AppendSuffix(buf, c.capacity, "z"), c.result) << c.start << " in " << c.capacity;
    EXPECT_STREQ(buf, c.buf) << c.start << " in " << c.capacity;
  }
  char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(PathUtility::AppendSuffix(unterminated, 4, "z"), 0) << "no NUL within the capacity";
  EXPECT_EQ(PathUtility::AppendSuffix(nullptr, 4, "z"), 0);

  char buf[8] = "####";
  EXPECT_EQ(PathUtility::ResolvePath(kAbsoluteFile, buf, 7), 1);
  EXPECT_STREQ(buf, kAbsoluteFile);
  std::strcpy(buf, "####");
  EXPECT_EQ(PathUtility::ResolvePath(kAbsoluteFile, buf, 6), 0);
  EXPECT_STREQ(buf, "####");
  EXPECT_EQ(PathUtility::ResolvePath(nullptr, buf, 8), 0);
  EXPECT_FALSE(PathUtility::FileExists(nullptr, 1));
  EXPECT_FALSE(PathUtility::FileExists("", 1));
  EXPECT_TRUE(PathUtility::FileExists(kRootFolder, 1));
  EXPECT_FALSE(PathUtility::FileExists(kRootFolder, 0)) << "a folder counts only when asked for";
  EXPECT_EQ(PathUtility::ResolvePathToOpen(std::string(300, 'r').c_str(), buf, 8), 0)
      << "a cut join is refused";
}

}  // namespace
}  // namespace orvel
