// runProgram: module order, start-up failure, the trimmed command line, and the ways a
// program ends.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "host/runtime_commands.h"
#include "startup/runtime_interface.h"
#include "host/runtime_host.h"
#include "host/system_commands.h"

namespace korvo {
namespace {

std::vector<std::string> gTrace;
bool gFailInput = false;

#define TRACE_MODULE(n)                                 \
  bool create_##n() {                                   \
    gTrace.push_back("+" #n);                           \
    return !(gFailInput && std::string(#n) == "input"); \
  }                                                     \
  void destroy_##n() { gTrace.push_back("-" #n); }

TRACE_MODULE(basic)
TRACE_MODULE(math)
TRACE_MODULE(string)
TRACE_MODULE(stream)
TRACE_MODULE(sockets)
TRACE_MODULE(filesystem)
TRACE_MODULE(bank)
TRACE_MODULE(graphics)
TRACE_MODULE(input)
TRACE_MODULE(audio)

const RuntimeModule kTraced[] = {
    {"basic", create_basic, destroy_basic, "basic_create failed"},
    {"math", create_math, destroy_math, "math_create failed"},
    {"string", create_string, destroy_string, "string_create failed"},
    {"stream", create_stream, destroy_stream, "stream_create failed"},
    {"sockets", create_sockets, destroy_sockets, "sockets_create failed"},
    {"filesystem", create_filesystem, destroy_filesystem, "filesystem_create failed"},
    {"bank", create_bank, destroy_bank, "bank_create failed"},
    {"graphics", create_graphics, destroy_graphics, "graphics_create failed"},
    {"input", create_input, destroy_input, "input_create failed"},
    {"audio", create_audio, destroy_audio, "audio_create failed"},
};

void tracedMain() { gTrace.push_back("main"); }

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    gTrace.clear();
    gFailInput = false;
  }
  testing::RecordingHooks hooks;
};

TEST_F(Startup, ModulesComeAndGoInOrder) {
  EXPECT_EQ(runOnModules(&tracedMain, "", &hooks, kTraced), nullptr);
  const std::vector<std::string> expected = {
      "+basic",    "+math",       "+string",  "+stream", "+sockets", "+filesystem", "+bank",
      "+graphics", "+input",      "+audio",   "main",    "-audio",   "-input",      "-graphics",
      "-bank",     "-filesystem", "-sockets", "-stream", "-string",  "-math",       "-basic"};
  EXPECT_EQ(gTrace, expected);
  EXPECT_EQ(hooks.messages, std::vector<std::string>{"Program has ended"});
}

TEST_F(Startup, FailingModuleUnwindsWhatWasCreatedAndSkipsMain) {
  gFailInput = true;
  EXPECT_STREQ(runOnModules(&tracedMain, "", &hooks, kTraced), "Unable to start program");
  const std::vector<std::string> expected = {"+basic",   "+math",     "+string", "+stream",   "+sockets", "+filesystem",
                                             "+bank",    "+graphics", "+input",  "-graphics", "-bank",    "-filesystem",
                                             "-sockets", "-stream",   "-string", "-math",     "-basic"};
  EXPECT_EQ(gTrace, expected);
  ASSERT_FALSE(hooks.messages.empty());
  EXPECT_EQ(hooks.messages.front(), "Startup Error: input_create failed");
}

std::string gSeenCommandLine;
void commandLineMain() { gSeenCommandLine = core::takeString(cmd::CommandLine()); }

TEST_F(Startup, CommandLineIsTrimmed) {
  runOnModules(&commandLineMain, splitCommandLine("\"C:\\a b\\x.exe\"  -level 3  "), &hooks, kTraced);
  EXPECT_EQ(gSeenCommandLine, "-level 3");
}

void endingMain() {
  gTrace.push_back("main");
  cmd::End();
  gTrace.push_back("after end");
}

TEST_F(Startup, EndIsQuietAndStillDestroysModules) {
  EXPECT_EQ(runOnModules(&endingMain, "", &hooks, kTraced), nullptr);
  EXPECT_EQ(gTrace.back(), "-basic");
  EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "after end"), 0);
  EXPECT_TRUE(hooks.messages.empty());
}

