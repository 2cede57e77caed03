// The seven exports, the registries and the component life cycle, seen from
// a host process that loads the test module.
#include <gtest/gtest.h>

#include "tests/module/module_test_support.h"

namespace orvel {
namespace test {
namespace {

class ModuleBoundary : public ::testing::Test {
 protected:
  HostInFolder host{ORVEL_TEST_MODULE};
};

TEST_F(ModuleBoundary, GetComponentIDsWritesAtMostCapacityAndReturnsTheFullCount) {
  const struct {
    const char* capacity;
    const char* expected;  // count:elements, "x" for an element left untouched
  } cases[] = {{"0", "2:x"}, {"1", "2:1,x"}, {"2", "2:1,5,x"}, {"5", "2:1,5,x,x,x,x"}};
  for (const auto& c : cases) {
    const HostRun run = host.Run({"ids", c.capacity});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ValueOf(run.out, "ids"), c.expected) << "capacity " << c.capacity;
    EXPECT_EQ(run.log, "");
  }
}

TEST_F(ModuleBoundary, CreateComponentFailuresLogTwoLinesAndChangeNothing) {
  const struct {
    const char* id;
    const char* creator;
    std::string log;
  } cases[] = {
      {"2", "0", "Orvel[Error]: Can't find the factory method of Component\nOrvel[Error]: ComponentID=2 CreatorID=0"},
      {"0", "3", "Orvel[Error]: Can't find the factory method of Component\nOrvel[Error]: ComponentID=0 CreatorID=3"},
      {"0xFFFFFFFF", "0xFFFFFFFF",
       "Orvel[Error]: Can't find the factory method of Component\n"
       "Orvel[Error]: ComponentID=-1 CreatorID=4294967295"},
      {"5", "9", "Orvel[Error]:CreateComponent method return NULL.\nOrvel[Error]: ComponentID=5 CreatorID=9"},
  };
  for (const auto& c : cases) {
    const HostRun run = host.Run({"create", c.id, c.creator, "canunload", "unload"});
    EXPECT_EQ(ValueOf(run.out, "create"), "null");
    EXPECT_EQ(ValueOf(run.out, "canunload"), "1");
    EXPECT_EQ(run.log, c.log) << "id " << c.id;
  }
}

TEST_F(ModuleBoundary, ReleaseDestroysOnceAndEmptiesTheMap) {
  const HostRun run = host.Run({"create", "1", "7", "id", "0", "canunload", "release", "0", "canunload", "unload"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(ValueOf(run.out, "id"), "1");
  EXPECT_NE(run.out.find("canunload=0\ncanunload=1\n"), std::string::npos) << run.out;
  // The last component gone, the module tries to reach the factory for the idle notice.
  EXPECT_EQ(run.log, kHook + kDestroyed + kNoFactory);
}

TEST_F(ModuleBoundary, LeakReportListsLiveComponentsInAddressOrderAtUnloadAndAtExit) {
  for (const bool explicitUnload : {true, false}) {
    std::vector<std::string> args{"create", "1", "7", "create", "1", "0x80000001", "create", "2", "0",
                                  "create", "1", "9", "release", "3"};
    if (explicitUnload) args.push_back("unload");
    const HostRun run = host.Run(args, {kNoLeakCheck});
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> p = PrintedPointers(run.out);
    ASSERT_EQ(p.size(), 3u) << run.out;
    const std::string failure =
        "Orvel[Error]: Can't find the factory method of Component\nOrvel[Error]: ComponentID=2 CreatorID=0";
    EXPECT_EQ(run.log, failure + kHook + kDestroyed + LeakReport({{1, 7, p[0]}, {1, 0x80000001u, p[1]}}))
        << (explicitUnload ? "dlclose" : "process exit");
  }
}

TEST_F(ModuleBoundary, PointersInTheLeakReportAreWholeAddresses) {
  const HostRun run = host.Run({"create", "1", "1", "unload"}, {kNoLeakCheck});
  const std::vector<std::string> p = PrintedPointers(run.out);
  ASSERT_EQ(p.size(), 1u);
  EXPECT_GE(p[0].size(), 10u);  // "0x" and at least 8 digits
  EXPECT_NE(run.log.find("Pointer:" + p[0] + "\n"), std::string::npos) << run.log;
}

TEST_F(ModuleBoundary, NothingIsLoggedAtUnloadWithoutLiveComponents) {
  const HostRun run = host.Run({"ids", "0", "unload"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.log, "");
}

TEST_F(ModuleBoundary, FreeMapReleasesExactlyTheAutoReleasedComponents) {
  const HostRun run = host.Run({"create", "1", "1", "auto", "0", "1",  //
                                "create", "1", "2",                    //
                                "create", "1", "3", "auto", "2", "7",  //
                                "freemap", "canunload", "unload"},
                               {kNoLeakCheck});
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> p = PrintedPointers(run.out);
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(ValueOf(run.out, "canunload"), "0");
  // No idle notice: the map never became empty.
  EXPECT_EQ(run.log, kHook + kDestroyed + kHook + kDestroyed + LeakReport({{1, 2, p[1]}}));
}

TEST_F(ModuleBoundary, FreeMapThatEmptiesTheMapSendsOneIdleNotice) {
  const HostRun run = host.Run(
      {"create", "1", "1", "auto", "0", "1", "create", "1", "2", "auto", "1", "1", "freemap", "canunload", "freemap"});
  EXPECT_EQ(ValueOf(run.out, "canunload"), "1");
  EXPECT_EQ(run.log, kHook + kDestroyed + kHook + kDestroyed + kNoFactory);
}

TEST_F(ModuleBoundary, ReleaseDuringACallIsDeferredAndRunsTheHookOnce) {
  for (const char* times : {"1", "2"}) {
    const HostRun run = host.Run({"create", "1", "1", "call-release", "0", times, "canunload"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ValueOf(run.out, "call"), "0");  // released, still alive inside the call
    EXPECT_EQ(ValueOf(run.out, "canunload"), "1");
    EXPECT_EQ(run.log, kHook + "TestComponent: call returns\n" + kDestroyed + kNoFactory) << times << " releases";
  }
}

TEST_F(ModuleBoundary, ReleaseDoesNothingWhileDllSafeIsZero) {
  const HostRun run = host.Run({"create", "1", "1", "safe", "0", "release", "0", "canunload", "call-release", "0",
                                "0", "safe", "5", "release", "0", "canunload"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out,
            "create=0 pointer=" + PrintedPointers(run.out).at(0) +
                "\nsafe=0\ncanunload=0\ncall=1\nsafe=5\ncanunload=1\n");
  EXPECT_EQ(run.log, "TestComponent: call returns\n" + kHook + kDestroyed + kNoFactory);
}

#if defined(ORVEL_FIXTURE_SLOW_NOTICE)
// The factory's idle notice takes 300 ms and then asks the module, through
// the loader, whether it may go; meanwhile the host unloads the module as soon
// as OrvelDllCanUnloadNow allows it. A deadlock ends in the deadline's SIGALRM.
TEST_F(ModuleBoundary, AHostUnloadingOnceIdleWaitsForTheIdleNoticeOfAnotherThread) {
  const std::vector<std::string> emptyings[] = {{"release-async", "0"}, {"freemap-async"}};
  for (const std::vector<std::string>& emptying : emptyings) {
    std::vector<std::string> args{
        "deadline", "10", "factory-handle", ORVEL_FIXTURE_SLOW_NOTICE, "create", "1", "1", "auto", "0", "1"};
    args.insert(args.end(), emptying.begin(), emptying.end());
    args.push_back("unload-when-idle");
    const HostRun run = host.Run(args);
    EXPECT_EQ(run.exitCode, 0) << emptying[0];
    // Not idle while its own notice runs; unloaded only after it.
    EXPECT_NE(run.out.find("notice-canunload=0\nunloaded\n"), std::string::npos) << emptying[0] << "\n"
                                                                                 << run.out;
  }
}

#endif

TEST_F(ModuleBoundary, SetDllRegistryAlwaysReturnsZero) {
  const HostRun run = host.Run({"registry-len", "259", "registry-len", "260", "registry-null", "registry", ""});
  EXPECT_EQ(run.out, "registry=0\nregistry=0\nregistry=0\nregistry=0\n");
}

}  // namespace
}  // namespace test
}  // namespace orvel
