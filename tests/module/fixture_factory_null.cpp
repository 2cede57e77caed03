// A library under the factory library's soname whose CreateComponent yields null.
#include <cstdint>

extern "C" __attribute__((visibility("default"))) void* CreateComponent(std::uint32_t, std::uint32_t) {
  return nullptr;
}
