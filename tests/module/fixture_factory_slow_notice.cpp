// A factory library whose idle notice takes its time and then asks the idle
// module, through the loader, whether it may be unloaded, as a factory that
// unloads idle modules would. Hosts name it with SetFactoryHandle.
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "orvel/factory_library.h"

namespace {

class SlowNoticeFactory final : public orvel::IComponentFactory {
 public:
  unsigned int GetComponentID() override { return 361; }
  int ReservedQuery() override { return 361; }
  void Release(int) override {}
  int GetAutoRelease() override { return 0; }
  void SetAutoRelease(int) override {}
  orvel::IComponent* CreateComponentById(std::uint32_t id, const char*) override {
    return id == 361 ? this : nullptr;
  }
  int RegisterPathRecord(const char*, int, void*, std::int32_t*, void**) override { return 0; }
  int ReservedSlot7() override { return 0; }
  int ReservedSlot8() override { return 0; }
  int ReservedSlot9() override { return 0; }

  // Prints "notice-canunload=" and the module's answer (-1 when it was not reached).
  int IdleNotice(void* moduleInstanceHandle) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int answer = -1;
    Dl_info info;
    if (dladdr(moduleInstanceHandle, &info) != 0) {
      if (void* module = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD)) {
        auto canUnloadNow = reinterpret_cast<int (*)()>(dlsym(module, "OrvelDllCanUnloadNow"));
        if (canUnloadNow != nullptr) answer = canUnloadNow();
        dlclose(module);
      }
    }
    std::printf("notice-canunload=%d\n", answer);
    return 1;
  }
};

SlowNoticeFactory g_factory;

}  // namespace

extern "C" __attribute__((visibility("default"))) orvel::IComponent* CreateComponent(std::uint32_t id,
                                                                                     std::uint32_t) {
  return id == 361 ? &g_factory : nullptr;
}
