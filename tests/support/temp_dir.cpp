#include "tests/support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/platform.h"

#if defined(_WIN32)
#include <zlib.h>
#endif

namespace fs = std::filesystem;

namespace orvel {
namespace test {

std::string NativePath(std::string text) {
  std::replace(text.begin(), text.end(), '/', platform::kPathSeparator);
  return text;
}

TempDir::TempDir() {
  std::random_device seed;
  std::mt19937 random(seed());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "orvel_test_%08x", static_cast<unsigned>(random()));
    std::error_code error;
    if (fs::create_directory(base / name, error)) {
      path_ = (base / name).string();
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder in " + base.string());
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(path_, error);
}

std::string TempDir::At(const std::string& relative) const {
  return path_ + platform::kPathSeparator + NativePath(relative);
}

std::string TempDir::Write(const std::string& relative, const std::string& content) const {
  const std::string full = At(relative);
  std::error_code error;
  fs::create_directories(fs::path(full).parent_path(), error);
  std::ofstream(full, std::ios::binary) << content;
  return full;
}

std::string TempDir::Copy(const std::string& source, const std::string& relative) const {
  const std::string full = Write(relative, ReadFile(source));
  std::error_code error;
  fs::permissions(full,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  error);
  return full;
}

std::string TempDir::Link(const std::string& target, const std::string& relative) const {
#if defined(_WIN32)
  return Copy(target, relative);
#else
  const std::string full = At(relative);
  std::error_code error;
  fs::create_directories(fs::path(full).parent_path(), error);
  fs::create_symlink(target, full, error);
  if (error) throw std::runtime_error("symlink failed: " + full);
  return full;
#endif
}

std::string TempDir::HardLink(const std::string& existing, const std::string& relative) const {
  const std::string full = At(relative);
  std::error_code error;
  fs::create_hard_link(At(existing), full, error);
  if (error) throw std::runtime_error("hard link failed: " + full);
  return full;
}

std::string TempDir::MakeDir(const std::string& relative) const {
  const std::string full = At(relative);
  std::error_code error;
  fs::create_directories(full, error);
  return full;
}

std::string TempDir::WriteGzip(const std::string& relative, const std::string& content) const {
  const std::string packed = At(relative);
#if defined(_WIN32)
  gzFile out = gzopen(packed.c_str(), "wb");
  const bool written =
      out != nullptr &&
      (content.empty() || gzwrite(out, content.data(), static_cast<unsigned>(content.size())) > 0);
  if (out == nullptr || gzclose(out) != Z_OK || !written) throw std::runtime_error("gzip failed: " + packed);
#else
  const std::string plain = Write(relative + ".plain", content);
  const std::string command = "gzip -n -c '" + plain + "' > '" + packed + "'";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
  std::remove(plain.c_str());
#endif
  return packed;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace test
}  // namespace orvel
