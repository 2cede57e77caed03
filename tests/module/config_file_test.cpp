// Resolution of the ini file and of the factory library path it names.
#include "module/config_file.h"

#include <gtest/gtest.h>

#include <string>

#include "module/factory_access.h"
#include "module/path_rules.h"
#include "platform/platform.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace {

using test::NativePath;
using test::TempDir;

std::string LibraryNamedBy(const std::string& iniPath) {
  char out[kPathCapacity];
  ResolveFactoryLibrary(iniPath.c_str(), out);
  return out;
}

std::string ConfigFileFor(const char* configurationPath) {
  char out[kPathCapacity];
  ResolveConfigFile(configurationPath, out);
  return out;
}

TEST(FactoryLibraryPath, FollowsTheIniRules) {
  const struct {
    const char* what;
    std::string ini;
    std::string expected;  // relative to the ini file's folder unless it is absolute
  } cases[] = {
    {"bare name", "[361]\nDLL=Z.so\n", "Z.so"},
    {"blanks around", "[361]\nDLL=  \t a b.so \t\n", "a b.so"},
    {"absolute DllPath", "[361]\nDLL=Z.so\n[DefaultValue]\nDllPath=/libs\n", "/libs/Z.so"},
    {"relative DllPath", "[361]\nDLL=Z.so\n[DefaultValue]\nDllPath=libs\n", "libs/Z.so"},
    {"DllPath ending in a separator", "[361]\nDLL=Z.so\n[DefaultValue]\nDllPath=libs/\n", "libs//Z.so"},
    {"blank DllPath", "[361]\nDLL=Z.so\n[DefaultValue]\nDllPath=\" \t\"\n", "Z.so"},
    {"NotUseDefaultDllPath", "[361]\nDLL=Z.so\nNotUseDefaultDllPath=1\n[DefaultValue]\nDllPath=/libs\n",
     "Z.so"},
    {"flag trimmed", "[361]\nDLL=Z.so\nNotUseDefaultDllPath= 1 \n[DefaultValue]\nDllPath=/libs\n", "Z.so"},
    {"flag's first character", "[361]\nDLL=Z.so\nNotUseDefaultDllPath=10\n[DefaultValue]\nDllPath=/libs\n",
     "Z.so"},
    {"flag not 1", "[361]\nDLL=Z.so\nNotUseDefaultDllPath=yes\n[DefaultValue]\nDllPath=/libs\n",
     "/libs/Z.so"},
    {"flag too long counts as empty",
     "[361]\nDLL=Z.so\nNotUseDefaultDllPath=1234567890\n[DefaultValue]\nDllPath=/libs\n", "/libs/Z.so"},
    {"absolute DLL", "[361]\nDLL=/e/x/Z.so\nNotUseDefaultDllPath=1\n[DefaultValue]\nDllPath=libs\n",
     "/e/x/Z.so"},
    {"no DLL", "[DefaultValue]\nDllPath=libs\n", "libs/"},
    {"DLL too long counts as empty", "[361]\nDLL=" + std::string(300, 'z') + "\n", ""},
    {"DLL cut by the reader counts as empty", "[361]\nDLL=\"Z.so" + std::string(1100, ' ') + "x.so\"\n", ""},
    // A path that does not fit names no library (not a shorter path, nor the ini file's folder).
    {"DllPath too long", "[361]\nDLL=Z.so\n[DefaultValue]\nDllPath=/" + std::string(300, 'l') + "\n", "-"},
    {"DllPath and DLL too long together",
     "[361]\nDLL=" + std::string(20, 'z') + "\n[DefaultValue]\nDllPath=/" + std::string(250, 'l') + "\n",
     "-"},
    {"no ini file", "", ""},
#if defined(_WIN32)
    {"DLL on another drive", "[361]\nDLL=E:\\x\\Zandrop.dll\n[DefaultValue]\nDllPath=D:\\Libs\n",
     "E:\\x\\Zandrop.dll"},
    {"DllPath with a drive letter", "[361]\nDLL=Zandrop.dll\n[DefaultValue]\nDllPath=D:\\Libs\n",
     "D:\\Libs\\Zandrop.dll"},
    {"DllPath on the current drive's root", "[361]\nDLL=Zandrop.dll\n[DefaultValue]\nDllPath=\\Libs\n",
     "\\Libs\\Zandrop.dll"},
    {"a colon anywhere makes DLL absolute", "[361]\nDLL=x\\y:z.dll\n", "x\\y:z.dll"},
#endif
  };
  for (const auto& c : cases) {
    TempDir dir;
    // The table is written with '/' where each build has its separator.
    const std::string ini = c.ini.empty() ? dir.At("missing.ini") : dir.Write("Orvel.ini", NativePath(c.ini));
    const std::string path = c.expected.find(':') != std::string::npos ? c.expected : NativePath(c.expected);
    std::string expected =
        platform::IsRelativePath(path.c_str()) ? dir.path() + platform::kPathSeparator + path : path;
    if (c.expected == "-") expected = "";
    EXPECT_EQ(LibraryNamedBy(ini), expected) << c.what;
  }
}

