// In-process checks of the registries, the settings and the debug log, with
// the module objects linked into the test executable.
#include <gtest/gtest.h>
#include <stdlib.h>
#if defined(_WIN32)
#include <windows.h>
#endif

#include <atomic>
#include <cinttypes>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "module/component_base.h"
#include "module/module_internal.h"
#include "orvel/exports.h"
#include "platform/platform.h"
#include "tests/module/host_process.h"

namespace orvel {
namespace {

using test::CapturedLog;
using test::ReadFile;
using test::TempDir;

IComponent* MakeNothing() { return nullptr; }
IComponent* MakeNothingElse() { return nullptr; }

TEST(DebugLog, MessagesAreSentWholeAndCut) {
  CapturedLog log;
  const std::string longText(3000, 'x');
  DebugLog("a=%d b=%s\n", 7, "text");
  DebugLog("%s", longText.c_str());
  FactoryLog("%s", longText.c_str());
  EXPECT_EQ(log.Text(), "a=7 b=text\n" + std::string(1023, 'x') + std::string(1022, 'x'));
}

TEST(DebugLog, AnAssertionLogsAndTheProgramGoesOn) {
  CapturedLog log;
  AssertionFailed("probe");  // no debugger attached: nothing stops
  EXPECT_EQ(log.Text(), "Orvel[Assert]: probe\n");
}

#if !defined(_WIN32)  // the POSIX debug channel's file
TEST(DebugLog, NothingIsWrittenWithoutASink) {
  TempDir dir;
  unsetenv("ORVEL_DEBUG_LOG");
  DebugLog("lost\n");
  setenv("ORVEL_DEBUG_LOG", "", 1);
  DebugLog("lost\n");
  setenv("ORVEL_DEBUG_LOG", dir.At("no/such/folder/log").c_str(), 1);
  DebugLog("lost\n");
  unsetenv("ORVEL_DEBUG_LOG");
  EXPECT_EQ(ReadFile(dir.At("no/such/folder/log")), "");
}
#endif

TEST(CreatorTable, IgnoresInvalidEntriesFindsTheFirstMatchAndHolds512) {
  const int before = CopyComponentIDs(nullptr, 0);
  RegisterComponentCreator(0, &MakeNothing);
  RegisterComponentCreator(700, nullptr);
  EXPECT_EQ(CopyComponentIDs(nullptr, 0), before);
  EXPECT_EQ(FindComponentCreator(700), nullptr);

  RegisterComponentCreator(700, &MakeNothing);
  RegisterComponentCreator(700, &MakeNothingElse);
  EXPECT_EQ(FindComponentCreator(700), &MakeNothing);

  for (int id = 1000; CopyComponentIDs(nullptr, 0) < kFactoryTableSlots; ++id) RegisterComponentCreator(id, &MakeNothing);
  RegisterComponentCreator(99999, &MakeNothing);  // the 513th
  EXPECT_EQ(FindComponentCreator(99999), nullptr);
  std::vector<std::uint32_t> ids(kFactoryTableSlots + 1, 0xEEEEEEEEu);
  EXPECT_EQ(GetComponentIDs(ids.data(), static_cast<std::uint32_t>(ids.size())), kFactoryTableSlots);
  EXPECT_EQ(ids[kFactoryTableSlots], 0xEEEEEEEEu);
  EXPECT_EQ(ids[before], 700u);
  EXPECT_EQ(ids[before + 1], 700u);
}

TEST(Exports, NullDestinationWithCapacityWritesNothing) {
  EXPECT_EQ(GetComponentIDs(nullptr, 5), CopyComponentIDs(nullptr, 0));
}

std::string ConfigurationPath() {
  char path[kConfigurationPathCapacity];
  CopyConfigurationPath(path);
  return path;
}

TEST(Exports, SettingsRoundTrip) {
  const std::string fits(259, 'c');
  EXPECT_EQ(SetDLLRegistry(fits.c_str()), 0);
  EXPECT_EQ(ConfigurationPath(), fits);
  EXPECT_EQ(SetDLLRegistry(std::string(260, 'd').c_str()), 0);
  EXPECT_EQ(ConfigurationPath(), "");
  SetDLLRegistry("abc");
  EXPECT_EQ(SetDLLRegistry(nullptr), 0);
  EXPECT_EQ(ConfigurationPath(), "");

  int marker = 0;
  EXPECT_EQ(SetFactoryHandle(&marker), &marker);
  EXPECT_EQ(FactoryLibraryHandle(), &marker);
  EXPECT_EQ(SetFactoryHandle(nullptr), nullptr);

  EXPECT_EQ(DllSafeFlag(), 1) << "set when the module lock was created at load";
  EXPECT_EQ(OrvelSetDllSafe(-3), -3);
  EXPECT_EQ(DllSafeFlag(), -3);
  EXPECT_EQ(OrvelSetDllSafe(1), 1);
  // Linked into an executable, the module gets no DllMain call on Windows.
  if (!platform::kEntryPointNotifies) {
    EXPECT_NE(ModuleInstanceHandle(), nullptr);
  }
}

// A component created outside CreateComponent: its release finds no map entry.
class LooseComponent final : public ComponentBase<IComponent> {
 public:
  void ReservedNoOp() override { ++hookRuns; }
  static std::atomic<int> hookRuns;  // released from several threads below
};
std::atomic<int> LooseComponent::hookRuns{0};

TEST(ComponentBase, GetConfigurationPathCopiesOnlyWhatFits) {
  auto* c = new LooseComponent;
  SetDLLRegistry("cfg.ini");  // 7 characters
  char buf[16];
  const struct {
    const char* name;
    int capacity;
    const char* expected;
  } cases[] = {{nullptr, 8, "cfg.ini"}, {"", 8, "cfg.ini"}, {nullptr, 7, "untouched"}, {"x.ini", 6, "x.ini"},
               {"x.ini", 5, "untouched"}, {nullptr, 0, "untouched"}, {nullptr, -1, "untouched"}};
  for (const auto& k : cases) {
    std::strcpy(buf, "untouched");
    c->GetConfigurationPath(k.name, buf, k.capacity);
    EXPECT_STREQ(buf, k.expected) << (k.name ? k.name : "(null)") << " " << k.capacity;
  }
  c->GetConfigurationPath(nullptr, nullptr, 8);  // no buffer: nothing happens
  EXPECT_EQ(c->GetComponentID(), 1u);
  EXPECT_EQ(c->ReservedQuery(), 1);
  SetDLLRegistry("/nonexistent/orvel.ini");  // the idle notice then finds no factory
  CapturedLog log;
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(static_cast<IComponent*>(c));
  const int hooksBefore = LooseComponent::hookRuns;
  c->Release(0);
  EXPECT_EQ(LooseComponent::hookRuns - hooksBefore, 1);
  char expected[128];
  std::snprintf(expected, sizeof expected, "Orvel[Error]: IComponent* = 0x%0*" PRIXPTR "\n",
                static_cast<int>(sizeof(void*) * 2), address);
  EXPECT_EQ(log.Text(), std::string("Orvel[Error]: To remove a component not exist\n") + expected +
                            "[Orvel_Error] Load Zandrop.dll Fail.\n");
  SetDLLRegistry(nullptr);
}

TEST(ComponentBase, RemovalWithoutNotifyFlagSendsNoNotice) {
  SetDLLRegistry("/nonexistent/orvel.ini");
  CapturedLog log;
  LooseComponent* c = new LooseComponent;
  const std::uintptr_t key = reinterpret_cast<std::uintptr_t>(static_cast<IComponent*>(c));
  c->Release(0);
  const std::string withNotice = log.Text();
  EXPECT_NE(withNotice.find("[Orvel_Error]"), std::string::npos);
  RemoveLiveComponent(key, 0);  // stale key again, this time as component 361 would
  EXPECT_EQ(log.Text().substr(withNotice.size()).find("[Orvel_Error]"), std::string::npos) << log.Text();
  SetDLLRegistry(nullptr);
}

IComponent* MakeLoose() { return new LooseComponent; }
// Registered at start-up, before the creator-table test fills the table.
constexpr ComponentID kLooseID = 800;
const bool g_looseRegistered = (RegisterComponentCreator(kLooseID, &MakeLoose), true);

TEST(LiveComponentMap, CreationAndReleaseFromSeveralThreadsKeepTheMapWhole) {
  SetDLLRegistry("/nonexistent/orvel.ini");
  ASSERT_TRUE(g_looseRegistered);
  ASSERT_EQ(FindComponentCreator(kLooseID), &MakeLoose);
  const int hooksBefore = LooseComponent::hookRuns;
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      std::vector<IComponent*> held;
      for (int i = 0; i < kRounds; ++i) {
        held.push_back(CreateComponent(kLooseID, static_cast<std::uint32_t>(t)));
        if (i % 3 == 2) {
          for (IComponent* c : held) c->Release(0);
          held.clear();
        }
      }
      for (IComponent* c : held) c->Release(0);
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(OrvelDllCanUnloadNow(), 1);
  EXPECT_EQ(LooseComponent::hookRuns - hooksBefore, kThreads * kRounds);
  SetDLLRegistry(nullptr);
}

}  // namespace
}  // namespace orvel
