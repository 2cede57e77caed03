// Blanks, trimming and the bounded joins of the configuration code.
#include "module/path_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "module/factory_access.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace {

using test::NativePath;

TEST(PathRules, RelativeAndBlank) {
  EXPECT_TRUE(platform::IsRelativePath(nullptr));
  EXPECT_TRUE(platform::IsRelativePath(""));
  EXPECT_TRUE(platform::IsRelativePath("a/b"));
  EXPECT_TRUE(platform::IsRelativePath(" /a"));
  EXPECT_FALSE(platform::IsRelativePath(NativePath("/a").c_str()));
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
    // The table is written with '/' where each build has its separator.
    JoinToDirectoryOf(NativePath(c.base).c_str(), NativePath(c.name).c_str(), out, c.capacity);
    EXPECT_EQ(std::string(out), NativePath(c.expected)) << c.base << " + " << c.name;
  }
}

TEST(PathRules, JoinWithSeparatorAddsOneSeparatorAlways) {
  char out[16];
  JoinWithSeparator(NativePath("libs/").c_str(), "z.so", out, sizeof out);
  EXPECT_EQ(std::string(out), NativePath("libs//z.so"));
  JoinWithSeparator("0123456789", "abcd", out, sizeof out);
  EXPECT_EQ(std::string(out), NativePath("0123456789/abcd"));
  JoinWithSeparator("0123456789", "abcde", out, sizeof out);
  EXPECT_STREQ(out, "");
}

TEST(PathRules, JoinToFolderRefusesWhatDoesNotFitAndAnUnknownFolder) {
  const struct {
    const char* folder;
    std::size_t capacity;
    const char* expected;  // "": refused
  } cases[] = {{"/root", 16, "/root/doc.xml"},
               {"/root", 14, "/root/doc.xml"},
               {"/root", 13, ""},
               {"/root", 1, ""},
               {"", 16, ""},
               {nullptr, 16, ""}};
  for (const auto& c : cases) {
    char out[16];
    std::memset(out, '#', sizeof out);
    const bool joined =
        JoinToFolder(c.folder ? NativePath(c.folder).c_str() : nullptr, "doc.xml", out, c.capacity);
    EXPECT_EQ(joined, *c.expected != '\0') << c.capacity;
    EXPECT_EQ(std::string(out), NativePath(c.expected)) << c.capacity;
    if (c.capacity < sizeof out) {
      EXPECT_EQ(out[c.capacity], '#') << "wrote past the capacity";
    }
  }
}

TEST(PathRules, HostDirectoryIsTheExecutablesFolder) {
  char exe[4096];
  ASSERT_TRUE(platform::ExecutablePath(exe, sizeof exe));
  const std::string full = exe;
  const std::string folder = full.substr(0, full.rfind(platform::kPathSeparator));
  EXPECT_EQ(std::string(HostDirectory()), folder);
  char joined[kPathCapacity];
  JoinToHostDirectory("Orvel.ini", joined);
  EXPECT_EQ(std::string(joined), folder + platform::kPathSeparator + "Orvel.ini");
}

TEST(PathRules, PlatformFileTests) {
  char exe[4096];
  ASSERT_TRUE(platform::ExecutablePath(exe, sizeof exe));
  EXPECT_EQ(platform::FileAttributes(exe) & platform::FileAttributeDirectory, 0);
  EXPECT_NE(platform::FileAttributes(exe), platform::InvalidFileAttributes);
  EXPECT_EQ(platform::FileAttributes(HostDirectory()), platform::FileAttributeDirectory);
  EXPECT_EQ(platform::FileAttributes("/nonexistent/x"), platform::InvalidFileAttributes);
  EXPECT_EQ(platform::FileAttributes(nullptr), platform::InvalidFileAttributes);
  EXPECT_EQ(platform::AccessPath(exe, 0), 0);
  EXPECT_EQ(platform::AccessPath(exe, 4), 0);
  EXPECT_EQ(platform::AccessPath("/nonexistent/x", 0), -1);
  EXPECT_EQ(platform::CompareNoCase("ABC", "abd", 2), 0);
  EXPECT_NE(platform::CompareNoCase("ABC", "abd", 3), 0);
  char small[4] = {'#', '#', '#', '#'};
  EXPECT_FALSE(platform::ExecutablePath(small, sizeof small)) << "a cut name is refused";
  EXPECT_STREQ(small, "");
}

#if defined(_WIN32)
// The written rules, exactly: a colon anywhere or a leading backslash makes a
// path absolute; joins cut at the last backslash, else at the last slash.
TEST(PathRules, DriveLettersAndBackslashes) {
  const struct {
    const char* path;
    bool relative;
  } paths[] = {
      {"C:\\App\\Orvel.ini", false}, {"c:Orvel.ini", false},   {"x/y:z", false},     {"\\App", false},
      {"\\\\server\\share", false},  {"/App/Orvel.ini", true}, {"App\\x.ini", true}, {"..\\x.ini", true},
  };
  for (const auto& c : paths) EXPECT_EQ(platform::IsRelativePath(c.path), c.relative) << c.path;

  const struct {
    const char* base;
    const char* name;
    const char* expected;
  } joins[] = {
      {"C:\\App\\Orvel.ini", "Zandrop.dll", "C:\\App\\Zandrop.dll"},
      {"C:/App/Orvel.ini", "Zandrop.dll", "C:/App/Zandrop.dll"},
      {"C:\\App/cfg/Orvel.ini", "Zandrop.dll", "C:\\Zandrop.dll"},  // the backslash wins over later slashes
      {"D:", "Zandrop.dll", "D:\\Zandrop.dll"},
      {"\\\\server\\share\\Orvel.ini", "libs\\Zandrop.dll", "\\\\server\\share\\libs\\Zandrop.dll"},
  };
  for (const auto& c : joins) {
    char out[260];
    JoinToDirectoryOf(c.base, c.name, out, sizeof out);
    EXPECT_STREQ(out, c.expected) << c.base << " + " << c.name;
  }
  char out[64];
  JoinToFolder("C:\\Data", "sub/doc.xml", out, sizeof out);
  EXPECT_STREQ(out, "C:\\Data\\sub/doc.xml");
}
#endif

}  // namespace
}  // namespace orvel
