// CD audio heard through a compiled program run headless on the virtual clock with the WAV
// output: a folder of three generated tracks as the default drive, PlayCDTrack in its modes,
// and pause and volume on the CD channel. Each track says in its samples which it is (the
// left side) and where in it they lie (the right side), so that the file tells what played
// when.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ostream>

#include "program_runs.h"
#include "startup/program_builder.h"
#include "test_encoders.h"

namespace korvo::sound::test {
namespace {

constexpr int kRate = 44100;
// The engine's block: what the drive's time moves by at once.
constexpr std::int64_t kBlock = 1102;
// A start's volume ramp (128 frames), and a little.
constexpr std::int64_t kRamp = 140;
// The left side of track n is n times this; the right side a quarter of the frame's index.
constexpr int kTrackStep = 5000;
// Full volume, unpanned: what the file holds times 255/256.
constexpr double kFullVolume = 255.0 / 256.0;

constexpr std::int64_t frames(std::int64_t ms) { return ms * kRate / 1000; }

// A stretch of the output where one track played on from one point of it (track 0: silence).
struct Heard {
  int track = 0;
  std::int64_t first = 0;  // the first output frame
  std::int64_t frames = 0;
  std::int64_t from = 0;  // the track's frame heard first
};
std::ostream& operator<<(std::ostream& os, const Heard& h) {
  return os << "{track " << h.track << " at " << h.first << " for " << h.frames << " from " << h.from << "}";
}

// What the output holds, stretch by stretch; the frames of a start's or stop's volume ramp
// (which may pass a lower track's level on the way) count with the stretch before them.
std::vector<Heard> heard(const ProgramRun& run, double volume = 1.0) {
  std::vector<Heard> stretches;
  const double step = kTrackStep * kFullVolume * volume;
  std::int64_t lastPosition = 0;
  for (std::size_t f = 0; f < run.frames(); ++f) {
    const int track = static_cast<int>(std::lround(run.left(f) / step));
    if (std::abs(run.left(f) - track * step) > 40) {
      if (!stretches.empty()) ++stretches.back().frames;
      continue;
    }
    const std::int64_t position = track ? std::llround(run.right(f) / (kFullVolume * volume)) * 4 : 0;
    const bool goesOn = !stretches.empty() && stretches.back().track == track && position + 100 >= lastPosition;
    if (goesOn) {
      ++stretches.back().frames;
    } else {
      stretches.push_back({track, static_cast<std::int64_t>(f), 1, position});
    }
    lastPosition = position;
  }
  std::vector<Heard> folded;
  for (const Heard& h : stretches) {
    if (!folded.empty() && h.frames < kRamp) {
      folded.back().frames += h.frames;
    } else {
      folded.push_back(h);
    }
  }
  return folded;
}

class CdProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Tracks of 1.0, 0.6 and 0.8 s.
    const std::int64_t lengths[] = {1000, 600, 800};
    for (int n = 1; n <= 3; ++n) {
      korvo::test::Pcm pcm;
      for (std::int64_t f = 0; f < frames(lengths[n - 1]); ++f) {
        pcm.samples.push_back(static_cast<std::int16_t>(n * kTrackStep));
        pcm.samples.push_back(static_cast<std::int16_t>(f / 4));
      }
      testing::writeFile(dir_.file("Track0" + std::to_string(n) + ".wav"), korvo::test::encodeWav(pcm));
    }
    setenv("KORVO_CDROM", dir_.path().c_str(), 1);
  }
  void TearDown() override { unsetenv("KORVO_CDROM"); }

  // Expects a stretch of track from its frame from, lasting length frames (within one block
  // of the drive's time and the volume ramps).
  static void expectStretch(const Heard& h, int track, std::int64_t from, std::int64_t length) {
    EXPECT_EQ(h.track, track) << h;
    EXPECT_NEAR(h.from, from, kRamp) << h;
    EXPECT_GE(h.frames, length - kRamp) << h;
    EXPECT_LE(h.frames, length + kBlock + kRamp) << h;
  }

  testing::ScratchDir dir_;
};

