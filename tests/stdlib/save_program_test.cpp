// Saves made by whole programs run by korvo-run: how the program ends decides whether a
// half-written replacement is kept, and a writer killed at any moment leaves the target as
// the whole old file or the whole new one, never anything between (also on a disk too full
// for the new file). KORVO_KILL_TRIALS sets the number of kill trials (default 30).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/program_builder.h"
#include "support/small_disk.h"

extern char** environ;

namespace korvo {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

constexpr std::size_t kMiB = 1 << 20;

// Writes `chunks` MiB of 'n' over the file named by its command line with WriteFile, then
// does ENDING (which may leave the file open).
std::string saveProgram(int chunks, const std::string& ending) {
  return R"(
    #include "korvo.h"
    volatile int32_t _vzero, _vsink;
    void __MAIN(void) {
      int32_t bank = _fcreatebank(1 << 20);
      for (int32_t i = 0; i < (1 << 20); i += 4) _fpokeint(bank, i, 0x6E6E6E6E);
      int32_t file = _fwritefile(_fcommandline());
      for (int32_t i = 0; i < )" +
         std::to_string(chunks) + R"(; ++i) _fwritebytes(bank, file, 0, 1 << 20);
      )" +
         ending + R"(
    }
  )";
}

class SavePrograms : public ::testing::Test {
 protected:
  // Builds source into a module image in the scratch folder; its path.
  std::string build(const std::string& source, const std::string& name) {
    std::string error;
    const auto image = testing::buildProgram(source, &error);
    EXPECT_TRUE(image) << error;
    const std::string path = dir.file(name + ".kvm");
    if (image) testing::writeFile(path, *image);
    return path;
  }
  // Runs module headless on target, with an input script when one is given; the exit status.
  static int run(const std::string& module, const std::string& target, const std::string& inputScript = "") {
    const std::string input = inputScript.empty() ? "" : " KORVO_INPUT=" + inputScript;
    return testing::runCommand("env KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual" + input + " " +
                               testing::toolPath("korvo-run") + " " + module + " " + target)
        .status;
  }
  static void putBytes(const std::string& path, std::size_t size, char value) {
    testing::writeFile(path, std::vector<std::uint8_t>(size, static_cast<std::uint8_t>(value)));
  }
  // True when path holds exactly size bytes of value.
  static bool holds(const std::string& path, std::size_t size, char value) {
    const auto bytes = testing::readFile(path);
    return bytes.size() == size && std::all_of(bytes.begin(), bytes.end(),
                                               [&](std::uint8_t b) { return b == static_cast<std::uint8_t>(value); });
  }
  // Hidden files (temporaries) in folder.
  static int temporaries(const std::string& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder)) n += e.path().filename().string()[0] == '.';
    return n;
  }

  ScratchDir dir;
};

struct Ending {
  const char* name;
  const char* code;
  bool closeTheWindow;  // an input script closes the window at 50 ms
  bool keepsTheNewFile;
};

class ProgramEndings : public SavePrograms, public ::testing::WithParamInterface<Ending> {};

TEST_P(ProgramEndings, DecideWhetherAHalfWrittenReplacementIsKept) {
  const std::string module = build(saveProgram(2, GetParam().code), "save");
  const std::string target = dir.file("save.dat");
  std::string script;
  if (GetParam().closeTheWindow) {
    script = dir.file("close.txt");
    std::ofstream(script) << "50 quit\n";
  }
  putBytes(target, 3 * kMiB, 'o');
  run(module, target, script);
  if (GetParam().keepsTheNewFile) {
    EXPECT_TRUE(holds(target, 2 * kMiB, 'n')) << "the program's two MiB were not kept";
  } else {
    EXPECT_TRUE(holds(target, 3 * kMiB, 'o')) << "the old file is not whole";
  }
  EXPECT_EQ(temporaries(dir.path()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Save, ProgramEndings,
    ::testing::Values(Ending{"Return", "", false, true}, Ending{"End", "_fend();", false, true},
                      Ending{"ClosedThenError", "_fclosefile(file); _fruntimeerror(__kvStrConst(\"x\"));", false, true},
                      Ending{"RuntimeError", "_fruntimeerror(__kvStrConst(\"stop\"));", false, false},
                      Ending{"Fault", "_vsink = 10 / _vzero;", false, false},
                      Ending{"WindowClosed", "_fdelay(100);", true, false}),
    [](const auto& test) { return std::string(test.param.name); });

class KillTrials : public SavePrograms {
 protected:
  void SetUp() override {
    module_ = build(saveProgram(10, "_fclosefile(file);"), "save10");
    const char* count = std::getenv("KORVO_KILL_TRIALS");
    trials_ = count ? std::atoi(count) : 30;
  }

  // Kills the program at a random moment up to the length of a whole run, trials times,
  // each time over a fresh old file; the number of trials after which target was neither
  // the whole old file nor the whole new one.
  int killRepeatedly(const std::string& target, int trials, double runSeconds) {
    std::vector<std::string> args = {testing::toolPath("korvo-run"), module_, target};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"KORVO_VIDEO=headless", "KORVO_AUDIO=none", "KORVO_CLOCK=virtual"};
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::uniform_real_distribution<double> moment(0.0, runSeconds);
    int violations = 0;
    for (int i = 0; i < trials; ++i) {
      putBytes(target, kOldSize, 'o');
      pid_t child = 0;
      if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return trials;
      const double wait = moment(random_);
      const timespec pause{static_cast<time_t>(wait), static_cast<long>((wait - static_cast<time_t>(wait)) * 1e9)};
      nanosleep(&pause, nullptr);
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
      violations += !holds(target, kOldSize, 'o') && !holds(target, kNewSize, 'n');
    }
    return violations;
  }

  // The length of one whole run, in seconds.
  double timedRun(const std::string& target) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run(module_, target), 0);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }

  static constexpr std::size_t kOldSize = 10 * kMiB + 7;
  static constexpr std::size_t kNewSize = 10 * kMiB;
  std::string module_;
  int trials_ = 0;
  std::mt19937 random_{13};
};

TEST_F(KillTrials, LeaveTheWholeOldOrTheWholeNewFile) {
  const std::string target = dir.file("save.dat");
  putBytes(target, kOldSize, 'o');
  const double seconds = timedRun(target);
  ASSERT_TRUE(holds(target, kNewSize, 'n')) << "an uninterrupted run did not replace the file";
  const int violations = killRepeatedly(target, trials_, seconds);
  std::printf("kill trials: %d, targets neither the whole old nor the whole new file: %d\n", trials_, violations);
  EXPECT_EQ(violations, 0);
  // A writer that finishes clears what the killed ones left behind.
  timedRun(target);
  EXPECT_EQ(temporaries(dir.path()), 0);
}

TEST_F(KillTrials, OnADiskTooFullForTheNewFileLeaveTheOldFile) {
  const std::string folder = dir.file("disk");
  fs::create_directory(folder);
  test::SmallDisk disk(folder, "size=15m");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string target = folder + "/save.dat";
  putBytes(target, kOldSize, 'o');
  const double seconds = timedRun(target);
  ASSERT_TRUE(holds(target, kOldSize, 'o')) << "a replacement that did not fit was committed";
  const int trials = (trials_ + 1) / 2;
  const int violations = killRepeatedly(target, trials, seconds);
  std::printf("kill trials on a full disk: %d, targets neither the whole old nor the whole new file: %d\n", trials,
              violations);
  EXPECT_EQ(violations, 0);
  timedRun(target);
  EXPECT_EQ(temporaries(folder), 0);
}

}  // namespace
}  // namespace korvo
