// A library under the factory library's soname whose CreateComponent yields null.
#include <cstdint>

#include "platform/export_symbol.h"

ORVEL_LIBRARY_EXPORT void* CreateComponent(std::uint32_t, std::uint32_t) { return nullptr; }
