// The test host's runs and their printed values.
#pragma once

#include <string>

#include "tests/support/host_run.h"
#include "tests/support/temp_dir.h"

namespace orvel {
namespace test {

// The value printed on the first stdout line "key=value", or "" when absent.
std::string ValueOf(const std::string& out, const std::string& key);

// The module's debug lines of this process while it lives: on POSIX the file
// ORVEL_DEBUG_LOG names, on Windows the OutputDebugStringA messages (each
// raises an exception that a vectored handler sees first).
class CapturedLog {
 public:
  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;
  std::string Text() const;

 private:
#if defined(_WIN32)
  void* handler_;
#else
  TempDir dir_;
  std::string path_;
#endif
};

}  // namespace test
}  // namespace orvel
