// Blanks, trimming and the bounded joins of the configuration code.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/factory_access.h"
#include "module/path_rules.h"
#include "platform/platform.h"

namespace orvel {
namespace {

TEST(PathRules, RelativeAndBlank) {
  EXPECT_TRUE(platform::IsRelativePath(nullptr));
  EXPECT_TRUE(platform::IsRelativePath(""));
  EXPECT_TRUE(platform::IsRelativePath("a/b"));
  EXPECT_TRUE(platform::IsRelativePath(" /a"));
  EXPECT_FALSE(platform::IsRelativePath("/a"));
  EXPECT_TRUE(IsBlank(nullptr));
  EXPECT_TRUE(IsBlank(""));
  EXPECT_TRUE(IsBlank(" \t "));
  EXPECT_FALSE(IsBlank(" x "));
  EXPECT_FALSE(IsBlank("\n"));
}

TEST(PathRules, TrimBlanksKeepsInnerBlanksAndRefusesWhatDoesNotFit) {
  const struct {
    const char* value;
    std::size_t capacity;
    const char* expected;
  } cases[] = {
      {"  a b \t", 10, "a b"}, {"\t\t", 10, ""},   {"abc", 4, "abc"}, {"abc", 3, ""},
      {" abc ", 4, "abc"},     {nullptr, 10, ""}, {"x\n", 10, "x\n"},
  };
  for (const auto& c : cases) {
    char out[16];
    std::strcpy(out, "previous");
    TrimBlanks(c.value, out, c.capacity);
    EXPECT_STREQ(out, c.expected) << (c.value ? c.value : "(null)") << " in " << c.capacity;
  }
}

TEST(PathRules, JoinToDirectoryOfCutsAtTheLastSeparator) {
  const struct {
    const char* base;
    const char* name;
    std::size_t capacity;
    const char* expected;
  } cases[] = {
      {"/app/cfg/Orvel.ini", "lib.so", 260, "/app/cfg/lib.so"},
      {"/app/", "lib.so", 260, "/app/lib.so"},
      {"Orvel.ini", "lib.so", 260, "Orvel.ini/lib.so"},
      {"/a/b.ini", "", 260, "/a/"},
      {"/a/b.ini", "../c.ini", 260, "/a/../c.ini"},
      {"/a/b.ini", "xyz", 7, "/a/xyz"},
      {"/a/b.ini", "xyzw", 7, ""},  // refused: 7 characters do not fit with their NUL
      {"ab", "c", 5, "ab/c"},
      {"ab", "cd", 5, ""},
  };
  for (const auto& c : cases) {
    char out[260];
    std::strcpy(out, "previous");
    JoinToDirectoryOf(c.base, c.name, out, c.capacity);
    EXPECT_STREQ(out, c.expected) << c.base << " + " << c.name;
  }
}

TEST(PathRules, JoinWithSeparatorAddsOneSeparatorAlways) {
  char out[16];
  JoinWithSeparator("libs/", "z.so", out, sizeof out);
  EXPECT_STREQ(out, "libs//z.so");
  JoinWithSeparator("0123456789", "abcd", out, sizeof out);
  EXPECT_STREQ(out, "0123456789/abcd");
  JoinWithSeparator("0123456789", "abcde", out, sizeof out);
  EXPECT_STREQ(out, "");
}

TEST(PathRules, JoinCutKeepsWhatFitsAndTerminates) {
  const struct {
    std::size_t capacity;
    const char* expected;
  } cases[] = {{16, "/root/doc.xml"}, {14, "/root/doc.xml"}, {13, "/root/doc.xm"}, {7, "/root/"}, {1, ""}};
  for (const auto& c : cases) {
    char out[16];
    std::memset(out, '#', sizeof out);
    JoinCut("/root", "doc.xml", out, c.capacity);
    EXPECT_STREQ(out, c.expected) << c.capacity;
    if (c.capacity < sizeof out) {
      EXPECT_EQ(out[c.capacity], '#') << "wrote past the capacity";
    }
  }
}

TEST(PathRules, HostDirectoryIsTheExecutablesFolder) {
  char exe[4096];
  ASSERT_TRUE(platform::ExecutablePath(exe, sizeof exe));
  const std::string full = exe;
  EXPECT_EQ(std::string(HostDirectory()), full.substr(0, full.rfind('/')));
  char joined[kPathCapacity];
  JoinToHostDirectory("Orvel.ini", joined);
  EXPECT_EQ(std::string(joined), full.substr(0, full.rfind('/')) + "/Orvel.ini");
}

TEST(PathRules, PlatformFileTests) {
  char exe[4096];
  ASSERT_TRUE(platform::ExecutablePath(exe, sizeof exe));
  EXPECT_EQ(platform::FileAttributes(exe), 0);
  EXPECT_EQ(platform::FileAttributes(HostDirectory()), platform::FileAttributeDirectory);
  EXPECT_EQ(platform::FileAttributes("/nonexistent/x"), platform::InvalidFileAttributes);
  EXPECT_EQ(platform::FileAttributes(nullptr), platform::InvalidFileAttributes);
  EXPECT_EQ(platform::AccessPath(exe, 0), 0);
  EXPECT_EQ(platform::AccessPath(exe, 4), 0);
  EXPECT_EQ(platform::AccessPath("/nonexistent/x", 0), -1);
  EXPECT_EQ(platform::CompareNoCase("ABC", "abd", 2), 0);
  EXPECT_NE(platform::CompareNoCase("ABC", "abd", 3), 0);
  char small[4] = {'#', '#', '#', '#'};
  EXPECT_TRUE(platform::ExecutablePath(small, sizeof small));
  EXPECT_EQ(std::strlen(small), 3u) << "cut to the buffer";
}

}  // namespace
}  // namespace orvel
