#include "tools/standard_output.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "tools/tool_support.h"

namespace orvelxml {

namespace {

// errno of the first failed write to standard output; 0 while all went through.
int firstFailure = 0;

void NoteFailure() {
  // A failed write leaves errno set; EIO stands in should a library not say why.
  if (firstFailure == 0) firstFailure = errno != 0 ? errno : EIO;
}

}  // namespace

void Print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  errno = 0;
  if (std::vfprintf(stdout, format, args) < 0) NoteFailure();
  va_end(args);
}

void PrintBytes(const std::string& bytes) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) NoteFailure();
}

std::FILE* Errors() {
  errno = 0;
  if (std::fflush(stdout) != 0) NoteFailure();
  return stderr;
}

int FinishStandardOutput(int exitCode) {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) NoteFailure();
  errno = 0;
  if (std::fclose(stdout) != 0) NoteFailure();
  if (firstFailure == 0) return exitCode;
  std::fprintf(stderr, "orvelxml: standard output: %s\n", std::strerror(firstFailure));
  return ExitUsage;
}

}  // namespace orvelxml
