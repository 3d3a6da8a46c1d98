// Real MIDI files that no one here made, played start to end through the engine's WAV output
// with the SoundFont: sound wherever the file has notes, finished after the song's length as
// FluidSynth's own file player measures it (an independent reading of the tempo map), the
// same bytes on every run, and a pause that the song resumes from where it stopped.
#include <fluidsynth.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

#include "backend/clock.h"
#include "base/kv_ex.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"
#include "sound/music/midi_player.h"
#include "support/debian_package.h"
#include "support/recording_hooks.h"

namespace korvo::sound::test {
namespace {

constexpr int kRate = 44100;
constexpr std::int64_t kBlock = 1102;

struct RealMidi {
  const char* package;
  const char* path;
};
void PrintTo(const RealMidi& m, std::ostream* os) { *os << m.path; }

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Frames until FluidSynth's own MIDI file player, driven by rendering, reaches the file's
// last tick.
std::int64_t referenceLength(const std::string& path) {
  // Without a SoundFont it warns of every program change.
  fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
  fluid_settings_t* settings = new_fluid_settings();
  fluid_settings_setnum(settings, "synth.sample-rate", kRate);
  fluid_settings_setint(settings, "synth.cpu-cores", 1);
  fluid_settings_setstr(settings, "player.timing-source", "sample");
  fluid_synth_t* synth = new_fluid_synth(settings);
  fluid_player_t* player = new_fluid_player(synth);
  fluid_player_add(player, path.c_str());
  fluid_player_play(player);
  std::vector<float> left(64), right(64);
  std::int64_t frames = 0;
  while (frames < std::int64_t{kRate} * 600) {
    fluid_synth_write_float(synth, 64, left.data(), 0, 1, right.data(), 0, 1);
    frames += 64;
    const int total = fluid_player_get_total_ticks(player);
    if (total > 0 && fluid_player_get_current_tick(player) >= total) break;
  }
  delete_fluid_player(player);
  delete_fluid_synth(synth);
  delete_fluid_settings(settings);
  return frames;
}

// A run of the engine at 44100 Hz with the WAV output on a virtual clock, and a counter of
// the frames mixed (a unit just before the music unit).
class MidiRun {
 public:
  explicit MidiRun(const std::string& wav) : wav_(wav) {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", ("wav:" + wav_).c_str(), 1);
    started_ = engine_.init(kRate, 32, 0);
    engine_.createDspUnit(
        [this](void* buffer, std::int32_t, std::int32_t n) {
          mixed_ += n;
          return buffer;
        },
        199, true);
  }
  ~MidiRun() {
    platform::setClock(nullptr);
    setenv("KORVO_AUDIO", "none", 1);
    std::remove(wav_.c_str());
  }
  bool started() const { return started_; }
  music::MusicPlayer& player() { return player_; }
  std::int64_t mixed() const { return mixed_; }
  void advance(int ms) {
    clock_.advance(static_cast<std::uint32_t>(ms));
    engine_.pump();
  }
  // Ends the run (the last buffer reaches the file); the file's bytes.
  std::vector<std::uint8_t> finish() {
    advance(200);
    engine_.close();
    return readFile(wav_);
  }

 private:
  platform::VirtualClock clock_;
  std::string wav_;
  SoundEngine engine_;
  bool started_ = false;
  std::int64_t mixed_ = 0;
  music::EngineMusic adapter_{engine_};
  music::MidiPlayer midi_{&music::makeFluidSynth};
  music::MusicPlayer player_{adapter_, &midi_};
};

std::string scratchWav(const char* name) {
  return std::string(::testing::TempDir()) + name + std::to_string(::getpid()) + ".wav";
}

// The left samples of a 16-bit stereo WAV file with a 44-byte header.
std::vector<std::int16_t> leftSamples(const std::vector<std::uint8_t>& wav) {
  std::vector<std::int16_t> left;
  for (std::size_t at = 44; at + 4 <= wav.size(); at += 4) {
    left.push_back(static_cast<std::int16_t>(wav[at] | (wav[at + 1] << 8)));
  }
  return left;
}

double rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count && i < samples.size(); ++i)
    sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(count));
}

class RealMidiTest : public ::testing::TestWithParam<RealMidi> {
 protected:
  void SetUp() override {
    if (music::soundFontPath().empty()) GTEST_SKIP() << "no SoundFont installed";
    const auto path = korvo::test::debianFile(GetParam().package, GetParam().path);
    if (!path) GTEST_SKIP() << "package " << GetParam().package << " cannot be had";
    path_ = *path;
  }
  std::string path_;
};

