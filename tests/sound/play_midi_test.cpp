// PlayMusic with a MIDI file in a run of the audio module, heard through the WAV output: the
// song plays on a MusicChannel, reports finished after its pass while it loops on, restarts
// under the same value, and ChannelVolume reaches the synthesizer through the volume table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "backend/clock.h"
#include "core/kv_string.h"
#include "midi_writer.h"
#include "sound/audio/audio_commands.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/midi_player.h"
#include "sound/music/midi_synth.h"
#include "startup/runtime_interface.h"
#include "support/recording_hooks.h"

namespace korvo {
namespace {

const RuntimeModule kAudioOnly[] = {{"audio", &createAudioModule, &destroyAudioModule, "audio_create failed"}};

platform::VirtualClock* gClock = nullptr;
std::string gSongPath;

struct Seen {
  std::int32_t channel = 0, again = 0;
  std::int32_t playing = -1, afterPass = -1, afterRestart = -1, afterStop = -1;
} gSeen;

void wait(int ms) {
  gClock->advance(static_cast<std::uint32_t>(ms));
  sound::soundEngine().pump();
}

// The song: an organ chord held for 2 s of a 2.5 s pass.
void programBody() {
  gSeen.channel = cmd::PlayMusic(core::newString(gSongPath));
  wait(1000);
  gSeen.playing = cmd::ChannelPlaying(gSeen.channel);
  cmd::ChannelVolume(gSeen.channel, 0.5f);
  wait(2000);
  gSeen.afterPass = cmd::ChannelPlaying(gSeen.channel);
  gSeen.again = cmd::PlayMusic(core::newString(gSongPath));
  gSeen.afterRestart = cmd::ChannelPlaying(gSeen.again);
  wait(500);
  cmd::StopChannel(gSeen.channel);
  gSeen.afterStop = cmd::ChannelPlaying(gSeen.channel);
  wait(500);
}

double rms(const std::vector<std::int16_t>& left, double from, double to) {
  double sum = 0;
  const auto a = static_cast<std::size_t>(from * 44100), b = static_cast<std::size_t>(to * 44100);
  for (std::size_t i = a; i < b && i < left.size(); ++i) sum += static_cast<double>(left[i]) * left[i];
  return std::sqrt(sum / static_cast<double>(b - a));
}

TEST(PlayMidiTest, AMidiFilePlaysOnAMusicChannelLikeATrackerSong) {
  if (sound::music::soundFontPath().empty()) GTEST_SKIP() << "no SoundFont installed";
  const std::string base =
      (std::filesystem::temp_directory_path() / ("korvo-midi-" + std::to_string(::getpid()))).string();
  gSongPath = base + ".mid";
  const std::string wav = base + ".wav";
  sound::test::MidiTrack t;
  t.program(0, 0, 19);
  for (int key : {60, 64, 67}) t.noteOn(0, 0, key);
  t.event(384, {0x80, 60, 64, 64, 64, 67, 64}).end(96);
  const sound::test::MidiBytes bytes = sound::test::midiFile(0, 96, {t});
  std::ofstream(gSongPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

  platform::VirtualClock clock;
  gClock = &clock;
  platform::setClock(&clock);
  setenv("KORVO_AUDIO", ("wav:" + wav).c_str(), 1);
  testing::RecordingHooks hooks;
  EXPECT_EQ(runOnModules(&programBody, "", &hooks, kAudioOnly), nullptr);
  platform::setClock(nullptr);
  setenv("KORVO_AUDIO", "none", 1);
  std::ifstream in(wav, std::ios::binary);
  const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::filesystem::remove(gSongPath);
  std::filesystem::remove(wav);

  EXPECT_NE(gSeen.channel, 0);
  EXPECT_EQ(gSeen.playing, 1);
  EXPECT_EQ(gSeen.afterPass, 0) << "finished after its first pass, though it loops on";
  EXPECT_EQ(gSeen.again, gSeen.channel);
  EXPECT_EQ(gSeen.afterRestart, 1);
  EXPECT_EQ(gSeen.afterStop, 0);

  std::vector<std::int16_t> left;
  for (std::size_t at = 44; at + 4 <= file.size(); at += 4)
    left.push_back(static_cast<std::int16_t>(file[at] | file[at + 1] << 8));
  ASSERT_GE(left.size(), 4u * 44100);
  // Volume 0.5 is master volume 127: the chord goes down by the table's step for it.
  const double full = rms(left, 0.5, 0.9);
  const double half = rms(left, 1.3, 1.7);
  EXPECT_GT(full, 300.0);
  EXPECT_NEAR(20 * std::log10(half / full), sound::music::midiVolumeCentibels(127) / 100.0, 1.0);
  // The pass went on looping (the chord again after 2.5 s); once stopped, only the reverb
  // dies away.
  EXPECT_GT(rms(left, 2.8, 3.0), 300.0);
  EXPECT_LT(rms(left, 3.8, 4.0), full / 100);
}

}  // namespace
}  // namespace korvo
