// Streams on an engine with the WAV output under the virtual clock: the double buffer, the
// end of a stream, looping, replaying, positions and failures. What a stream plays is held
// against the same data played whole from one sample: on the virtual clock they must agree
// frame for frame.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "engine_fixture.h"
#include "sound/formats/sample_loader.h"
#include "sound/streams/stream_player.h"
#include "test_encoders.h"

namespace korvo::sound::test {
namespace {

using korvo::test::Bytes;
using korvo::test::Pcm;
using streams::Stream;

std::string outputPath() {
  return std::string(::testing::TempDir()) + "stream_test_" + std::to_string(::getpid()) + ".wav";
}

class StreamTest : public EngineTest {
 protected:
  std::string audioChoice() const override { return "wav:" + outputPath(); }
  void SetUp() override {
    EngineTest::SetUp();
    start();
    player_.emplace(engine_);
  }
  void TearDown() override {
    player_.reset();
    EngineTest::TearDown();
    std::remove(outputPath().c_str());
  }

  // A stream of bytes kept alive by the test.
  Stream* openBytes(const Bytes& bytes, std::uint32_t modeWord = 0) {
    kept_.push_back(bytes);
    return player_->openStream(formats::SoundSource::memory(kept_.back().data(), kept_.back().size()), modeWord);
  }
  // Advances the clock by ms in steps of a block or less.
  void play(int ms) {
    for (; ms > 0; ms -= 25) clock_.advance(static_cast<std::uint32_t>(std::min(ms, 25)));
  }
  // Closes the engine (and with it the file) and reads what was played, interleaved stereo.
  std::vector<std::int16_t> played() {
    player_.reset();
    engine_.close();
    std::ifstream in(outputPath(), std::ios::binary);
    const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return korvo::test::samples16(
        std::vector<std::uint8_t>(file.begin() + std::min<std::size_t>(44, file.size()), file.end()));
  }
  // Plays pcm whole from one sample on a free channel (loaded like LoadSound does).
  std::int32_t playWhole(const Bytes& wav) {
    kept_.push_back(wav);
    Sample* s =
        loadSample(engine_, kSlotFree, formats::SoundSource::memory(kept_.back().data(), kept_.back().size()), 0x2130);
    return s ? engine_.playSample(kFreeChannel, s) : -1;
  }

