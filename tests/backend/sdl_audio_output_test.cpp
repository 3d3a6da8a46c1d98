// The SDL2 output on SDL's dummy audio driver (present on machines without sound): the
// device's callback consumes the primary mix buffer and the mixing thread keeps up with it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "backend/sdl/sdl_audio_device.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

TEST(SdlOutput, DeviceCallbackAdvancesThePlayCursor) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  setenv("KORVO_AUDIO", "sdl", 1);
  platform::installSdlAudio();
  SoundEngine engine;
  const bool started = engine.init(44100, 8, 0);
  setenv("KORVO_AUDIO", "none", 1);
  platform::setAudioDeviceOpener(nullptr);
  if (!started || engine.outputType() != output::kDevice) GTEST_SKIP() << "SDL has no dummy audio driver here";
  EXPECT_STREQ(engine.outputName(), "SDL Audio");
  Sample* s = engine.allocSample(kSlotFree, 1000, mode::k16Bits | mode::kLoopNormal, 44100, 255, 128, 255);
  ASSERT_NE(s, nullptr);
  const std::int32_t h = engine.playSample(kFreeChannel, s);
  // The device plays in real time; wait (briefly) until it has taken some blocks.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  std::int64_t moved = 0;
  const std::int64_t first = engine.channelPosition(kPrimaryChannel);
  while (std::chrono::steady_clock::now() < until && moved < 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (engine.channelPosition(kPrimaryChannel) != first) ++moved;
  }
  EXPECT_GE(moved, 2);
  EXPECT_TRUE(engine.isChannelPlaying(h));
  engine.close();
}

}  // namespace
}  // namespace korvo::sound