TEST_F(CdProgramTest, OnceStopsAHundredMillisecondsBeforeTheEndOfTheTrack) {
  const ProgramRun run = runSoundSteps("cd:1:1 wait:1500");
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(run.frames(), static_cast<std::size_t>(frames(1500)));
  const std::vector<Heard> h = heard(run);
  ASSERT_EQ(h.size(), 3u) << ::testing::PrintToString(h);
  EXPECT_EQ(h[0].track, 0);
  expectStretch(h[1], 1, 0, frames(900));
  EXPECT_EQ(h[2].track, 0) << "silence after the stop";
}

TEST_F(CdProgramTest, RepeatPlaysTheTrackAgainAtItsLengthLessAHundredMilliseconds) {
  const ProgramRun run = runSoundSteps("cd:2:2 wait:2000");
  ASSERT_EQ(run.status, 0);
  const std::vector<Heard> h = heard(run);
  ASSERT_GE(h.size(), 4u) << ::testing::PrintToString(h);
  // Each pass of 500 ms starts at a block and ends at the first block boundary past it.
  for (std::size_t i = 1; i + 1 < h.size(); ++i) expectStretch(h[i], 2, 0, frames(500));
  EXPECT_EQ(h.back().track, 2);
  EXPECT_EQ(runSoundSteps("cd:2:2 wait:2000").audio, run.audio) << "the same frames every run";
}

TEST_F(CdProgramTest, ContinuePlaysTheFollowingTracksAndStopsInTheLast) {
  const ProgramRun run = runSoundSteps("cd:2:3 wait:2000");
  ASSERT_EQ(run.status, 0);
  const std::vector<Heard> h = heard(run);
  ASSERT_EQ(h.size(), 5u) << ::testing::PrintToString(h);
  expectStretch(h[1], 2, 0, frames(600));
  // The next track starts with the first block after the end of the last.
  EXPECT_EQ(h[2].track, 0);
  EXPECT_LE(h[2].frames, kBlock + kRamp) << h[2];
  expectStretch(h[3], 3, 0, frames(700));
  EXPECT_EQ(h[4].track, 0);
}

TEST_F(CdProgramTest, PauseAndResumeContinueTheTrackAndItsTimer) {
  const ProgramRun run = runSoundSteps("cd:1:1 wait:300 pause wait:400 resume wait:1000");
  ASSERT_EQ(run.status, 0);
  const std::vector<Heard> h = heard(run);
  ASSERT_EQ(h.size(), 5u) << ::testing::PrintToString(h);
  EXPECT_NEAR(h[1].frames, frames(300), kBlock + kRamp) << h[1];
  EXPECT_NEAR(h[2].frames, frames(400), kBlock + kRamp) << "paused: " << h[2];
  EXPECT_EQ(h[2].track, 0);
  EXPECT_EQ(h[3].track, 1);
  EXPECT_NEAR(h[3].from, h[1].from + h[1].frames, kBlock) << "resumed where it stopped";
  // The stop still comes 100 ms before the end, counted in the track's time.
  EXPECT_NEAR(h[1].frames + h[3].frames, frames(900), kBlock + kRamp);
  EXPECT_EQ(h[4].track, 0);
}

TEST_F(CdProgramTest, ChannelVolumeScalesTheCdSound) {
  const ProgramRun run = runSoundSteps("cd:1:1 volume:50 wait:500");
  ASSERT_EQ(run.status, 0);
  const std::vector<Heard> h = heard(run, 127.0 / 255.0);
  ASSERT_EQ(h.size(), 2u) << ::testing::PrintToString(h);
  EXPECT_EQ(h[1].track, 1);
}

TEST_F(CdProgramTest, ADriveWithoutItsFolderStaysSilentAndTheChannelStillAnswers) {
  setenv("KORVO_CDROM", dir_.file("nowhere").c_str(), 1);
  const ProgramRun run = runSoundSteps("cd:1:1 playing wait:200");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(logged(run, "playing"), std::vector<std::string>{"playing 1"});
  const std::vector<Heard> h = heard(run);
  ASSERT_EQ(h.size(), 1u) << ::testing::PrintToString(h);
  EXPECT_EQ(h[0].track, 0);
}

}  // namespace
}  // namespace korvo::sound::test