  std::optional<streams::StreamPlayer> player_;
  std::vector<Bytes> kept_;
};

TEST_F(StreamTest, HalvesAre200MsCutToWhole2048ByteBlocks) {
  Stream* stereo = openBytes(korvo::test::encodeWav(korvo::test::testTune(44100, 2, 30000)));
  ASSERT_NE(stereo, nullptr);
  EXPECT_EQ(stereo->sample()->length, 17408u) << "two halves of 8704, not 17640";
  EXPECT_EQ(stereo->sample()->name, "Streamer Sample");
  EXPECT_EQ(stereo->sample()->defaultPan, kNoPan);
  Stream* mono = openBytes(korvo::test::encodeWav(korvo::test::testTune(22050, 1, 30000)));
  EXPECT_EQ(mono->sample()->length, 8192u);
  EXPECT_EQ(mono->sample()->defaultFrequency, 22050);
  EXPECT_EQ(player_->streamLength(mono), 30000 * 1000 / 22050);
}

TEST_F(StreamTest, AStreamPlaysLikeTheWholeFileFromOneSample) {
  for (const auto& [rate, channels] : {std::pair{22050, 1}, std::pair{44100, 2}}) {
    const Bytes wav = korvo::test::encodeWav(korvo::test::testTune(rate, channels, 30011));
    start();
    player_.emplace(engine_);
    ASSERT_GE(player_->playStream(kFreeChannel, openBytes(wav)), 0);
    play(1500);
    const std::vector<std::int16_t> streamed = played();
    start();
    ASSERT_GE(playWhole(wav), 0);
    play(1500);
    const std::vector<std::int16_t> whole = played();
    ASSERT_EQ(streamed.size(), 66150u * 2);
    EXPECT_NE(std::count(streamed.begin(), streamed.end(), 0), static_cast<std::ptrdiff_t>(streamed.size()));
    EXPECT_EQ(streamed, whole) << rate << " Hz, " << channels << " channel(s)";
  }
}

TEST_F(StreamTest, ALoopingStreamPlaysItsDataAgainWithoutAGap) {
  const Pcm once = korvo::test::testTune(44100, 1, 30011);
  Pcm thrice = once;
  for (int i = 0; i < 2; ++i) thrice.samples.insert(thrice.samples.end(), once.samples.begin(), once.samples.end());
  ASSERT_GE(player_->playStream(kFreeChannel, openBytes(korvo::test::encodeWav(once), mode::kLoopNormal)), 0);
  play(2000);
  const std::vector<std::int16_t> looped = played();
  // Heard to the end of the file: past the second time through.
  ASSERT_NE(looped[2 * (4408 + 2 * 30011 + 100)], 0);
  start();
  ASSERT_GE(playWhole(korvo::test::encodeWav(thrice)), 0);
  play(2000);
  EXPECT_EQ(looped, played());
}

TEST_F(StreamTest, ANonLoopingStreamStopsWithinABlockOf400MsAndTheLatencyAfterItsData) {
  Stream* s = openBytes(korvo::test::encodeWav(korvo::test::testTune(44100, 2, 44100)));
  const std::int32_t handle = player_->playStream(kFreeChannel, s);
  ASSERT_GE(handle, 0);
  int endedAt = -1;
  int stoppedAt = -1;
  for (int ms = 0; ms < 3000 && stoppedAt < 0; ms += 25) {
    play(25);
    if (endedAt < 0 && s->endCountdown() != streams::kNotEnding) endedAt = ms;
    if (!engine_.isChannelPlaying(handle)) stoppedAt = ms;
  }
  ASSERT_GE(endedAt, 0);
  ASSERT_GE(stoppedAt, 0);
  // 400 ms of two halves, the output's 100 ms and one 25 ms block.
  EXPECT_NEAR(stoppedAt - endedAt, 525, 25);
  EXPECT_EQ(player_->streamChannel(s), -1);
  EXPECT_FALSE(engine_.resolveChannel(handle & 0xFFF)->hasFlag(chflag::kReserved)) << "its channel is free again";
  // Every frame was heard before the stop: the data's last stretch is in the file.
  const std::vector<std::int16_t> out = played();
  std::size_t lastSound = 0;
  for (std::size_t i = 0; i < out.size(); ++i)
    if (out[i] != 0) lastSound = i / 2;
  EXPECT_NEAR(static_cast<double>(lastSound), 4408.0 + 44100.0, 2.0);
}

TEST_F(StreamTest, PlayingAPlayingStreamKeepsItsChannelAndAStoppedOneStartsFromTheBeginning) {
  const Pcm tune = korvo::test::testTune(44100, 1, 50000);
  Stream* s = openBytes(korvo::test::encodeWav(tune));
  const std::int32_t first = player_->playStream(kFreeChannel, s);
  play(500);
  EXPECT_EQ(player_->playStream(kFreeChannel, s), first);
  EXPECT_TRUE(player_->stopStream(s));
  EXPECT_FALSE(engine_.isChannelPlaying(first));
  EXPECT_EQ(player_->streamChannel(s), -1);
  const std::int32_t again = player_->playStream(kFreeChannel, s);
  ASSERT_GE(again, 0);
  EXPECT_NE(again, first);
  const auto* data = reinterpret_cast<const std::int16_t*>(s->sample()->data());
  EXPECT_TRUE(std::equal(data, data + s->halfFrames(), tune.samples.begin())) << "refilled from the start";

  // A channel stopped under a playing stream is started again there, and the stream goes on.
  engine_.stopChannel(again);
  const std::int32_t restarted = player_->playStream(kFreeChannel, s);
  ASSERT_GE(restarted, 0);
  EXPECT_EQ(restarted & 0xFFF, again & 0xFFF) << "the same channel";
  EXPECT_EQ(player_->streamChannel(s), restarted);
  play(200);
  EXPECT_TRUE(engine_.isChannelPlaying(restarted));
}

TEST_F(StreamTest, APositionLandsOnAReadBlockAndPlaysFromThere) {
  const Pcm tune = korvo::test::testTune(44100, 1, 40000);
  Stream* s = openBytes(korvo::test::encodeWav(tune));
  const std::int32_t handle = player_->playStream(kFreeChannel, s);
  play(300);
  ASSERT_TRUE(player_->setStreamPosition(s, 5000));
  // 5000 bytes into the data is cut to 4096: frame 2048 of the file.
  const auto* data = reinterpret_cast<const std::int16_t*>(s->sample()->data());
  EXPECT_TRUE(std::equal(data, data + 2 * s->halfFrames(), tune.samples.begin() + 2048));
  EXPECT_EQ(engine_.channelPosition(handle), 0);
  EXPECT_FALSE(engine_.isChannelPaused(handle));
  EXPECT_FALSE(player_->setStreamPosition(s, 80000));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
}

TEST_F(StreamTest, RawDataAndDecodersOfTheCallersOwn) {
  // Raw 8-bit unsigned mono: the whole file at 44100 Hz.
  Stream* raw = openBytes(Bytes(4410, 0xC0), mode::kRaw | mode::k8Bits | mode::kUnsigned);
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(player_->streamLength(raw), 100);
  EXPECT_EQ(static_cast<std::int8_t>(raw->sample()->data()[0]), 0x40);

  // A decoder of the caller's: a constant for 2000 frames.
  struct Constant final : formats::SoundDecoder {
    std::size_t left = 4000;
    Constant() { format_ = {44100, 1, 16, 4000, 45, 2048}; }
    std::size_t read(void* out, std::size_t bytes) override {
      const std::size_t n = std::min(bytes, left) / 2 * 2;
      std::fill_n(static_cast<std::int16_t*>(out), n / 2, std::int16_t{8000});
      left -= n;
      return n;
    }
    bool seek(std::int64_t offset) override {
      left = static_cast<std::size_t>(4000 - offset);
      return true;
    }
  };
  Stream* made = player_->openStream(std::make_unique<Constant>(), 0, "constant");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->name(), "constant");
  EXPECT_GE(player_->playStream(kFreeChannel, made), 0);
  play(1000);
  const std::vector<std::int16_t> out = played();
  EXPECT_NE(out[2 * (4408 + 1000)], 0);
  EXPECT_EQ(out[2 * (4408 + 2100)], 0);
}

TEST_F(StreamTest, FailuresLeaveTheirCodes) {
  EXPECT_EQ(player_->openStream(formats::SoundSource::file("no such folder/none.ogg"), 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kFileOpen);
  EXPECT_EQ(openBytes(Bytes(5000, 0x11)), nullptr);
  EXPECT_EQ(lastError(), EngineError::kUnrecognised);
  EXPECT_EQ(player_->openStream(formats::SoundSource::file("http://localhost/tune.ogg"), 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kUnrecognised) << "network names are not opened";
  EXPECT_EQ(player_->openStream(formats::SoundSource::file(""), 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  auto* bogus = reinterpret_cast<Stream*>(&kept_);
  EXPECT_EQ(player_->playStream(kFreeChannel, bogus), -1);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_FALSE(player_->closeStream(bogus));
  EXPECT_EQ(player_->streamLength(bogus), -1);
  // A stream that plays on its channel after the engine has stopped it can be closed.
  Stream* s = openBytes(korvo::test::encodeWav(korvo::test::testTune(44100, 1, 5000)));
  ASSERT_GE(player_->playStream(kFreeChannel, s), 0);
  EXPECT_TRUE(player_->closeStream(s));
  EXPECT_FALSE(player_->stopStream(s));
  engine_.close();
  EXPECT_EQ(openBytes(korvo::test::encodeWav(korvo::test::testTune(44100, 1, 5000))), nullptr);
  EXPECT_EQ(lastError(), EngineError::kNotStarted);
}

}  // namespace
}  // namespace korvo::sound::test
