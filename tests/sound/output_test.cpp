// The WAV file output end to end: the file holds exactly what the virtual clock says was
// played, a sound starts where the mixing-ahead puts it, and every run gives the same bytes.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "engine_fixture.h"

namespace korvo::sound::test {
namespace {

// One file per test: ctest runs the cases of this file in parallel processes.
std::string wavPath() {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return std::string(::testing::TempDir()) + "engine_" + name + ".wav";
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::int16_t pcmAt(const std::vector<std::uint8_t>& file, std::size_t frame, int side) {
  const std::size_t at = 44 + frame * 4 + static_cast<std::size_t>(side) * 2;
  return static_cast<std::int16_t>(file[at] | (file[at + 1] << 8));
}

class WavOutputTest : public EngineTest {
 protected:
  void TearDown() override {
    EngineTest::TearDown();
    std::remove(wavPath().c_str());
  }
  std::string audioChoice() const override { return "wav:" + wavPath(); }

  // Plays a looped square wave at 50 Hz (so 100 Hz after clamping) for one second.
  std::vector<std::uint8_t> renderOneSecond() {
    start();
    std::vector<std::int16_t> square(100);
    for (std::size_t i = 0; i < square.size(); ++i) square[i] = i < 50 ? 10000 : -10000;
    Sample* s = sample16(square, mode::kLoopNormal);
    const std::int32_t h = engine_.playSample(kFreeChannel, s);
    engine_.setChannelFrequency(h, 50);
    engine_.setChannelPan(h, 128);
    for (int i = 0; i < 10; ++i) clock_.advance(100);
    engine_.close();
    return readFile(wavPath());
  }
};

TEST_F(WavOutputTest, OneSecondOfClockIsOneSecondOfAudio) {
  const auto file = renderOneSecond();
  ASSERT_EQ(file.size(), 44u + 44100u * 4u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(file[40] | (file[41] << 8) | (file[42] << 16) | (file[43] << 24), 44100 * 4);
  // Mixed one block behind the cursor: heard after a full lap of the 4408-frame buffer.
  for (std::size_t f = 0; f < 4408; ++f) ASSERT_EQ(pcmAt(file, f, 0), 0) << f;
  EXPECT_EQ(pcmAt(file, 4408, 0), 0);
  EXPECT_GT(pcmAt(file, 4409, 0), 0);
  // Centred: both sides equal after the fade-in.
  const std::size_t steady = 4408 + 200;
  EXPECT_EQ(pcmAt(file, steady, 0), (10000 * 181) >> 8);
  EXPECT_EQ(pcmAt(file, steady, 0), pcmAt(file, steady, 1));
  // At 100 Hz each source frame lasts 441 output frames: the square turns negative between
  // frames 49 and 50, around output frame 49.5 * 441 of the sound.
  EXPECT_GT(pcmAt(file, 4408 + 21829 - 250, 0), 0);
  EXPECT_LT(pcmAt(file, 4408 + 21829 + 250, 0), 0);
}

TEST_F(WavOutputTest, SameBytesEveryRun) {
  const auto first = renderOneSecond();
  const auto second = renderOneSecond();
  EXPECT_EQ(first, second);
}

TEST_F(WavOutputTest, StopTakesEffectAtTheNextBlock) {
  start();
  Sample* s = sample16(std::vector<std::int16_t>(100, 8000), mode::kLoopNormal);
  const std::int32_t h = engine_.playSample(kFreeChannel, s);
  clock_.advance(100);
  engine_.stopChannel(h);
  clock_.advance(300);
  engine_.close();
  const auto file = readFile(wavPath());
  ASSERT_EQ(file.size(), 44u + 17640u * 4u);
  // Blocks 0..3 were mixed while it played; the block mixed after the stop is silent.
  EXPECT_NE(pcmAt(file, 4408 + 3 * 1102 + 100, 0), 0);
  EXPECT_EQ(pcmAt(file, 4408 + 4 * 1102 + 100, 0), 0);
}

// FNV-1a over the file, a short stand-in for a stored reference rendering.
std::uint64_t digest(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

class ReferenceRender : public WavOutputTest, public ::testing::WithParamInterface<std::pair<int, std::uint64_t>> {};

// Several voices over every source format, loop mode and direction; any change to what the
// mixer produces changes the digest.
TEST_P(ReferenceRender, MatchesStoredDigest) {
  ASSERT_TRUE(engine_.setMixer(GetParam().first));
  start();
  std::vector<std::int16_t> saw(300);
  for (std::size_t i = 0; i < saw.size(); ++i) saw[i] = static_cast<std::int16_t>(i * 200 - 30000);
  Sample* mono16 = sample16(saw, mode::kLoopBidi);
  std::vector<std::int8_t> pulse(400);
  for (std::size_t i = 0; i < pulse.size(); ++i) pulse[i] = static_cast<std::int8_t>(i % 40 < 20 ? 100 : -100);
  Sample* stereo8 =
      engine_.allocSample(kSlotFree, 200, mode::k8Bits | mode::kStereo | mode::kLoopNormal, 30000, 200, 60, 255);
  ASSERT_TRUE(engine_.uploadSampleData(stereo8, pulse.data(), mode::k8Bits));
  const std::int32_t a = engine_.playSample(kFreeChannel, mono16);
  engine_.setChannelFrequency(a, 33075);
  engine_.setChannelPan(a, 200);
  engine_.playSample(kFreeChannel, stereo8);
  const std::int32_t c = engine_.playSample(kFreeChannel, mono16);
  engine_.setChannelFrequency(c, -17000);
  engine_.setChannelSurround(c, true);
  clock_.advance(300);
  engine_.setChannelVolume(a, 40);
  clock_.advance(300);
  engine_.stopChannel(c);
  clock_.advance(400);
  engine_.close();
  EXPECT_EQ(digest(readFile(wavPath())), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Mixers, ReferenceRender,
                         ::testing::Values(std::pair{mixer::kQualityInt16Family6,
                                                     std::uint64_t{6026928894093330840ull}},
                                           std::pair{mixer::kQualityFloat, std::uint64_t{18170185771035312264ull}}));

}  // namespace
}  // namespace korvo::sound::test
