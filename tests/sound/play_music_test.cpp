// PlayMusic with a tracker module in a run of the audio module: the song plays on the
// process's music player, the same name restarts the cached channel, and the channel's
// stop, pause and volume reach the song.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/kv_string.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "backend/clock.h"
#include "sound/audio/audio_commands.h"
#include "sound/engine/sound_engine.h"
#include "xm_writer.h"

namespace korvo {
namespace {

const RuntimeModule kAudioOnly[] = {{"audio", &createAudioModule, &destroyAudioModule, "audio_create failed"}};

platform::VirtualClock* gClock = nullptr;
std::string gSongPath;

struct Seen {
  std::int32_t channel = 0, again = 0, upperCase = 0;
  std::int32_t playing = 0, finishedAfterRows = 0, afterRestart = 0, afterStop = 0;
  std::int32_t fullVolume = -1, halfVolume = -1, reservedAfterStop = 1;
  std::int32_t pausedPlaying = -1;
} gSeen;

// Lets the engine mix ms of music.
void play(int ms) {
  gClock->advance(static_cast<std::uint32_t>(ms));
  sound::soundEngine().pump();
}

void programBody() {
  sound::SoundEngine& engine = sound::soundEngine();
  gSeen.channel = cmd::PlayMusic(core::newString(gSongPath));
  play(100);
  gSeen.playing = cmd::ChannelPlaying(gSeen.channel);
  gSeen.fullVolume = engine.channelVolume(0);
  cmd::ChannelVolume(gSeen.channel, 0.5f);
  play(200);
  gSeen.halfVolume = engine.channelVolume(0);
  // Two rows of 6 x 881 samples, then the song has passed its last order.
  play(400);
  gSeen.finishedAfterRows = cmd::ChannelPlaying(gSeen.channel);
  gSeen.again = cmd::PlayMusic(core::newString(gSongPath));
  gSeen.afterRestart = cmd::ChannelPlaying(gSeen.again);
  play(50);
  cmd::PauseChannel(gSeen.channel);
  // Paused for longer than the song lasts: it has not reached its end.
  play(1000);
  gSeen.pausedPlaying = cmd::ChannelPlaying(gSeen.channel);
  cmd::ResumeChannel(gSeen.channel);
  cmd::StopChannel(gSeen.channel);
  gSeen.afterStop = cmd::ChannelPlaying(gSeen.channel);
  sound::Channel* c = engine.resolveChannel(0);
  gSeen.reservedAfterStop = c && c->hasFlag(sound::chflag::kReserved);
  // A module named like a WAV file in capitals still goes to the song loaders, which take it.
  const std::string upper = gSongPath + ".WAV";
  std::filesystem::copy_file(gSongPath, upper);
  gSeen.upperCase = cmd::PlayMusic(core::newString(upper));
  std::filesystem::remove(upper);
}

TEST(PlayMusicTest, TrackerModulesPlayOnTheMusicPlayer) {
  platform::VirtualClock clock;
  gClock = &clock;
  platform::setClock(&clock);
  setenv("KORVO_AUDIO", "none", 1);
  sound::test::XmSongSpec spec;
  spec.patterns[0].rows = 2;
  sound::test::XmInstrumentSpec in;
  in.samples.emplace_back();
  in.samples[0].loopType = 1;
  in.samples[0].loopLength = 64;
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = sound::test::cell(sound::test::kC4, 1);
  const auto bytes = sound::test::writeXm(spec);
  gSongPath = (std::filesystem::temp_directory_path() / ("korvo-music-" + std::to_string(::getpid()) + ".xm")).string();
  std::ofstream(gSongPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  testing::RecordingHooks hooks;

  EXPECT_EQ(runOnModules(&programBody, "", &hooks, kAudioOnly), nullptr);
  std::filesystem::remove(gSongPath);
  platform::setClock(nullptr);

  EXPECT_NE(gSeen.channel, 0);
  EXPECT_EQ(gSeen.playing, 1);
  EXPECT_EQ(gSeen.fullVolume, 127);
  EXPECT_EQ(gSeen.halfVolume, 63) << "ChannelVolume 0.5 is master volume 127 of 256";
  EXPECT_EQ(gSeen.finishedAfterRows, 0) << "a finished song no longer counts as playing";
  EXPECT_EQ(gSeen.again, gSeen.channel);
  EXPECT_EQ(gSeen.afterRestart, 1);
  EXPECT_EQ(gSeen.pausedPlaying, 1);
  EXPECT_EQ(gSeen.afterStop, 0);
  EXPECT_EQ(gSeen.reservedAfterStop, 0);
  EXPECT_NE(gSeen.upperCase, 0);
  EXPECT_NE(gSeen.upperCase, gSeen.channel);
}

}  // namespace
}  // namespace korvo
