// The game's files are only ever replaced whole: a program that writes settings.ini,
// "My Levels.pak" and Scores.dat as fast as it can (each round a new version of all three)
// is killed at random moments, many times; every file left is then one whole version.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "startup/program_builder.h"

extern char** environ;

namespace korvo {
namespace {

std::int32_t check(std::int32_t best, std::int32_t played) { return (best * 3 + played * 7) * 11; }

// The pack as round n writes it.
std::string packVersion(int n) {
  std::vector<testing::LevelText> levels;
  for (int l = 1; l <= 20; ++l) {
    testing::LevelText level{"version " + std::to_string(n) + std::string(static_cast<std::size_t>(n % 300), 'x'),
                             std::to_string(l), {}};
    for (int r = 1; r <= 50; ++r) {
      const std::size_t walls = static_cast<std::size_t>((n + r) % 50);
      level.rows.push_back(std::string(walls, '2') + std::string(50 - walls, 's'));
    }
    levels.push_back(level);
  }
  return testing::packFile(levels);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The version a file's first "version N" names, or -1.
int versionIn(const std::string& text) {
  const std::size_t at = text.find("version ");
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 8);
}

TEST(SavedFiles, AreOldOrNewNeverAMixWhenTheGameIsKilledWhileSaving) {
  testing::ScratchDir dir;
  testing::runCommand("mkdir -p '" + dir.file("Tobrix Levels") + "'");
  const testing::GameRun first = testing::runGame(dir.path(), KORVO_GAME_CHECKS, "saves 1 0", true);
  ASSERT_EQ(first.status, 0) << first.output;
  const std::string settingsOne = testing::readText(dir.file("settings.ini"));
  ASSERT_NE(settingsOne.find("Difficulty=1\r\n"), std::string::npos) << settingsOne;
  ASSERT_EQ(testing::readText(dir.file("Tobrix Levels/My Levels.pak")), packVersion(1));

  std::mt19937 random(17);
  std::set<int> seen;
  for (int kill = 0; kill < 40; ++kill) {
    // Each run writes versions from its own thousand on; once its pack (written after the
    // settings) shows one of them, the run is saving, and is killed a random moment later.
    // Waiting on the pack keeps that true on a loaded machine too.
    const int from = (kill + 1) * 1000;
    const std::string command = "cd '" + dir.path() + "' && exec env KORVO_VIDEO=headless KORVO_AUDIO=none " +
                                "KORVO_CLOCK=virtual '" + testing::toolPath("korvo-run") + "' '" + KORVO_GAME_CHECKS +
                                "' saves 0 " + std::to_string(from) + " >/dev/null 2>&1";
    pid_t pid = 0;
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);
    const std::string packFile = dir.file("Tobrix Levels/My Levels.pak");
    for (int wait = 0; wait < 6000 && versionIn(testing::readText(packFile)) <= from; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 100000));
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);

    const std::string settings = testing::readText(dir.file("settings.ini"));
    const int s = versionIn(settings);
    EXPECT_EQ(settings, replaceAll(replaceAll(settingsOne, "Difficulty=1\r\n", "Difficulty=" + std::to_string(s) + "\r\n"),
                                   "  version 1\r\n", "  version " + std::to_string(s) + "\r\n"))
        << "kill " << kill;
    const std::string pack = testing::readText(packFile);
    const int p = versionIn(pack);
    EXPECT_EQ(pack, packVersion(p)) << "kill " << kill << ": version " << p << ", " << pack.size() << " bytes";
    const std::string scores = testing::readText(dir.file("Scores.dat"));
    int n = -1;
    if (scores.size() >= 11) n = (scores[7] & 0xff) | (scores[8] & 0xff) << 8 | (scores[9] & 0xff) << 16;
    EXPECT_EQ(scores, testing::scoreRecord("Alpha", n, n, check(n, n)) + testing::scoreRecord("Beta", n, n, check(n, n)))
        << "kill " << kill;
    if (p > from) seen.insert(p);
  }
  // The kills came while the runs were saving: most left a pack of their own run (a run
  // that never saved within the wait leaves none).
  EXPECT_GT(seen.size(), 20u);
}

}  // namespace
}  // namespace korvo
