// The audio module in a run: the host's openAudio starts the engine for the program and the
// end of the run closes it; an engine that will not start leaves the program without sound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/kv_string.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "backend/clock.h"
#include "host/runtime_host.h"
#include "sound/audio/audio_commands.h"
#include "sound/audio/audio_driver.h"
#include "sound/engine/sound_engine.h"
#include "sound_builders.h"

namespace korvo {
namespace {

const RuntimeModule kAudioOnly[] = {{"audio", &createAudioModule, &destroyAudioModule, "audio_create failed"}};

std::string gSoundPath;
std::int32_t gSound = -1;
std::int32_t gChannel = -1;
bool gEngineRan = false;

void playOneSound() {
  gSound = cmd::LoadSound(core::newString(gSoundPath));
  gChannel = cmd::PlaySound(gSound);
  gEngineRan = sound::soundEngine().initialised() && sound::soundEngine().mixRate() == 44100 &&
               sound::soundEngine().softwareChannels() == 32 && sound::soundEngine().initFlags() == 1;
}

class AudioStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    gSoundPath =
        (std::filesystem::temp_directory_path() / ("korvo-startup-" + std::to_string(::getpid()) + ".wav")).string();
    const test::Bytes wav = test::riffWave(
        {test::riffChunk("fmt ", test::fmtBody(1, 1, 8000, 8)), test::riffChunk("data", test::Bytes(800, 0x90))});
    std::ofstream(gSoundPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
  }
  void TearDown() override {
    std::filesystem::remove(gSoundPath);
    setenv("KORVO_AUDIO", "none", 1);
    platform::setClock(nullptr);
  }
  platform::VirtualClock clock_;
  testing::RecordingHooks hooks_;
};

TEST_F(AudioStartupTest, TheRunStartsTheEngineAndItsEndClosesIt) {
  setenv("KORVO_AUDIO", "none", 1);
  EXPECT_EQ(runOnModules(&playOneSound, "", &hooks_, kAudioOnly), nullptr);
  EXPECT_TRUE(gEngineRan);
  EXPECT_NE(gSound, 0);
  EXPECT_NE(gChannel, 0);
  EXPECT_FALSE(sound::soundEngine().initialised());
  EXPECT_EQ(sound::commandAudio(), nullptr);
}

TEST_F(AudioStartupTest, AnEngineThatWillNotStartLeavesTheProgramSilent) {
  setenv("KORVO_AUDIO", "wav:/nonexistent-dir/korvo/out.wav", 1);
  EXPECT_EQ(runOnModules(&playOneSound, "", &hooks_, kAudioOnly), nullptr);
  EXPECT_FALSE(gEngineRan);
  EXPECT_EQ(gSound, 0);
  EXPECT_EQ(gChannel, 0);
  EXPECT_EQ(hooks_.messages, std::vector<std::string>{"Program has ended"});  // no error on the way
}

TEST_F(AudioStartupTest, TheHostMakesOneDriverOnly) {
  setenv("KORVO_AUDIO", "none", 1);
  platform::RuntimeHost* host = platform::RuntimeHost::create("", nullptr);
  ASSERT_NE(host, nullptr);
  sound::AudioDriver* first = sound::openAudio(*host, sound::soundEngine());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(sound::openAudio(*host, sound::soundEngine()), nullptr);
  EXPECT_TRUE(sound::soundEngine().initialised());
  sound::closeAudio(*host, first);
  EXPECT_FALSE(sound::soundEngine().initialised());
  platform::RuntimeHost::destroy(host);
}

}  // namespace
}  // namespace korvo
