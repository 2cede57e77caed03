// The module's debug log: printf-style messages sent whole to the platform's
// debug channel, without levels, files or time stamps.
#include <cstdarg>
#include <cstdio>

#include "module/module_internal.h"
#include "platform/platform.h"

namespace orvel {
namespace {

constexpr std::size_t kLogBufferSize = 1024;

// Formats into a zero-filled buffer, keeping at most maxChars characters.
void FormatAndSend(std::size_t maxChars, const char* format, va_list args) {
  if (format == nullptr) return;
  char buffer[kLogBufferSize] = {};
  std::vsnprintf(buffer, maxChars + 1, format, args);
  platform::WriteDebugMessage(buffer);
}

}  // namespace

void DebugLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatAndSend(kLogBufferSize - 1, format, args);
  va_end(args);
}

void FactoryLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatAndSend(kLogBufferSize - 2, format, args);
  va_end(args);
}

void AssertionFailed(const char* what) {
  DebugLog("Orvel[Assert]: %s\n", what != nullptr ? what : "");
  platform::BreakIntoDebugger();
}

}  // namespace orvel