TEST(ConfigFile, DefaultsAndRelativePathsSitInTheHostDirectory) {
  const std::string host = HostDirectory();
  EXPECT_EQ(ConfigFileFor(nullptr), host + NativePath("/Orvel.ini"));
  EXPECT_EQ(ConfigFileFor(""), host + NativePath("/Orvel.ini"));
  EXPECT_EQ(ConfigFileFor(NativePath("cfg/my.ini").c_str()), host + NativePath("/cfg/my.ini"));
  EXPECT_EQ(ConfigFileFor(NativePath("/nonexistent/a.ini").c_str()), NativePath("/nonexistent/a.ini"));
  const std::string tooLong(kPathCapacity - host.size() - 1, 'c');  // with the separator, one byte too many
  EXPECT_EQ(ConfigFileFor(tooLong.c_str()), "") << "a path that does not fit names no ini file";
  EXPECT_EQ(ConfigFileFor(tooLong.substr(1).c_str()), host + platform::kPathSeparator + tooLong.substr(1));
#if defined(_WIN32)
  EXPECT_EQ(ConfigFileFor("Z:\\nonexistent\\a.ini"), "Z:\\nonexistent\\a.ini");
  EXPECT_EQ(ConfigFileFor("/cfg/my.ini"), host + "\\/cfg/my.ini") << "a slash does not start a Windows path";
#endif
}

TEST(ConfigFile, RedirectsAreFollowedUntilRelativeBlankOrRepeated) {
  const struct {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // "{d}" stands for the folder
    std::string expected;
  } cases[] = {
      {"no redirect", {{"a.ini", "[361]\nDLL=x\n"}}, "a.ini"},
      {"blank redirect", {{"a.ini", "[Redirect]\nPath= \t \n"}}, "a.ini"},
      {"relative redirect, not examined further",
       {{"a.ini", "[Redirect]\nPath=sub/b.ini\n"}, {"sub/b.ini", "[Redirect]\nPath={d}/c.ini\n"}},
       "sub/b.ini"},
      {"absolute chain",
       {{"a.ini", "[redirect]\npath={d}/b.ini\n"}, {"b.ini", "[Redirect]\nPath={d}/c.ini\n"}},
       "c.ini"},
      {"absolute to a missing file", {{"a.ini", "[Redirect]\nPath={d}/none.ini\n"}}, "none.ini"},
      {"loop back to the first",
       {{"a.ini", "[Redirect]\nPath={d}/b.ini\n"}, {"b.ini", "[Redirect]\nPath={d}/a.ini\n"}},
       "b.ini"},
      {"self loop", {{"a.ini", "[Redirect]\nPath={d}/a.ini\n"}}, "a.ini"},
      // One that does not fit names no ini file, not a shorter path.
      {"absolute redirect too long",
       {{"a.ini", "[Redirect]\nPath={d}/" + std::string(260, 'r') + ".ini\n"}},
       ""},
      {"relative redirect too long", {{"a.ini", "[Redirect]\nPath=" + std::string(250, 'r') + ".ini\n"}}, ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const auto& [name, content] : c.files) {
      std::string text = content;
      for (std::size_t at; (at = text.find("{d}")) != std::string::npos;) text.replace(at, 3, dir.path());
      dir.Write(name, NativePath(text));
    }
    EXPECT_EQ(ConfigFileFor(dir.At("a.ini").c_str()), c.expected.empty() ? "" : dir.At(c.expected)) << c.what;
  }
}

TEST(ConfigFile, LongRedirectChainsStopAtTheLimit) {
  TempDir dir;
  for (int i = 0; i < kMaxConfigRedirects + 4; ++i) {
    dir.Write("r" + std::to_string(i) + ".ini", "[Redirect]\nPath=" + dir.At("r" + std::to_string(i + 1) + ".ini") + "\n");
  }
  EXPECT_EQ(ConfigFileFor(dir.At("r0.ini").c_str()), dir.At("r" + std::to_string(kMaxConfigRedirects) + ".ini"));
}

}  // namespace
}  // namespace orvel