TEST_P(RealMidiTest, PlaysToItsEndWithSoundWhereTheNotesAreAndTheSameBytesEveryRun) {
  const std::int64_t length = referenceLength(path_);
  std::vector<std::uint8_t> first;
  for (int run = 0; run < 2; ++run) {
    MidiRun r(scratchWav("midi_real_"));
    ASSERT_TRUE(r.started());
    music::Song* song = r.player().loadSong(path_);
    ASSERT_NE(song, nullptr) << "engine error " << static_cast<int>(lastError());
    ASSERT_EQ(song->kind, music::SongKind::kMidi);
    const std::int64_t start = r.mixed();
    ASSERT_TRUE(r.player().playSong(song));
    std::int64_t finishedAt = -1;
    while (finishedAt < 0 && r.mixed() - start < length + 10 * kBlock) {
      r.advance(5);
      if (r.player().isSongFinished(song)) finishedAt = r.mixed() - start;
    }
    EXPECT_NEAR(static_cast<double>(finishedAt), static_cast<double>(length), static_cast<double>(kBlock))
        << "finished at frame " << finishedAt << ", the file's player reached its end at " << length;
    r.advance(1000);
    const std::vector<std::uint8_t> bytes = r.finish();
    if (run == 0) {
      first = bytes;
      const std::vector<std::int16_t> left = leftSamples(bytes);
      // Each half second of the song's first pass in which a note starts has sound.
      const auto& events = song->midi->sequence.events;
      const std::size_t offset = static_cast<std::size_t>(start);
      std::size_t silent = 0, sounding = 0;
      for (std::size_t w = 0; w * kRate / 2 < static_cast<std::size_t>(length); ++w) {
        const bool note = std::any_of(events.begin(), events.end(), [&](const music::MidiEvent& e) {
          return (e.status & 0xF0) == 0x90 && e.data2 > 0 && e.seconds >= w * 0.5 + 0.1 && e.seconds < w * 0.5 + 0.4;
        });
        if (!note) continue;
        ++sounding;
        if (rms(left, offset + w * kRate / 2, kRate / 2) < 30.0) ++silent;
      }
      EXPECT_GT(sounding, 10u);
      EXPECT_EQ(silent, 0u) << "half seconds with notes but no sound";
    } else {
      EXPECT_TRUE(bytes == first) << "the second run wrote other bytes";
    }
  }
}

// Paused at 1.0 s and resumed at 3.0 s of the clock: silence between, then exactly the sound
// the song makes unpaused, later by the pause (2 s to within the block that takes it).
TEST(RealMidiPauseTest, ResumingContinuesTheSongWhereItStopped) {
  if (music::soundFontPath().empty()) GTEST_SKIP() << "no SoundFont installed";
  const auto path = korvo::test::debianFile("liquidwar-data", "/usr/share/games/liquidwar/music/colossus.mid");
  if (!path) GTEST_SKIP() << "package liquidwar-data cannot be had";
  std::vector<std::int16_t> straight, paused;
  std::size_t pausedAt = 0, shift = 0;
  for (int run = 0; run < 2; ++run) {
    MidiRun r(scratchWav("midi_pause_"));
    music::Song* song = r.player().loadSong(*path);
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(r.player().playSong(song));
    if (run == 0) {
      r.advance(9000);
      straight = leftSamples(r.finish());
      continue;
    }
    r.advance(1000);
    r.player().setSongPaused(song, true);
    pausedAt = static_cast<std::size_t>(r.mixed());
    r.advance(2000);
    r.player().setSongPaused(song, false);
    shift = static_cast<std::size_t>(r.mixed()) - pausedAt;
    r.advance(6000);
    paused = leftSamples(r.finish());
  }
  EXPECT_NEAR(static_cast<double>(shift), 2.0 * kRate, static_cast<double>(kBlock));
  ASSERT_GT(paused.size(), pausedAt + 4 * kBlock + shift + 5 * kRate);
  ASSERT_GT(straight.size(), pausedAt + 4 * kBlock + 5 * kRate);
  // The output plays the mix some frames late: the runs part where the pause is heard.
  std::size_t heard = 0;
  while (heard < straight.size() && paused[heard] == straight[heard]) ++heard;
  EXPECT_GE(heard, pausedAt);
  EXPECT_LE(heard, pausedAt + 4 * kBlock);
  std::size_t during = 0, after = 0;
  for (std::size_t i = heard; i < heard + shift; ++i) during += paused[i] != 0;
  for (std::size_t i = heard; i < heard + 5 * kRate; ++i) after += paused[i + shift] != straight[i];
  EXPECT_EQ(during, 0u) << "frames with sound while paused";
  EXPECT_EQ(after, 0u) << "frames after resuming that differ from the unpaused song";
  EXPECT_GT(rms(straight, pausedAt, 5 * kRate), 300.0);
}

// A SoundFont that cannot be had: a MIDI file does not load (code 10), and debug mode says why.
TEST(MidiSoundFontTest, WithoutItsSoundFontAMidiFileIsNotLoadedAndDebugModeSaysWhy) {
  const std::string missing = std::string(::testing::TempDir()) + "no-such-font.sf2";
  setenv("KORVO_SOUNDFONT", missing.c_str(), 1);
  EXPECT_EQ(music::soundFontPath(), missing);
  MidiRun r(scratchWav("midi_nofont_"));
  static testing::RecordingHooks hooks;
  setHooksSource([]() -> DebugHooks* { return &hooks; });
  setDebugMode(true);
  const std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                                          96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  EXPECT_EQ(r.player().loadSongFromMemory(file.data(), file.size()), nullptr);
  setDebugMode(false);
  setHooksSource(nullptr);
  unsetenv("KORVO_SOUNDFONT");
  EXPECT_EQ(lastError(), EngineError::kUnrecognised);
  ASSERT_EQ(hooks.logs.size(), 1u);
  EXPECT_NE(hooks.logs[0].find("the SoundFont " + missing + " could not be loaded"), std::string::npos)
      << hooks.logs[0];
}

INSTANTIATE_TEST_SUITE_P(DebianMidi, RealMidiTest,
                         ::testing::Values(RealMidi{"liquidwar-data", "/usr/share/games/liquidwar/music/colossus.mid"},
                                           RealMidi{"freedink-data", "/usr/share/games/dink/dink/Sound/dance.mid"}),
                         [](const auto& instance) {
                           const std::string p = instance.param.path;
                           return p.substr(p.rfind('/') + 1, p.rfind('.') - p.rfind('/') - 1);
                         });

}  // namespace
}  // namespace korvo::sound::test