void failingMain() { cmd::RuntimeError(core::newString(std::string(300, 'x'))); }

TEST_F(Startup, RuntimeErrorShowsFirst255CharactersAndEnds) {
  const char* result = runOnModules(&failingMain, "", &hooks, kTraced);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(std::string(result), std::string(255, 'x'));
  ASSERT_EQ(hooks.messages.size(), 1u);
  EXPECT_EQ(hooks.messages[0], "!" + std::string(255, 'x'));
  EXPECT_EQ(hooks.events, std::vector<std::string>{"suspended"});
}

TEST_F(Startup, SecondHostIsRefused) {
  auto* host = platform::RuntimeHost::create("", &hooks);
  ASSERT_NE(host, nullptr);
  EXPECT_EQ(platform::RuntimeHost::create("", &hooks), nullptr);
  platform::RuntimeHost::destroy(host);
  EXPECT_EQ(platform::RuntimeHost::current(), nullptr);
}

void waitingMain() {
  auto* host = platform::RuntimeHost::current();
  host->requestEnd();
  gTrace.push_back("main");
  cmd::Delay(0);
  gTrace.push_back("after delay");
}

TEST_F(Startup, EndRequestEndsAtTheNextWait) {
  EXPECT_EQ(runOnModules(&waitingMain, "", &hooks, kTraced), nullptr);
  EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "main"), 1);
  EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "after delay"), 0);
}

const char* gNestedResult = "not run";
bool gDebugAfterNested = false;
void nestingMain() {
  gNestedResult = runOnModules(&tracedMain, "", nullptr, kTraced);
  gDebugAfterNested = debugMode();
}

TEST_F(Startup, RunRefusedForLackOfAHostLeavesTheRunningProgramAlone) {
  struct sigaction before {};
  sigaction(SIGSEGV, nullptr, &before);
  stack_t stackBefore{};
  sigaltstack(nullptr, &stackBefore);
  EXPECT_EQ(runOnModules(&nestingMain, "", &hooks, kTraced), nullptr);
  EXPECT_EQ(gNestedResult, nullptr);
  EXPECT_EQ(std::count(gTrace.begin(), gTrace.end(), "main"), 0);
  EXPECT_TRUE(gDebugAfterNested) << "the refused run must not change the debug mode";
  struct sigaction after {};
  sigaction(SIGSEGV, nullptr, &after);
  EXPECT_EQ(before.sa_sigaction, after.sa_sigaction) << "the fault translator is removed after the run";
  stack_t stackAfter{};
  sigaltstack(nullptr, &stackAfter);
  EXPECT_EQ(stackBefore.ss_sp, stackAfter.ss_sp);
  EXPECT_EQ(stackBefore.ss_flags, stackAfter.ss_flags);
}

void emptyMain() {}

// A debugger's thread asks while hosts come and go; under the sanitizers a request that
// reaches a host being destroyed shows as a use after free.
TEST_F(Startup, RequestsFromAnotherThreadWhileHostsComeAndGo) {
  std::atomic<bool> done{false};
  std::thread debugger([&] {
    while (!done) runtimeGetRuntime()->requestResume();
  });
  for (int i = 0; i < 200; ++i) EXPECT_EQ(runOnModules(&emptyMain, "", &hooks, {}), nullptr);
  done = true;
  debugger.join();
}

// Hooks that fault while told of a fault; a few calls mean the run loop keeps catching it.
class FaultingHooks : public DebugHooks {
 public:
  void message(const char* text, bool serious) override {
    if (++calls_ > 3) _exit(3);
    raise(SIGSEGV);
  }

 private:
  int calls_ = 0;
};

void faultingMain() { raise(SIGSEGV); }

TEST(StartupDeathTest, FaultWhileReportingAFaultIsNotTranslatedAgain) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FaultingHooks hooks;
        runOnModules(&faultingMain, "", &hooks, {});
      },
#if defined(__SANITIZE_ADDRESS__)
      // The address checker's own handler takes the second fault and ends with its report.
      ::testing::ExitedWithCode(1), "AddressSanitizer: SEGV");
#else
      ::testing::KilledBySignal(SIGSEGV), "");
#endif
}

}  // namespace
}  // namespace korvo
