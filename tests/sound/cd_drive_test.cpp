// The virtual CD drive with an output that records what it was asked to play: the four play
// modes at the end of a track, the disc playing on, pause and resume, the shuffle order, and
// the drive table's arguments, folders and track files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "sound/cd/cd_audio.h"
#include "sound/engine/engine_error.h"

namespace korvo::sound::test {
namespace {

using cd::CdDrive;
using cd::CdTime;
using cd::kCdMs;
using cd::PlayMode;

struct OutputTrace {
  // Each start: the file and the drive time (ms) it came at.
  std::vector<std::pair<std::string, std::int64_t>> starts;
  std::int64_t now = 0;
  int stops = 0;
  bool paused = false;
  std::int32_t volume = -1;
};

class TraceOutput final : public cd::TrackOutput {
 public:
  explicit TraceOutput(OutputTrace& trace) : trace_(trace) {}
  std::int64_t length(const std::string& path) override { return path == "broken" ? -1 : 1000 * (path.back() - '0'); }
  bool start(const std::string& path) override {
    trace_.starts.emplace_back(path, trace_.now);
    trace_.paused = false;
    return true;
  }
  void stop() override { ++trace_.stops; }
  void setPaused(bool paused) override { trace_.paused = paused; }
  void setVolume(std::int32_t volume) override { trace_.volume = volume; }

 private:
  OutputTrace& trace_;
};

class CdDriveTest : public ::testing::Test {
 protected:
  // Three tracks of 2, 3 and 4 seconds.
  void SetUp() override { drive_.open({"t2", "t3", "t4"}, 7); }
  // Plays ms in 25 ms steps (the engine's blocks); what starts in a step starts at its start.
  void run(std::int64_t ms) {
    for (std::int64_t t = 0; t < ms; t += 25) {
      drive_.advance(25 * kCdMs);
      trace_.now += 25;
    }
  }
  std::vector<std::pair<std::string, std::int64_t>> starts() const { return trace_.starts; }

