#include "factory/factory_log.h"

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"

namespace zandrop {

void FactoryDebugLog(const char* format, ...) {
  char buffer[1024] = {};
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  orvel::platform::WriteDebugMessage(buffer);
}

}  // namespace zandrop
