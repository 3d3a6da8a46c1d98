// The host's system commands on the virtual clock: Delay, timers, properties, environment,
// suspend and resume requests.
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "host/runtime_commands.h"
#include "backend/clock.h"
#include "host/runtime_host.h"
#include "host/system_commands.h"

namespace korvo {
namespace {

using platform::RuntimeHost;

class HostCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock);
    host = RuntimeHost::create("args", &hooks);
    ASSERT_NE(host, nullptr);
  }
  void TearDown() override {
    RuntimeHost::destroy(host);
    platform::setClock(nullptr);
  }
  platform::VirtualClock clock{1000};
  testing::RecordingHooks hooks;
  RuntimeHost* host = nullptr;
};

TEST_F(HostCommands, DelayAdvancesTheVirtualClockExactly) {
  const std::int32_t start = cmd::MilliSecs();
  cmd::Delay(1000);
  EXPECT_EQ(cmd::MilliSecs() - start, 1000);
  cmd::Delay(0);
  cmd::Delay(-5);
  EXPECT_EQ(cmd::MilliSecs() - start, 1000);
}

TEST_F(HostCommands, TimerReportsMissedPeriods) {
  const std::int32_t timer = cmd::CreateTimer(60);  // 16 ms period
  ASSERT_NE(timer, 0);
  EXPECT_EQ(cmd::WaitTimer(timer), 1);
  clock.advance(16 * 3);
  EXPECT_EQ(cmd::WaitTimer(timer), 3);
  EXPECT_EQ(cmd::WaitTimer(timer), 1);
  cmd::FreeTimer(timer);
  cmd::FreeTimer(timer);
  EXPECT_EQ(cmd::CreateTimer(0), 0);
  EXPECT_EQ(cmd::CreateTimer(1001), 0);
  const std::int32_t next = cmd::CreateTimer(10);
  EXPECT_GT(next, timer);
}

// A clock that moves on every reading, so a period can end between two readings.
class SteppingClock : public platform::Clock {
 public:
  std::uint32_t now() const override {
    const std::uint32_t t = now_;
    now_ += 10;
    return t;
  }
  void sleep(std::uint32_t ms) override {
    slept.push_back(ms);
    now_ += ms;
  }
  bool isVirtual() const override { return true; }
  std::vector<std::uint32_t> slept;

 private:
  mutable std::uint32_t now_ = 0;
};

TEST_F(HostCommands, TimerWaitNeverSleepsPastAPeriodThatEndedMeanwhile) {
  SteppingClock stepping;
  platform::setClock(&stepping);
  const std::int32_t timer = host->createTimer(60);  // 16 ms period
  EXPECT_EQ(host->waitTimer(timer), 1);
  platform::setClock(&clock);
  for (std::uint32_t ms : stepping.slept) EXPECT_LE(ms, 16u);
}

TEST_F(HostCommands, SystemPropertiesIgnoreCase) {
  EXPECT_EQ(core::takeString(cmd::SystemProperty(core::newString("CPU"))), "Intel");
  const std::string appdir = core::takeString(cmd::SystemProperty(core::newString("AppDir")));
  ASSERT_FALSE(appdir.empty());
  EXPECT_EQ(appdir.back(), '/');
  EXPECT_EQ(core::takeString(cmd::SystemProperty(core::newString("nonsense"))), "");
}

TEST_F(HostCommands, SetEnvIsSeenByGetEnv) {
  cmd::SetEnv(core::newString("KORVO_TEST_VAR"), core::newString("yes"));
  EXPECT_EQ(core::takeString(cmd::GetEnv(core::newString("KORVO_TEST_VAR"))), "yes");
  EXPECT_EQ(core::takeString(cmd::GetEnv(core::newString("KORVO_TEST_UNSET_VAR"))), "");
}

TEST_F(HostCommands, SuspendHoldsUntilResume) {
  host->requestSuspend();
  host->requestResume();
  EXPECT_TRUE(host->idle());
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"suspended", "resumed"}));
  host->requestSuspend();
  host->requestEnd();
  EXPECT_FALSE(host->idle());
  EXPECT_EQ(host->hooks(), nullptr);
  EXPECT_FALSE(host->idle());
}

// A full-screen window that notes when the desktop is given back and taken again.
class FullScreenWindow : public platform::HostWindow {
 public:
  explicit FullScreenWindow(std::vector<std::string>& events) : events_(events) {}
  void pumpEvents() override {}
  void waitEvents(std::uint32_t) override {}
  bool fullScreen() const override { return true; }
  void yieldFocus() override { events_.push_back("desktop forward"); }
  void takeFocus() override { events_.push_back("window forward"); }

 private:
  std::vector<std::string>& events_;
};

TEST_F(HostCommands, StopInFullScreenGivesTheDesktopBackUntilResumed) {
  host->setWindow(std::make_unique<FullScreenWindow>(hooks.events));
  host->requestResume();
  cmd::Stop();
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"suspended", "desktop forward", "window forward", "resumed"}));
  EXPECT_FALSE(host->suspended());
}

}  // namespace
}  // namespace korvo
