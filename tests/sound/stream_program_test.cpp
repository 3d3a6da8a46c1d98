// PlayMusic of a streamed file by a compiled program run headless on the virtual clock: the
// WAV output holds the file's decoded sound, the same frames LoadSound and PlaySound of the
// whole file give, and the program's channel commands reach the stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "program_runs.h"
#include "sound/formats/sound_decoder.h"
#include "startup/program_builder.h"
#include "test_encoders.h"

namespace korvo::sound::test {
namespace {

// A sound started at the clock's start is first heard after one lap of the 4408-frame buffer.
constexpr std::size_t kFirstLap = 4408;
// The volume ramp of a start: 128 frames.
constexpr std::size_t kRamp = 128;

// A value at a volume of 256ths, in whole numbers as the mixer scales it.
int atVolume(int value, int volume) { return value * volume / 256; }

class StreamProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tune_ = korvo::test::testTune(44100, 2, 44100);
    ogg_ = dir_.file("tune.ogg");
    testing::writeFile(ogg_, korvo::test::encodeVorbis(tune_));
  }

  // The file's sound as the Ogg reader decodes it.
  std::vector<std::int16_t> decoded() const {
    const std::vector<std::uint8_t> bytes = testing::readFile(ogg_);
    auto file = formats::SoundFile::openMemory(bytes.data(), bytes.size());
    formats::DecoderResult r = formats::openStreamDecoder(*file, 0);
    std::vector<std::uint8_t> pcm;
    formats::drainDecoder(*r.decoder, pcm);
    return korvo::test::samples16(pcm);
  }

  testing::ScratchDir dir_;
  korvo::test::Pcm tune_;
  std::string ogg_;
};

TEST_F(StreamProgramTest, PlayMusicOfAnOggFilePlaysItsDecodedSoundAndEnds) {
  const ProgramRun streamed = runSoundSteps("music:" + ogg_ + " wait:100 playing wait:1600 playing");
  ASSERT_EQ(streamed.status, 0);
  EXPECT_EQ(logged(streamed, "playing"), (std::vector<std::string>{"playing 1", "playing 0"}))
      << "over some 525 ms after its last data";
  ASSERT_EQ(streamed.frames(), 44100u * 1700 / 1000);
  // Unpanned at full volume: each value is the file's times 255/256.
  const std::vector<std::int16_t> file = decoded();
  ASSERT_EQ(file.size(), 2u * 44100u);
  for (std::size_t f = kRamp; f < 44100; ++f) {
    for (int side = 0; side < 2; ++side) {
      const std::int16_t heard = side ? streamed.right(kFirstLap + f) : streamed.left(kFirstLap + f);
      ASSERT_NEAR(heard, atVolume(file[2 * f + side], 255), 1) << "frame " << f;
    }
  }
  for (std::size_t f = kFirstLap + 44100; f < streamed.frames(); ++f) ASSERT_EQ(streamed.left(f), 0) << "frame " << f;

  // The same file loaded whole and played as a sound: the same frames.
  const ProgramRun whole = runSoundSteps("sound:" + ogg_ + " wait:100 wait:1600");
  ASSERT_EQ(whole.status, 0);
  EXPECT_EQ(whole.audio, streamed.audio);
}

TEST_F(StreamProgramTest, ChannelCommandsReachTheStream) {
  const ProgramRun run = runSoundSteps(
      "music:" + ogg_ + " wait:300 volume:50 wait:200 pause wait:200 resume wait:100 stop playing wait:200 playing");
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(logged(run, "playing"), (std::vector<std::string>{"playing 0", "playing 0"}));
  ASSERT_EQ(run.frames(), 44100u);
  const std::vector<std::int16_t> file = decoded();
  // Loudest of the output's left side over [from, to), and of the file where it was then.
  const auto loudest = [&run](std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t f = from; f < to; ++f) peak = std::max(peak, std::abs(static_cast<int>(run.left(f))));
    return peak;
  };
  const auto fileLoudest = [&file](std::size_t from, std::size_t to) {
    int peak = 0;
    for (std::size_t f = from - kFirstLap; f < to - kFirstLap; ++f)
      peak = std::max(peak, std::abs(static_cast<int>(file[2 * f])));
    return peak;
  };
  // Each command is heard one lap of the buffer (some 100 ms) after the clock time it was given at.
  const auto at = [](int ms) { return static_cast<std::size_t>(ms) * 441 / 10 + kFirstLap; };
  EXPECT_NEAR(loudest(at(50), at(290)), atVolume(fileLoudest(at(50), at(290)), 255), 2);
  EXPECT_NEAR(loudest(at(330), at(490)), atVolume(fileLoudest(at(330), at(490)), 127), 2) << "ChannelVolume 0.5";
  EXPECT_EQ(loudest(at(530), at(690)), 0) << "paused";
  EXPECT_GT(loudest(at(730), at(790)), 0) << "resumed";
  EXPECT_EQ(loudest(at(830), run.frames()), 0) << "stopped";
}

}  // namespace
}  // namespace korvo::sound::test
