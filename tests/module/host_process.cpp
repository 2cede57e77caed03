#include "tests/module/host_process.h"

#include <cstdlib>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace orvel {
namespace test {

std::string ValueOf(const std::string& out, const std::string& key) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  }
  return "";
}

#if defined(_WIN32)
namespace {

std::string& Collected() {
  static std::string text;
  return text;
}

LONG CALLBACK Collect(EXCEPTION_POINTERS* e) {
  const EXCEPTION_RECORD& r = *e->ExceptionRecord;
  if (r.ExceptionCode == DBG_PRINTEXCEPTION_C && r.NumberParameters >= 2)
    Collected() += reinterpret_cast<const char*>(r.ExceptionInformation[1]);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

CapturedLog::CapturedLog() : handler_(AddVectoredExceptionHandler(1, &Collect)) { Collected().clear(); }
CapturedLog::~CapturedLog() { RemoveVectoredExceptionHandler(handler_); }
std::string CapturedLog::Text() const { return Collected(); }
#else
CapturedLog::CapturedLog() : path_(dir_.At("debug.log")) { setenv("ORVEL_DEBUG_LOG", path_.c_str(), 1); }
CapturedLog::~CapturedLog() { unsetenv("ORVEL_DEBUG_LOG"); }
std::string CapturedLog::Text() const { return ReadFile(path_); }
#endif

}  // namespace test
}  // namespace orvel
