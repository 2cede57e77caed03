// Runs the test host in a child process with its own debug log, and keeps
// the temporary folders those runs need.
#pragma once

#include <string>
#include <vector>

namespace orvel {
namespace test {

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path()/relative
  std::string At(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes content to path()/relative, creating missing folders; returns the full path.
  std::string Write(const std::string& relative, const std::string& content) const;
  // Copies the file source to path()/relative (keeping it executable); returns the full path.
  std::string Copy(const std::string& source, const std::string& relative) const;
  // Makes path()/relative a symbolic link to target; returns the full path.
  std::string Link(const std::string& target, const std::string& relative) const;
  std::string MakeDir(const std::string& relative) const;
  // Writes what the standard gzip tool makes of content to path()/relative; returns the full path.
  std::string WriteGzip(const std::string& relative, const std::string& content) const;

 private:
  std::string path_;
};

// Points ORVEL_DEBUG_LOG of this process at a fresh file while it lives.
class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;
  std::string Text() const;

 private:
  TempDir dir_;
  std::string path_;
};

struct HostRun {
  int exitCode = -1;
  std::string out;  // stdout of the host
  std::string log;  // everything written to ORVEL_DEBUG_LOG
};

// Runs host with args in a child process. ORVEL_DEBUG_LOG points at a fresh
// file; env holds extra NAME=VALUE entries (which win over inherited ones).
HostRun RunHost(const std::string& host, const std::vector<std::string>& args,
                const std::vector<std::string>& env = {});

std::string ReadFile(const std::string& path);
// The value printed on the first stdout line "key=value", or "" when absent.
std::string ValueOf(const std::string& out, const std::string& key);

}  // namespace test
}  // namespace orvel
