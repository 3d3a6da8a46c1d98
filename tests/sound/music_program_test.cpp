// Music played by a compiled program while it waits, as a user runs it: korvo-run headless on
// the virtual clock, the WAV output read back. Audio time advances with the clock, so the
// song sounds during Delay and what it played is in the file before anything is freed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "program_runs.h"
#include "startup/program_builder.h"
#include "xm_writer.h"

namespace korvo::sound::test {
namespace {

// At 44100 Hz, speed 6 and 125 BPM a tick is 881 samples and a row six ticks.
constexpr std::size_t kRowFrames = 6 * 881;
// A sound started at the clock's start is first heard after one lap of the 4408-frame buffer.
constexpr std::size_t kFirstLap = 4408;

// Four rows that loop: a held note on rows 0 and 2, silenced (volume 0) on rows 1 and 3.
std::vector<std::uint8_t> pulsingSong() {
  XmSongSpec spec;
  spec.channels = 1;
  XmInstrumentSpec in;
  XmSampleSpec held;
  held.frames.assign(64, 8000);
  held.sixteenBit = true;
  held.loopType = 1;
  held.loopLength = 64;
  in.samples.push_back(held);
  spec.instruments.push_back(in);
  spec.patterns[0].rows = 4;
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  spec.patterns[0].cells[{1, 0}] = cell(0, 0, 0x10);
  spec.patterns[0].cells[{2, 0}] = cell(kC4, 1);
  spec.patterns[0].cells[{3, 0}] = cell(0, 0, 0x10);
  return writeXm(spec);
}

// Frames where the left side turns from silence to sound.
std::vector<std::size_t> onsets(const ProgramRun& run) {
  std::vector<std::size_t> found;
  for (std::size_t f = 1; f < run.frames(); ++f) {
    if (run.left(f) != 0 && run.left(f - 1) == 0) found.push_back(f);
  }
  return found;
}

TEST(MusicProgramTest, ASongPlaysWhileTheProgramWaitsAndReportsFinishedWhileItLoops) {
  testing::ScratchDir dir;
  const std::string song = dir.file("pulse.xm");
  testing::writeFile(song, pulsingSong());
  const ProgramRun run = runSoundSteps("music:" + song + " wait:100 playing wait:900 playing wait:500");
  ASSERT_EQ(run.status, 0);
  ASSERT_EQ(logged(run, "channel").size(), 1u);
  EXPECT_NE(logged(run, "channel")[0], "channel 0") << "PlayMusic failed";
  EXPECT_EQ(logged(run, "playing"), (std::vector<std::string>{"playing 1", "playing 0"}))
      << "finished once its last order has played, though it loops on";
  ASSERT_EQ(run.rate, 44100);
  ASSERT_EQ(run.frames(), 66150u) << "1500 ms of clock are 1500 ms of audio";

  // A note every two rows, from the first block mixed after PlayMusic to the file's end,
  // through the song's loop back to its start after row 3.
  const std::vector<std::size_t> at = onsets(run);
  ASSERT_EQ(at.size(), 6u);
  EXPECT_GE(at[0], kFirstLap);
  EXPECT_LT(at[0], kFirstLap + 1102);
  for (std::size_t i = 1; i < at.size(); ++i) EXPECT_EQ(at[i] - at[i - 1], 2 * kRowFrames) << "note " << i;
}

}  // namespace
}  // namespace korvo::sound::test
