// A library under the factory library's soname whose factory serves only a
// decoder (64) that "decodes" by copying, in the way the host sets with
// FixtureDecoderMode: it lets tests hold the module to the decoder call's
// rules with decoders that misbehave. FixtureDecoderHook runs a host function
// at the start of every decode (to release a component during a load).
#include <cstdint>
#include <cstring>

#include "orvel/factory_library.h"
#include "platform/export_symbol.h"

namespace {

enum Mode : int {
  CopyAndReport = 0,  // the input, NUL-terminated, and the size it needs
  CopyTruncated = 1,  // as much of the input as fits with a NUL; size left as it was
  FillCapacity = 2,   // the input repeated over the whole capacity, no NUL
  Fail = 3,           // returns 0 after writing a well-formed text
  NoBytes = 4,        // returns 1 and writes nothing
  ClaimsMore = 5,     // the input, NUL-terminated, and always a size of 2^31 - 2
};

int g_mode = CopyAndReport;
void (*g_hook)(void*) = nullptr;
void* g_hookArgument = nullptr;
int g_calls = 0;

template <class Interface, std::uint32_t kId>
class Object : public Interface {
 public:
  unsigned int GetComponentID() override { return kId; }
  int ReservedQuery() override { return static_cast<int>(kId); }
  void Release(int) override { delete this; }
  int GetAutoRelease() override { return autoRelease_; }
  void SetAutoRelease(int value) override { autoRelease_ = value; }

 protected:
  virtual ~Object() = default;

 private:
  int autoRelease_ = 0;
};

class Decoder final : public Object<orvel::IDocumentDecoder, 64> {
 public:
  int ReservedSlot5() override { return 0; }
  int ReservedSlot6() override { return 0; }
  int Decode(const void* input, std::int32_t n, void* parameters, void* output,
             std::int32_t* length) override {
    ++g_calls;
    if (g_hook != nullptr) g_hook(g_hookArgument);
    if (std::strcmp(static_cast<const char*>(parameters), "Pumlo") != 0) return 0;
    char* out = static_cast<char*>(output);
    const std::int32_t capacity = *length;
    const std::int32_t fits = n < capacity ? n : capacity - 1;
    switch (g_mode) {
      case CopyAndReport:
      case CopyTruncated:
      case ClaimsMore:
        std::memcpy(out, input, static_cast<std::size_t>(fits));
        out[fits] = '\0';
        if (g_mode == CopyAndReport) *length = n + 1;
        if (g_mode == ClaimsMore) *length = 0x7FFFFFFE;
        return 1;
      case FillCapacity:
        for (std::int32_t i = 0; i < capacity; ++i) out[i] = static_cast<const char*>(input)[i % n];
        return 1;
      case Fail:
        std::strcpy(out, "<fail/>");
        return 0;
      default:
        return 1;
    }
  }
};

// One factory object for the process: the module never releases the factory.
class Factory final : public Object<orvel::IComponentFactory, 361> {
 public:
  void Release(int) override {}
  orvel::IComponent* CreateComponentById(std::uint32_t id, const char*) override {
    return id == 64 ? new Decoder : nullptr;
  }
  int RegisterPathRecord(const char*, int, void*, std::int32_t*, void**) override { return 0; }
  int ReservedSlot7() override { return 0; }
  int ReservedSlot8() override { return 0; }
  int ReservedSlot9() override { return 0; }
  int IdleNotice(void*) override { return 0; }
};

}  // namespace

#define FIXTURE_EXPORT ORVEL_LIBRARY_EXPORT

FIXTURE_EXPORT orvel::IComponent* CreateComponent(std::uint32_t id, std::uint32_t) {
  static Factory factory;
  return id == 361 ? &factory : nullptr;
}
FIXTURE_EXPORT void FixtureDecoderMode(int mode) { g_mode = mode; }
FIXTURE_EXPORT void FixtureDecoderHook(void (*hook)(void*), void* argument) {
  g_hook = hook;
  g_hookArgument = argument;
}
FIXTURE_EXPORT int FixtureDecoderCalls() { return g_calls; }