  OutputTrace trace_;
  CdDrive drive_{std::make_unique<TraceOutput>(trace_)};
};

TEST_F(CdDriveTest, StopModeEndsTheTrackAHundredMillisecondsBeforeItsEnd) {
  drive_.setPlayMode(PlayMode::kStop);
  ASSERT_TRUE(drive_.playTrack(1));
  run(1900);
  EXPECT_TRUE(drive_.playing());
  run(25);
  EXPECT_FALSE(drive_.playing()) << "stopped at 1900 ms of 2000";
  EXPECT_EQ(trace_.stops, 1);
  run(3000);
  EXPECT_EQ(trace_.starts.size(), 1u);
}

TEST_F(CdDriveTest, RepeatModePlaysTheTrackAgainAtItsLengthLessAHundredMilliseconds) {
  drive_.setPlayMode(PlayMode::kRepeat);
  ASSERT_TRUE(drive_.playTrack(2));
  run(6000);
  EXPECT_EQ(starts(), (std::vector<std::pair<std::string, std::int64_t>>{{"t3", 0}, {"t3", 2900}, {"t3", 5800}}));
}

TEST_F(CdDriveTest, ContinueModePlaysTheFollowingTracksAndStopsAfterTheLast) {
  drive_.setPlayMode(PlayMode::kContinue);
  ASSERT_TRUE(drive_.playTrack(2));
  run(8000);
  EXPECT_EQ(starts(), (std::vector<std::pair<std::string, std::int64_t>>{{"t3", 0}, {"t4", 3000}}));
  EXPECT_FALSE(drive_.playing()) << "the last track stops 100 ms before its end";
  EXPECT_EQ(drive_.currentTrack(), 3);
}

TEST_F(CdDriveTest, RandomModeFollowsTheShuffleOrderAndNeverGoesPastTheDisc) {
  drive_.setPlayMode(PlayMode::kRandom);
  ASSERT_TRUE(drive_.playTrack(1));
  const auto& order = drive_.shuffleOrder();
  EXPECT_EQ(std::set<int>(order.begin(), order.end()).size(), 256u) << "a permutation of 1..256";
  EXPECT_EQ(order[static_cast<std::size_t>(drive_.shuffleIndex())], 1);
  // The next two tracks are the other two in the order of the permutation.
  std::vector<std::string> expected;
  for (int i = drive_.shuffleIndex() + 1; expected.size() < 2; i = (i + 1) % 256) {
    const int track = order[static_cast<std::size_t>(i)];
    if (track <= 3) expected.push_back("t" + std::to_string(track + 1));
  }
  run(1900 + 3900);
  ASSERT_GE(trace_.starts.size(), 3u);
  EXPECT_EQ(trace_.starts[1].first, expected[0]);
  EXPECT_EQ(trace_.starts[2].first, expected[1]);
  // A long run crosses whole permutations (reshuffled each time): every pick is a track of
  // the disc, started 100 ms before the end of the one before.
  run(600000);
  EXPECT_GT(trace_.starts.size(), 150u);
  for (std::size_t i = 1; i < trace_.starts.size(); ++i) {
    const auto& [before, at] = trace_.starts[i - 1];
    EXPECT_EQ(trace_.starts[i].second - at, 1000 * (before.back() - '0') - 100) << "start " << i;
  }
}

TEST_F(CdDriveTest, PauseHoldsTheTrackAndItsTimerUntilResumed) {
  drive_.setPlayMode(PlayMode::kStop);
  ASSERT_TRUE(drive_.playTrack(1));
  run(1000);
  ASSERT_TRUE(drive_.setPaused(true));
  EXPECT_TRUE(trace_.paused);
  run(5000);
  EXPECT_TRUE(drive_.playing());
  EXPECT_EQ(drive_.position(), 1000 * kCdMs);
  ASSERT_TRUE(drive_.setPaused(false));
  EXPECT_FALSE(trace_.paused);
  run(900);
  EXPECT_TRUE(drive_.playing());
  run(25);
  EXPECT_FALSE(drive_.playing()) << "900 ms after resuming, 100 ms before the end";
}

TEST_F(CdDriveTest, TracksOutsideTheDiscDoNotPlayAndTheVolumeReachesEachTrack) {
  EXPECT_FALSE(drive_.playTrack(0));
  EXPECT_FALSE(drive_.playTrack(4));
  drive_.setVolume(300);
  ASSERT_TRUE(drive_.playTrack(3));
  EXPECT_EQ(trace_.volume, 255);
  EXPECT_EQ(drive_.trackLengthMs(2), 3000);
  // Stopping a stopped drive is harmless.
  EXPECT_TRUE(drive_.stop());
  EXPECT_TRUE(drive_.stop());
  EXPECT_EQ(trace_.stops, 1);
}

class CdAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("korvo-cd-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_ / "disc");
    for (const char* name :
         {"track01.wav", "Track02.OGG", "track02.wav", "track03.mp3", "track05.wav", "notes.txt", "track4.wav"}) {
      std::ofstream(dir_ / "disc" / name) << "x";
    }
    setenv("KORVO_CDROM", (dir_ / "disc").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KORVO_CDROM");
    unsetenv("KORVO_CDROM_D");
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path dir_;
  OutputTrace trace_;
  cd::CdAudio audio_{[this] { return std::make_unique<TraceOutput>(trace_); }, "/nowhere"};
};

TEST_F(CdAudioTest, TrackFilesGoInTrackOrderUpToTheFirstMissingNumber) {
  const std::vector<std::string> tracks = cd::trackFiles((dir_ / "disc").string());
  ASSERT_EQ(tracks.size(), 3u);
  EXPECT_EQ(std::filesystem::path(tracks[0]).filename(), "track01.wav");
  EXPECT_EQ(std::filesystem::path(tracks[1]).filename(), "Track02.OGG");
  EXPECT_EQ(std::filesystem::path(tracks[2]).filename(), "track03.mp3");
  EXPECT_TRUE(cd::trackFiles((dir_ / "none").string()).empty());
  EXPECT_EQ(cd::driveFolder(0, "/prog"), (dir_ / "disc").string());
  unsetenv("KORVO_CDROM");
  EXPECT_EQ(cd::driveFolder(0, "/prog"), "/prog/cdaudio");
  EXPECT_EQ(cd::driveFolder(4, "/prog"), "");
}

TEST_F(CdAudioTest, DriveArgumentsAreZeroOrALetterAndADriveNeedsItsFolder) {
  EXPECT_TRUE(audio_.playTrack(0, 1));
  EXPECT_FALSE(audio_.playTrack('1', 1));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_FALSE(audio_.stop('D'));
  EXPECT_EQ(lastError(), EngineError::kCdOpen);
  setenv("KORVO_CDROM_D", (dir_ / "disc").c_str(), 1);
  EXPECT_TRUE(audio_.playTrack('d', 2));
  EXPECT_TRUE(audio_.withDrive('D', [](CdDrive& d) { return d.currentTrack() == 2; }));
  EXPECT_FALSE(audio_.setPlayMode(0, 4));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_TRUE(audio_.setVolume(0, 128));
  audio_.close();
  EXPECT_FALSE(audio_.withDrive(0, [](CdDrive& d) { return d.playing(); }));
}

TEST_F(CdAudioTest, TheFolderBesideTheProgramIsFoundInAnyCase) {
  unsetenv("KORVO_CDROM");
  std::filesystem::rename(dir_ / "disc", dir_ / "CDAudio");
  cd::CdAudio beside([this] { return std::make_unique<TraceOutput>(trace_); }, dir_.string());
  EXPECT_TRUE(beside.playTrack(0, 3));
  ASSERT_FALSE(trace_.starts.empty());
  EXPECT_EQ(std::filesystem::path(trace_.starts.back().first).filename(), "track03.mp3");
}

}  // namespace
}  // namespace korvo::sound::test
