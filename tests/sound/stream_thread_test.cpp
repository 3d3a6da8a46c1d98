// Streams on the real clock: the stream thread fills while the program's thread plays, stops,
// seeks and closes them (run under ThreadSanitizer: see the README). Real time passes here,
// as little as the threads need to meet.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/streams/stream_player.h"
#include "test_encoders.h"

namespace korvo::sound::streams {
namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class StreamThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", "none", 1);
    ASSERT_TRUE(engine_.init(44100, 8, 0));
    player_ = std::make_unique<StreamPlayer>(engine_);
  }
  void TearDown() override {
    player_.reset();
    engine_.close();
    platform::setClock(nullptr);
  }
  Stream* open(std::uint32_t modeWord) {
    return player_->openStream(formats::SoundSource::memory(wav_.data(), wav_.size()), modeWord);
  }

  platform::RealClock clock_;
  SoundEngine engine_;
  std::unique_ptr<StreamPlayer> player_;
  // Half a second of sound.
  const test::Bytes wav_ = test::encodeWav(test::testTune(44100, 2, 22050));
};

TEST_F(StreamThreadTest, TheThreadFillsAndEndsAStream) {
  Stream* s = open(0);
  const std::int32_t handle = player_->playStream(kFreeChannel, s);
  ASSERT_GE(handle, 0);
  // Half a second of data, then 525 ms of ending: gone well within two seconds.
  for (int waited = 0; waited < 2000 && engine_.isChannelPlaying(handle); waited += 20) sleepMs(20);
  EXPECT_FALSE(engine_.isChannelPlaying(handle));
  EXPECT_EQ(player_->streamChannel(s), -1);
}

TEST_F(StreamThreadTest, PlayStopSeekAndCloseWhileTheThreadFills) {
  for (int round = 0; round < 24; ++round) {
    Stream* s = open(round % 2 ? mode::kLoopNormal : 0);
    ASSERT_NE(s, nullptr);
    ASSERT_GE(player_->playStream(kFreeChannel, s), 0);
    sleepMs(5 + round % 7);
    EXPECT_TRUE(player_->setStreamPosition(s, (round * 4096) % 80000));
    sleepMs(3);
    EXPECT_EQ(player_->playStream(kFreeChannel, s), player_->streamChannel(s));
    EXPECT_TRUE(player_->stopStream(s));
    ASSERT_GE(player_->playStream(kFreeChannel, s), 0);
    sleepMs(round % 5);
    EXPECT_TRUE(player_->closeStream(s));
  }
  EXPECT_GE(player_->cpuUsage(), 0.0f);
}

}  // namespace
}  // namespace korvo::sound::streams
