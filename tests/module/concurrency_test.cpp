// The module's shared state under threads and under memory exhaustion, in
// process: the live-component map when an address comes back at once, the
// module lock when it cannot be created, and CreateComponent when any of its
// allocations fails.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "module/module_internal.h"
#include "orvel/exports.h"
#include "tests/module/host_process.h"
#include "tests/module/test_allocator.h"
#include "tests/module/work_component.h"

namespace orvel {
namespace test {
namespace {

const std::string kNoFactory = "[Orvel_Error] Load Zandrop.dll Fail.\n";

IComponent* g_second = nullptr;

// Runs inside the delete of the first component: another thread creates a
// component, which receives the address just freed.
void CreateSecondOnAnotherThread() {
  std::thread([] { g_second = CreateComponent(kWorkComponentID, 2); }).join();
}

TEST(LiveComponentMap, AComponentAtAFreedAddressKeepsItsEntry) {
  SetDLLRegistry("/nonexistent/orvel.ini");  // each idle notice then logs that it found no factory
  CapturedLog log;
  IComponent* first = CreateComponent(kWorkComponentID, 1);
  ASSERT_NE(first, nullptr);
  ReuseBlockWhenFreed(first, sizeof(WorkComponent), &CreateSecondOnAnotherThread);
  first->Release(0);
  ASSERT_EQ(g_second, first) << "the allocator hands the freed address on";
  EXPECT_EQ(OrvelDllCanUnloadNow(), 0) << "the second component is live";
  g_second->Release(0);
  EXPECT_EQ(OrvelDllCanUnloadNow(), 1);
  // Two emptyings, two notices; no entry was missing.
  EXPECT_EQ(log.Text(), kNoFactory + kNoFactory);
  SetDLLRegistry(nullptr);
}

TEST(ModuleLock, ExcludesOtherThreadsEvenWhenItCannotBeCreated) {
  DeleteModuleLock();
  FailAllocationAt(0);  // the lock's own allocation
  LockModule();
  FailAllocationAt(-1);
  std::atomic<bool> entered{false};
  std::thread other([&] {
    LockModule();
    entered = true;
    UnlockModule();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(entered) << "a second thread got into the module lock while it was held";
  UnlockModule();
  other.join();
  EXPECT_TRUE(entered);
  EXPECT_TRUE(ModuleLockExists());
  EXPECT_EQ(DllSafeFlag(), 1);
}

TEST(CreateComponent, AFailedAllocationAtAnyStepLeavesNothingBehind) {
  SetDLLRegistry("/nonexistent/orvel.ini");
  CapturedLog log;
  const std::string creatorNull =
      "Orvel[Error]:CreateComponent method return NULL.\nOrvel[Error]: ComponentID=801 CreatorID=3";
  long failing = 0;
  for (;; ++failing) {
    const std::size_t logged = log.Text().size();
    FailAllocationAt(failing);
    IComponent* component = CreateComponent(kWorkComponentID, 3);
    const bool reached = AllocationsCounted() > failing;
    FailAllocationAt(-1);
    if (!reached) {
      ASSERT_NE(component, nullptr);
      component->Release(0);
      break;
    }
    EXPECT_EQ(component, nullptr) << "allocation " << failing;
    // Either no line at all or the creator's two: no assertion, no missing entry, no idle notice.
    const std::string lines = log.Text().substr(logged);
    EXPECT_TRUE(lines.empty() || lines == creatorNull) << "allocation " << failing << ":\n" << lines;
    EXPECT_EQ(OrvelDllCanUnloadNow(), 1) << "allocation " << failing;
  }
  EXPECT_GE(failing, 3) << "object, its member and the map entry";
  SetDLLRegistry(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace orvel
