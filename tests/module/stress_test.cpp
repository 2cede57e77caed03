// A multi-threaded host in one process: worker threads create, use and
// release their own components while other threads call the module-wide
// exports. Run in the ThreadSanitizer build as well as the plain ones.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "orvel/exports.h"
#include "platform/platform.h"
#include "tests/module/host_process.h"
#include "tests/module/work_component.h"

namespace orvel {
namespace test {
namespace {

// The stand-in factory library, loaded for the idle notices and the path registrations.
class FactoryLibrary {
 public:
  FactoryLibrary() : library_(platform::LoadModule(ORVEL_ZANDROP)) {}
  ~FactoryLibrary() { platform::ReleaseModuleReference(library_); }
  platform::ModuleHandle handle() const { return library_; }
  int Count(const char* exportName) const {
    auto count = reinterpret_cast<int (*)()>(platform::FindSymbol(library_, exportName));
    return count != nullptr ? count() : -1;
  }

 private:
  platform::ModuleHandle library_;
};

struct Tally {
  std::atomic<long> components{0};
  std::atomic<long> componentCalls{0};
  std::atomic<long> moduleCalls{0};
  std::atomic<long> tornPaths{0};        // a configuration path read half-way through a change
  std::atomic<long> unloadableEarly{0};  // OrvelDllCanUnloadNow 1 while the anchor lives
  std::atomic<long> wrongIds{0};
};

// One worker: each component is released directly, released inside its own
// call, or handed to OrvelDllFreeMap (auto-release 1, never touched again).
void Work(std::uint32_t creator, int cycles, const std::string (&paths)[2], Tally& tally) {
  for (int i = 0; i < cycles; ++i) {
    auto* mine = static_cast<WorkComponent*>(CreateComponent(kWorkComponentID, creator));
    if (mine == nullptr) continue;
    ++tally.components;
    const std::string seen = mine->Work(false);
    if (seen != paths[0] && seen != paths[1]) ++tally.tornPaths;
    mine->SetAutoRelease(0);
    tally.componentCalls += 3;
    if (i % 3 == 0) mine->Release(0);
    if (i % 3 == 1) mine->Work(true);
    if (i % 3 == 2) mine->SetAutoRelease(1);
  }
}

TEST(ConcurrentHost, OwnComponentsOnEveryThreadBesideTheModuleWideExports) {
  constexpr int kWorkers = 4;
  constexpr int kRounds = 3;
  constexpr int kCycles = ORVEL_STRESS_CYCLES;
  CapturedLog log;
  FactoryLibrary factory;
  ASSERT_NE(factory.handle(), nullptr);
  SetFactoryHandle(factory.handle());
  const std::string paths[2] = {"/nonexistent/" + std::string(200, 'a') + ".ini", "/nonexistent/b.ini"};
  SetDLLRegistry(paths[0].c_str());
  const int noticesBefore = factory.Count("ZandropIdleNoticeCount");
  Tally tally;

  const auto start = std::chrono::steady_clock::now();
  for (int round = 0; round < kRounds; ++round) {
    IComponent* anchor = CreateComponent(kWorkComponentID, 0);  // the map cannot empty while it lives
    ASSERT_NE(anchor, nullptr);
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
      for (; !stop; ++tally.moduleCalls) OrvelDllFreeMap();
    });
    threads.emplace_back([&] {
      for (; !stop; tally.moduleCalls += 2) {
        if (OrvelDllCanUnloadNow() != 0) ++tally.unloadableEarly;
        std::uint32_t ids[2] = {};
        if (GetComponentIDs(ids, 2) != 1 || ids[0] != kWorkComponentID) ++tally.wrongIds;
      }
    });
    threads.emplace_back([&] {
      for (int i = 0; !stop; ++i, ++tally.moduleCalls) SetDLLRegistry(paths[i % 2].c_str());
    });
    std::vector<std::thread> workers;
    for (std::uint32_t t = 1; t <= kWorkers; ++t)
      workers.emplace_back([&, t] { Work(t, kCycles, paths, tally); });
    for (std::thread& w : workers) w.join();
    stop = true;
    for (std::thread& t : threads) t.join();

    OrvelDllFreeMap();  // what the workers left to it
    EXPECT_EQ(factory.Count("ZandropIdleNoticeCount") - noticesBefore, round)
        << "a notice while the anchor lived";
    anchor->Release(0);
    EXPECT_EQ(OrvelDllCanUnloadNow(), 1) << "round " << round;
    EXPECT_EQ(factory.Count("ZandropIdleNoticeCount") - noticesBefore, round + 1)
        << "one notice per emptying";
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  EXPECT_EQ(tally.components, kRounds * kWorkers * kCycles);
  EXPECT_EQ(tally.tornPaths, 0);
  EXPECT_EQ(tally.unloadableEarly, 0);
  EXPECT_EQ(tally.wrongIds, 0);
  EXPECT_EQ(log.Text().find("Orvel["), std::string::npos) << log.Text().substr(0, 2000);
  // One factory object for the whole process, however many accesses went through it.
  EXPECT_EQ(factory.Count("ZandropLiveObjectCount"), 1);
  std::printf(
      "%d worker threads + 3 module-wide threads, %d rounds: %ld components, %ld component calls, "
      "%ld module-wide calls in %.2f s\n",
      kWorkers, kRounds, tally.components.load(), tally.componentCalls.load(), tally.moduleCalls.load(),
      seconds);
  SetFactoryHandle(nullptr);
  SetDLLRegistry(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace orvel
