// The DLL's VERSIONINFO resource carries the project version, as Explorer and
// installers read it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

TEST(VersionResource, CarriesTheProjectVersion) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(ORVEL_MODULE_PATH, &ignored);
  ASSERT_GT(size, 0u) << "no version resource, error " << GetLastError();
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(ORVEL_MODULE_PATH, 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), ORVEL_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), ORVEL_VERSION_MINOR);
  EXPECT_EQ(HIWORD(fixed->dwFileVersionLS), ORVEL_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  const struct {
    const char* key;
    std::string value;
  } strings[] = {{"FileVersion", ORVEL_VERSION},
                 {"ProductVersion", ORVEL_VERSION},
                 {"OriginalFilename", "OrvelXml.dll"},
                 {"InternalName", "OrvelXml"}};
  for (const auto& s : strings) {
    char* value = nullptr;
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + s.key;
    ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << s.key;
    EXPECT_EQ(std::string(value), s.value) << s.key;
  }
}

}  // namespace
