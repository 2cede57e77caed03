// Debug-log lines of the factory library, on the same channel as the module's.
#pragma once

namespace zandrop {

void FactoryDebugLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace zandrop
