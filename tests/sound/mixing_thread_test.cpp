// The mixing thread against a device that pulls audio from its own thread, while the
// program's thread starts, changes, stops and frees sounds. Run under ThreadSanitizer too
// (KORVO_TSAN): the mixer lock and the atomic channel fields must leave no race.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "backend/audio_device.h"
#include "backend/clock.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

// A device that renders 256-frame chunks as fast as a short real pause allows.
class FakeDevice : public platform::AudioDevice {
 public:
  explicit FakeDevice(platform::AudioRender render) : render_(std::move(render)) {
    thread_ = std::thread([this] { run(); });
  }
  ~FakeDevice() override {
    stop_.store(true);
    thread_.join();
  }
  const char* name() const override { return "Fake Device"; }
  void lock() override { mutex_.lock(); }
  void unlock() override { mutex_.unlock(); }

  static std::atomic<std::int64_t> loudFrames;

 private:
  void run() {
    std::int16_t chunk[256 * 2];
    while (!stop_.load()) {
      {
        std::lock_guard lock(mutex_);
        render_(chunk, 256);
      }
      for (int i = 0; i < 256; ++i) {
        if (chunk[2 * i] != 0) loudFrames.fetch_add(1);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
  }

  platform::AudioRender render_;
  std::mutex mutex_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::atomic<std::int64_t> FakeDevice::loudFrames{0};

std::unique_ptr<platform::AudioDevice> openFake(const platform::AudioSpec&, platform::AudioRender render) {
  return std::make_unique<FakeDevice>(std::move(render));
}

// Starts, changes and frees sounds for a while on the program's thread.
void exercise(SoundEngine& engine) {
  std::vector<std::int16_t> tone(2000);
  for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<std::int16_t>((i % 100) * 200 - 10000);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
  int round = 0;
  while (std::chrono::steady_clock::now() < until) {
    Sample* s = engine.allocSample(kSlotFree, 2000, mode::k16Bits | (round % 2 ? mode::kLoopNormal : mode::kLoopBidi),
                                   22050 + round * 10, 255, 128, 255);
    ASSERT_NE(s, nullptr);
    engine.uploadSampleData(s, tone.data(), mode::k16Bits);
    const std::int32_t h = engine.playSample(kFreeChannel, s);
    engine.setChannelVolume(h, 100 + round % 100);
    engine.setChannelPan(h, round % 256);
    engine.setChannelFrequency(h, round % 2 ? 30000 : -30000);
    engine.setChannelPaused(h, round % 7 == 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // Loop changes while the sample plays (LoopSound on a sound that is sounding).
    engine.setSampleMode(s, round % 2 ? mode::kLoopBidi : mode::kLoopNormal);
    engine.setSampleLoopPoints(s, 100 + round % 50, 1900);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (round % 3 == 0) engine.stopChannel(h);
    if (round % 5 == 0) engine.freeSample(s);
    ++round;
  }
}

TEST(MixingThread, DeviceOutputPlaysWhileTheProgramChangesChannels) {
  platform::setAudioDeviceOpener(&openFake);
  SoundEngine engine;
  ASSERT_TRUE(engine.setOutput(output::kDevice));
  ASSERT_TRUE(engine.init(44100, 8, 0));
  EXPECT_STREQ(engine.outputName(), "Fake Device");
  exercise(engine);
  // One steady sound until the device has played some of it (a loaded machine may need a while).
  std::vector<std::int16_t> tone(1000, 12000);
  Sample* s = engine.allocSample(kSlotFree, 1000, mode::k16Bits | mode::kLoopNormal, 44100, 255, 128, 255);
  ASSERT_NE(s, nullptr);
  engine.uploadSampleData(s, tone.data(), mode::k16Bits);
  ASSERT_GE(engine.playSample(kFreeChannel, s), 0);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (FakeDevice::loudFrames.load() == 0 && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  engine.close();
  platform::setAudioDeviceOpener(nullptr);
  EXPECT_GT(FakeDevice::loudFrames.load(), 0);
  EXPECT_GE(engine.cpuUsage(), 0.0f);
}

// The no-sound output on the real clock: its mixing thread runs the chain.
class RealClockMixing : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&real_);
    ASSERT_TRUE(engine.setOutput(output::kNoSound));
    ASSERT_TRUE(engine.init(44100, 8, 0));
  }
  void TearDown() override {
    engine.close();
    platform::setClock(nullptr);
  }
  platform::RealClock real_;
  SoundEngine engine;
};

TEST_F(RealClockMixing, NoSoundOutputOnTheRealClockUsesTheThread) {
  exercise(engine);
  // The thread advanced the primary cursor with the clock.
  EXPECT_GT(engine.channelPosition(kPrimaryChannel), -1);
}

// A song's voices start notes on reserved channels from the mixing thread, while the program
// still asks about channel values it holds from sounds that once played there, and loads and
// frees sounds (past the first 256 slots, so the slot table grows).
TEST_F(RealClockMixing, SongVoicesStartNotesWhileTheProgramUsesChannelsAndSamples) {
  // The song's sample sits past many others, as when a game loaded its sounds first.
  std::vector<Sample*> loaded;
  for (int i = 0; i < 255; ++i)
    loaded.push_back(engine.allocSample(kSlotFree, 100, mode::k16Bits, 22050, 255, 128, 255));
  std::vector<std::int16_t> tone(1000, 5000);
  Sample* s = engine.allocSample(kSlotFree, 1000, mode::k16Bits | mode::kLoopNormal, 44100, 255, 128, 255);
  ASSERT_NE(s, nullptr);
  engine.uploadSampleData(s, tone.data(), mode::k16Bits);
  const std::int32_t stale = engine.playSample(kFreeChannel, s);
  ASSERT_GE(stale, 0);
  const std::int32_t index = stale & 0xFFF;
  engine.stopChannel(stale);
  engine.setChannelReserved(index, true);
  MixList voices;
  std::atomic<int> notes{0};
  DspUnit* unit = engine.createDspUnit(
      [&](void* buffer, std::int32_t, std::int32_t) {
        if (engine.playSample(index, s, false, &voices) >= 0) notes.fetch_add(1);
        return buffer;
      },
      dsp::kMusic, true);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
  for (std::size_t round = 0; std::chrono::steady_clock::now() < until || notes.load() < 2; ++round) {
    engine.isChannelPlaying(stale);
    // FreeSound and LoadSound: slots below the song's sample empty and fill again, and now and
    // then the table grows.
    const std::size_t at = round * 7 % loaded.size();
    engine.freeSample(loaded[at]);
    loaded[at] = engine.allocSample(kSlotFree, 100, mode::k16Bits, 22050, 255, 128, 255);
    if (round % 50 == 0) loaded.push_back(engine.allocSample(kSlotFree, 100, mode::k16Bits, 22050, 255, 128, 255));
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  EXPECT_FALSE(engine.isChannelPlaying(stale));  // the voice's notes have serials of their own
  engine.freeDspUnit(unit);
  engine.stopChannel(index);  // out of the voice list before the list goes
}

}  // namespace
}  // namespace korvo::sound
