// Engine start-up, channel handles, allocation with stealing, and the channel operations as
// the audio commands use them (no-sound output, virtual clock).
#include "engine_fixture.h"
#include "sound/engine/mixer.h"

namespace korvo::sound::test {
namespace {

using InitTest = EngineTest;

TEST_F(InitTest, RejectsBadArgumentsAndStaysStopped) {
  for (auto [rate, channels] : {std::pair{3999, 32}, {65536, 32}, {44100, 0}}) {
    EXPECT_FALSE(engine_.init(rate, channels, 0));
    EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
    EXPECT_FALSE(engine_.initialised());
  }
  EXPECT_EQ(engine_.playSample(kFreeChannel, nullptr), -1);
  EXPECT_EQ(lastError(), EngineError::kNotStarted);
  EXPECT_FALSE(engine_.setChannelVolume(0, 10));
  EXPECT_EQ(lastError(), EngineError::kNotStarted);
}

TEST_F(InitTest, BlockAndBufferSizes) {
  start(44100);
  EXPECT_EQ(engine_.blockLength(), 1102);
  EXPECT_EQ(engine_.bufferSamples(), 4408);
  EXPECT_EQ(engine_.outputType(), output::kNoSound);
  EXPECT_STREQ(engine_.outputName(), "No Sound Driver");
  EXPECT_EQ(engine_.mixerType(), selectMixer(mixer::kQualityAutodetect, detectCpuFeatures()));
  start(8000);
  EXPECT_EQ(engine_.blockLength(), 256);
  EXPECT_EQ(engine_.bufferSamples(), 768);
}

TEST_F(InitTest, PrimaryBufferAndChannel) {
  start();
  Sample* primary = engine_.channelSample(kPrimaryChannel);
  ASSERT_NE(primary, nullptr);
  EXPECT_EQ(primary->name, "AUDREX Primary MixBuffer");
  EXPECT_EQ(primary->length, 4408u);
  EXPECT_EQ(primary->mode & (mode::kLoopNormal | mode::k16Bits | mode::kStereo | mode::kOneAtATime),
            mode::kLoopNormal | mode::k16Bits | mode::kStereo | mode::kOneAtATime);
  EXPECT_EQ(engine_.channelPan(kPrimaryChannel), kNoPan);
  EXPECT_EQ(engine_.channelFrequency(kPrimaryChannel), 44100);
  clock_.advance(50);
  EXPECT_EQ(engine_.channelPosition(kPrimaryChannel), 2205);
  EXPECT_EQ(engine_.playSample(kFreeChannel, primary), -1);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
}

TEST_F(InitTest, EveryAdvanceOfTheClockMixesWhatIsDueWithoutAnEngineCall) {
  start();
  int passes = 0;
  engine_.createDspUnit(
      [&passes](void* buffer, std::int32_t, std::int32_t) {
        ++passes;
        return buffer;
      },
      dsp::kMusic, true);
  clock_.advance(100);
  // 4410 frames played: blocks 0..3 mixed ahead of the block holding the play cursor.
  EXPECT_EQ(passes, 4);
  clock_.advance(25);
  EXPECT_EQ(passes, 5);
  engine_.close();
  clock_.advance(1000);
  EXPECT_EQ(passes, 5) << "a closed engine no longer follows the clock";
}

TEST_F(InitTest, MixerWithoutImplementationFailsStart) {
  ASSERT_TRUE(engine_.setMixer(mixer::kAutodetect));
  EXPECT_FALSE(engine_.init(44100, 8, 0));
  EXPECT_EQ(lastError(), EngineError::kOutputStartFailed);
  EXPECT_FALSE(engine_.initialised());
  ASSERT_TRUE(engine_.setMixer(mixer::kQualityFloat));
  start();
  EXPECT_EQ(engine_.mixerType(), mixer::kQualityFloat);
  EXPECT_FALSE(engine_.setOutput(output::kNoSound));
  EXPECT_EQ(lastError(), EngineError::kOutputChangedAfterInit);
  int window = 0;
  EXPECT_FALSE(engine_.setOutputWindow(&window));
  EXPECT_EQ(lastError(), EngineError::kOutputChangedAfterInit);
}

TEST_F(InitTest, ExplicitDeviceWithoutOpenerFails) {
  ASSERT_TRUE(engine_.setOutput(output::kDevice));
  EXPECT_FALSE(engine_.init(44100, 8, 0));
  EXPECT_EQ(lastError(), EngineError::kOutputStartFailed);
}

using ChannelTest = EngineTest;

TEST_F(ChannelTest, FrequencyClampingAndDirection) {
  start();
  Sample* s = sample16(std::vector<std::int16_t>(100, 1), mode::kLoopNormal);
  const std::int32_t h = engine_.playSample(kFreeChannel, s);
  ASSERT_GE(h, 0);
  const std::pair<int, int> cases[] = {{50, 100},          {-50, -100}, {800000, 705600},
                                       {-800000, -705600}, {0, 100},    {22050, 22050}};
  for (auto [set, got] : cases) {
    EXPECT_TRUE(engine_.setChannelFrequency(h, set));
    EXPECT_EQ(engine_.channelFrequency(h), got) << set;
  }
}

TEST_F(ChannelTest, HandlesCarrySerials) {
  start(44100, 4);
  Sample* s = sample16(std::vector<std::int16_t>(100, 1), mode::kLoopNormal);
  const std::int32_t first = engine_.playSample(kFreeChannel, s);
  EXPECT_EQ(first, 0 | (1 << 12));
  EXPECT_TRUE(engine_.stopChannel(first));
  const std::int32_t second = engine_.playSample(kFreeChannel, s);
  EXPECT_EQ(second, 0 | (2 << 12));
  EXPECT_FALSE(engine_.setChannelVolume(first, 10));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  // A bare index resolves whatever plays there.
  EXPECT_TRUE(engine_.setChannelVolume(0, 77));
  EXPECT_EQ(engine_.channelVolume(second), 77);
  EXPECT_EQ(lastError(), EngineError::kNone);
  EXPECT_FALSE(engine_.isChannelPlaying(4));
  EXPECT_EQ(lastError(), EngineError::kNone);
  EXPECT_FALSE(engine_.isChannelPlaying(4000));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
}

TEST_F(ChannelTest, StolenChannelHandleFailsWithCode14) {
  start(44100, 2);
  Sample* s = sample16(std::vector<std::int16_t>(100, 1), mode::kLoopNormal);
  const std::int32_t a = engine_.playSample(kFreeChannel, s);
  const std::int32_t b = engine_.playSample(kFreeChannel, s);
  ASSERT_TRUE(engine_.setChannelVolume(b, 100));
  // Both play at equal priority: the earliest channel is taken.
  const std::int32_t c = engine_.playSample(kFreeChannel, s);
  EXPECT_EQ(c & 0xFFF, a & 0xFFF);
  EXPECT_NE(c, a);
  EXPECT_FALSE(engine_.setChannelVolume(a, 10));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_EQ(engine_.channelVolume(c), 255);
  EXPECT_EQ(engine_.channelVolume(b), 100);
}

TEST_F(ChannelTest, StealingTakesLowestPriorityAndSkipsReserved) {
  start(44100, 3);
  Sample* high = sample16(std::vector<std::int16_t>(100, 1), mode::kLoopNormal);
  Sample* low = sample16(std::vector<std::int16_t>(100, 1), mode::kLoopNormal);
  ASSERT_TRUE(engine_.setSampleDefaults(low, 0, 0, 0, 10));
  engine_.playSample(kFreeChannel, high);
  const std::int32_t lowHandle = engine_.playSample(kFreeChannel, low);
  engine_.playSample(kFreeChannel, high);
  const std::int32_t stolen = engine_.playSample(kFreeChannel, high);
  EXPECT_EQ(stolen & 0xFFF, lowHandle & 0xFFF);

  ASSERT_TRUE(engine_.setChannelReserved(kAllChannels, true));
  EXPECT_EQ(engine_.playSample(kFreeChannel, high), -1);
  EXPECT_EQ(lastError(), EngineError::kNoChannel);
}

TEST_F(ChannelTest, OneAtATimeStopsTheEarlierPlayback) {
  start(44100, 4);
  Sample* s =
      engine_.allocSample(kSlotFree, 100, mode::k16Bits | mode::kLoopNormal | mode::kOneAtATime, 44100, 255, 128, 255);
  ASSERT_NE(s, nullptr);
  const std::int32_t a = engine_.playSample(kFreeChannel, s);
  const std::int32_t b = engine_.playSample(kFreeChannel, s);
  EXPECT_EQ(a & 0xFFF, b & 0xFFF);
  EXPECT_FALSE(engine_.isChannelPlaying(1));
  s->maxPlaybacks = 1;
  Sample* t = sample16(std::vector<std::int16_t>(10, 1), mode::kLoopNormal);
  t->maxPlaybacks = 1;
  EXPECT_GE(engine_.playSample(kFreeChannel, t), 0);
  EXPECT_EQ(engine_.playSample(kFreeChannel, t), -1);
}

TEST_F(ChannelTest, AllChannelsHandleAndScaling) {
  start(44100, 4);
  EXPECT_TRUE(engine_.setChannelVolume(kAllChannels, 300));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(engine_.channelVolume(i), 255);
  engine_.setMasterVolume(128);
  Sample* s = sample16(std::vector<std::int16_t>(10, 1), mode::kLoopNormal);
  const std::int32_t h = engine_.playSample(kFreeChannel, s);
  Channel* c = engine_.resolveChannel(h);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->volume, 255);
  EXPECT_EQ(c->mixVolume, 128);
  engine_.setPanSeparation(0.5f);
  EXPECT_TRUE(engine_.setChannelPan(h, 0));
  EXPECT_EQ(engine_.channelPan(h), 64);
  EXPECT_TRUE(engine_.setChannelPan(h, kNoPan));
  EXPECT_EQ(Channel::targetLeft(c->targets.load()), 128u);
  EXPECT_TRUE(engine_.setChannelMute(h, true));
  EXPECT_EQ(c->targets.load(), 0u);
  EXPECT_TRUE(engine_.setChannelMute(h, false));
  EXPECT_EQ(Channel::targetRight(c->targets.load()), 128u);
}

TEST_F(ChannelTest, LoopOffSoundEndsAsTheClockRuns) {
  start();
  Sample* s = sample16(std::vector<std::int16_t>(4410, 1000));
  const std::int32_t h = engine_.playSample(kFreeChannel, s);
  EXPECT_TRUE(engine_.isChannelPlaying(h));
  clock_.advance(100);
  EXPECT_TRUE(engine_.isChannelPlaying(h));
  clock_.advance(150);
  EXPECT_FALSE(engine_.isChannelPlaying(h));
  EXPECT_EQ(lastError(), EngineError::kNone);
}

TEST_F(ChannelTest, PausedChannelKeepsItsPlace) {
  start();
  Sample* s = sample16(std::vector<std::int16_t>(44100, 1000), mode::kLoopNormal);
  const std::int32_t h = engine_.playSample(kFreeChannel, s, true);
  EXPECT_TRUE(engine_.isChannelPaused(h));
  clock_.advance(500);
  EXPECT_EQ(engine_.channelPosition(h), 0);
  EXPECT_TRUE(engine_.setChannelPaused(h, false));
  clock_.advance(500);
  EXPECT_GT(engine_.channelPosition(h), 0);
  EXPECT_TRUE(engine_.setChannelPosition(h, 100));
  EXPECT_FALSE(engine_.setChannelPosition(h, 44100));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
}

TEST_F(ChannelTest, LevelHistoryWithInitFlag8) {
  ASSERT_TRUE(engine_.init(44100, 4, initflag::kLevels));
  Sample* s = sample16(std::vector<std::int16_t>(1000, 16384), mode::kLoopNormal);
  const std::int32_t h = engine_.playSample(kFreeChannel, s);
  ASSERT_TRUE(engine_.setChannelPan(h, 0));
  clock_.advance(100);
  float left = 0, right = 0;
  ASSERT_TRUE(engine_.channelLevels(h, left, right));
  EXPECT_NEAR(left, 0.5f, 0.01f);
  EXPECT_EQ(right, 0.0f);
}

}  // namespace
}  // namespace korvo::sound::test
