// The calling frame against a probe component: deferred release, guards that
// close on every way out, exceptions turned into failure results.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "component/calling_frame.h"
#include "module/module_state.h"

namespace orvel {
namespace {

struct ProbeLog {
  int hooks = 0;
  int destructions = 0;
};

// The smallest component the frame can serve.
class Probe final : public ComponentBase<IComponent> {
 public:
  explicit Probe(ProbeLog* log) : log_(log) {}
  ~Probe() override { ++log_->destructions; }
  void ReservedNoOp() override { ++log_->hooks; }

 private:
  ProbeLog* log_;
};

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Creating the module lock turns the release switch on.
    LockModule();
    UnlockModule();
    ASSERT_EQ(DllSafeFlag(), 1);
    probe_ = new Probe(&log_);
  }
  void TearDown() override {
    if (log_.destructions == 0) probe_->Release(0);
  }
  ProbeLog log_;
  Probe* probe_ = nullptr;
};

TEST_F(FrameTest, GuardCountsNestedCallsAndClosesOnReturn) {
  int inner = -1;
  const int outer = IntSlot(probe_, [&] {
    inner = IntSlot(probe_, [&] { return probe_->nestingCount; });
    return probe_->nestingCount;
  });
  EXPECT_EQ(outer, 1);
  EXPECT_EQ(inner, 2);
  EXPECT_EQ(probe_->nestingCount, 0);
}

TEST_F(FrameTest, ReleaseDuringACallWaitsForTheCallToEnd) {
  int seenAfterRelease = -1;
  const int result = BoolSlot(probe_, [&] {
    probe_->Release(0);
    // Hook ran at once, the live flag is clear, the object still stands.
    seenAfterRelease = log_.hooks * 100 + probe_->liveFlag * 10 + log_.destructions;
    probe_->Release(0);  // a second release in the same window changes nothing
    return log_.hooks == 1 && log_.destructions == 0;
  });
  EXPECT_EQ(seenAfterRelease, 100);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(log_.hooks, 1);
  EXPECT_EQ(log_.destructions, 1);
}

TEST_F(FrameTest, ReleaseInANestedCallDestroysOnlyWhenTheOuterCallEnds) {
  RunInFrameVoid(probe_, [&] {
    RunInFrameVoid(probe_, [&] { probe_->Release(0); });
    EXPECT_EQ(log_.destructions, 0);
  });
  EXPECT_EQ(log_.destructions, 1);
}

TEST_F(FrameTest, ExceptionsBecomeFailureResultsAndTheGuardCloses) {
  char buf[8] = "keepme!";
  struct Case {
    const char* what;
    std::function<int()> call;
    int expected;
  };
  const Case cases[] = {
      {"bool slot", [&] { return BoolSlot(probe_, []() -> bool { throw std::bad_alloc(); }); }, 0},
      {"int slot", [&] { return IntSlot(probe_, []() -> int { throw std::bad_alloc(); }); }, 0},
      {"foreign exception", [&] { return IntSlot(probe_, []() -> int { throw 42; }); }, 0},
      {"text slot", [&] { return TextSlot(probe_, buf, 8, []() -> std::string { throw std::bad_alloc(); }); }, 0},
      {"void slot", [&] { RunInFrameVoid(probe_, [] { throw std::runtime_error("x"); }); return 7; }, 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.call(), c.expected) << c.what;
    EXPECT_EQ(probe_->nestingCount, 0) << c.what;
  }
  EXPECT_STREQ(buf, "keepme!");
}

TEST_F(FrameTest, ExceptionAfterReleaseStillDestroysTheComponent) {
  const int result = IntSlot(probe_, [&]() -> int {
    probe_->Release(0);
    throw std::bad_alloc();
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(log_.destructions, 1);
}

TEST_F(FrameTest, BooleansCrossAsExactlyZeroOrOne) {
  const int values[] = {0, 1, 2, -1, 0x100, 0x7FFFFFFF};
  for (int v : values) EXPECT_EQ(BoolSlot(probe_, [v] { return v; }), v != 0 ? 1 : 0) << v;
}

TEST_F(FrameTest, CallOnAReleasedComponentStillRuns) {
  // The entry assertion is a debugging aid: it neither stops nor skips the call.
  int ran = 0;
  RunInFrameVoid(probe_, [&] {
    probe_->Release(0);
    ran = IntSlot(probe_, [] { return 5; });
  });
  EXPECT_EQ(ran, 5);
  EXPECT_EQ(log_.destructions, 1);
}

}  // namespace
}  // namespace orvel
