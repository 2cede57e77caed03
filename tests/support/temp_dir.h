// A temporary folder for one test, removed with everything in it afterwards.
// Paths use the platform's separator, so the module's path rules see them as
// a host would hand them over.
#pragma once

#include <string>

namespace orvel {
namespace test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path()/relative, with every '/' of relative written as the platform's separator.
  std::string At(const std::string& relative) const;
  // Writes content to path()/relative, creating missing folders; returns the full path.
  std::string Write(const std::string& relative, const std::string& content) const;
  // Copies the file source to path()/relative (keeping it executable); returns the full path.
  std::string Copy(const std::string& source, const std::string& relative) const;
  // Makes path()/relative name the file target: a symbolic link on POSIX, a
  // copy on Windows (where a module is known by its file name); returns the full path.
  std::string Link(const std::string& target, const std::string& relative) const;
  std::string MakeDir(const std::string& relative) const;
  // Gives the file path()/existing a second name path()/relative (a hard link); returns the full path.
  std::string HardLink(const std::string& existing, const std::string& relative) const;
  // Writes content gzip-compressed to path()/relative: by the standard gzip
  // tool on POSIX, by zlib's gzip writer on Windows; returns the full path.
  std::string WriteGzip(const std::string& relative, const std::string& content) const;

 private:
  std::string path_;
};

// The bytes of the file at path ("" when it cannot be read).
std::string ReadFile(const std::string& path);
// text with every '/' written as the platform's path separator.
std::string NativePath(std::string text);

}  // namespace test
}  // namespace orvel
