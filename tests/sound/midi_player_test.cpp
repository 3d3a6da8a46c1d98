// MIDI songs on the music player with a synthesizer that records what reaches it: messages at
// their frames across blocks, the end of a pass, looping, pausing and resuming, one song at a
// time, the volume table, refusals, and files too dense for one block.
#include <gtest/gtest.h>

#include <cmath>

#include "base/kv_ex.h"
#include "midi_writer.h"
#include "sound/music/midi_player.h"
#include "sound/music/music_player.h"
#include "support/recording_hooks.h"
#include "trace_engine.h"

namespace korvo::sound::test {
namespace {

constexpr std::int32_t kBlock = 1102;
// What the recording synthesizer renders while a note sounds (left; the right is negated).
constexpr float kLevel = 0.25f;

struct SynthTrace {
  // Each message with the frames the synthesizer had rendered before it.
  std::vector<std::pair<std::int64_t, music::MidiEvent>> sent;
  std::int64_t rendered = 0;
  int silences = 0, resets = 0, made = 0;
  float gain = 0;
  int sounding = 0;

  std::vector<std::int64_t> framesOf(int status) const {
    std::vector<std::int64_t> out;
    for (const auto& [frame, e] : sent) {
      if (e.status == status) out.push_back(frame);
    }
    return out;
  }
};

class TraceSynth final : public music::MidiSynth {
 public:
  TraceSynth(SynthTrace& trace, std::int32_t rate) : trace_(trace), rate_(rate) {}
  std::int32_t sampleRate() const override { return rate_; }
  void send(const music::MidiEvent& e) override {
    trace_.sent.emplace_back(trace_.rendered, e);
    if ((e.status & 0xF0) == 0x90 && e.data2) ++trace_.sounding;
    if ((e.status & 0xF0) == 0x80 && trace_.sounding > 0) --trace_.sounding;
  }
  void render(float* left, float* right, std::int32_t frames) override {
    for (std::int32_t i = 0; i < frames; ++i) {
      left[i] = trace_.sounding ? kLevel : 0.0f;
      right[i] = -left[i];
    }
    trace_.rendered += frames;
  }
  void silence() override {
    ++trace_.silences;
    trace_.sounding = 0;
  }
  void reset() override {
    ++trace_.resets;
    trace_.sounding = 0;
  }
  void setGain(float gain) override { trace_.gain = gain; }
  std::int32_t activeVoices() const override { return trace_.sounding; }

 private:
  SynthTrace& trace_;
  std::int32_t rate_;
};

class RateEngine : public TraceEngine {
 public:
  std::int32_t mixRate() const override { return rate; }
  std::int32_t rate = 44100;
};

class MidiPlayerTest : public ::testing::Test {
 protected:
  music::Song* load(const MidiBytes& bytes) {
    files_.push_back(bytes);
    return player_.loadSongFromMemory(files_.back().data(), files_.back().size());
  }
  // A program change at 0, a note from 0 to 0.5 s, the end at 1 s (96 ticks a quarter, 120 BPM).
  music::Song* halfSecondNote() {
    MidiTrack t;
    t.program(0, 0, 19).noteOn(0, 0, 60).noteOff(96, 0, 60).end(96);
    return load(midiFile(0, 96, {t}));
  }
  // Runs whole blocks; the last block's left mix values.
  std::vector<float> run(int blocks) {
    std::vector<float> buffer;
    for (int i = 0; i < blocks; ++i) {
      buffer.assign(2 * kBlock, 0.0f);
      engine_.scheduler(buffer.data(), kBlock);
    }
    std::vector<float> left;
    for (std::size_t i = 0; i < buffer.size(); i += 2) left.push_back(buffer[i]);
    return left;
  }

  RateEngine engine_;
  SynthTrace trace_;
  bool synthAvailable_ = true;
  music::MidiPlayer midi_{[this](std::int32_t rate, std::string& why) -> std::unique_ptr<music::MidiSynth> {
    if (!synthAvailable_) {
      why = "no SoundFont here";
      return nullptr;
    }
    ++trace_.made;
    return std::make_unique<TraceSynth>(trace_, rate);
  }};
  music::MusicPlayer player_{engine_, &midi_};
  std::vector<MidiBytes> files_;
};

TEST_F(MidiPlayerTest, AMidiFileLoadsAsASongOfKindFiveAfterTheTrackerFormats) {
  music::Song* song = halfSecondNote();
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->kind, music::SongKind::kMidi);
  EXPECT_EQ(song->initialBpm, 125);
  EXPECT_TRUE(song->looping);
  EXPECT_EQ(song->masterVolume, 256);
  EXPECT_EQ(engine_.error, 0);
  EXPECT_EQ(trace_.made, 1);
  halfSecondNote();
  EXPECT_EQ(trace_.made, 1) << "one synthesizer for every song";

  // A tracker player without MIDI takes no MIDI file.
  music::MusicPlayer trackersOnly(engine_);
  EXPECT_EQ(trackersOnly.loadSongFromMemory(files_[0].data(), files_[0].size()), nullptr);
  EXPECT_EQ(engine_.error, 10);
}

TEST_F(MidiPlayerTest, WithoutASynthesizerTheFileIsRefusedAndDebugModeSaysWhy) {
  synthAvailable_ = false;
  static testing::RecordingHooks hooks;
  hooks.logs.clear();
  setHooksSource([]() -> DebugHooks* { return &hooks; });
  setDebugMode(true);
  EXPECT_EQ(halfSecondNote(), nullptr);
  setDebugMode(false);
  setHooksSource(nullptr);
  EXPECT_EQ(engine_.error, 10);
  ASSERT_EQ(hooks.logs.size(), 1u);
  EXPECT_EQ(hooks.logs[0], "MIDI file not loaded: no SoundFont here");
}

TEST_F(MidiPlayerTest, MessagesLandOnTheirFramesAndTheSongLoopsAfterItsLength) {
  music::Song* song = halfSecondNote();
  ASSERT_TRUE(player_.playSong(song));
  EXPECT_EQ(trace_.resets, 1);
  // The note ends at frame 22050: the 11th frame of block 20.
  run(20);
  const std::vector<float> left = run(1);
  EXPECT_EQ(left[9], kLevel * 32768.0f);
  EXPECT_EQ(left[10], 0.0f);
  EXPECT_FALSE(player_.isSongFinished(song));
  // The pass ends at 44100 (block 40): finished, and the song starts again at once.
  run(19);
  EXPECT_FALSE(player_.isSongFinished(song));
  run(1);
  EXPECT_TRUE(player_.isSongFinished(song));
  run(40);
  EXPECT_EQ(trace_.framesOf(0x90), (std::vector<std::int64_t>{0, 44100, 88200}));
  EXPECT_EQ(trace_.framesOf(0x80), (std::vector<std::int64_t>{22050, 66150}));
  EXPECT_EQ(trace_.framesOf(0xC0).size(), 3u);
}

TEST_F(MidiPlayerTest, ASongThatDoesNotLoopStopsAtItsEndAndItsTailsStillRender) {
  music::Song* song = halfSecondNote();
  song->looping = false;
  ASSERT_TRUE(player_.playSong(song));
  run(60);
  EXPECT_TRUE(player_.isSongFinished(song));
  EXPECT_FALSE(song->playing);
  EXPECT_EQ(trace_.framesOf(0x90), (std::vector<std::int64_t>{0}));
  EXPECT_EQ(trace_.rendered, 60 * kBlock);
}

TEST_F(MidiPlayerTest, APausedSongHoldsTheSynthesizerStillAndResumesTheSoundThatStopped) {
  music::Song* song = halfSecondNote();
  ASSERT_TRUE(player_.playSong(song));
  run(10);
  player_.setSongPaused(song, true);
  const std::size_t sentBefore = trace_.sent.size();
  const std::vector<float> paused = run(30);
  EXPECT_EQ(trace_.sent.size(), sentBefore) << "nothing is sent while paused";
  EXPECT_EQ(trace_.rendered, 10 * kBlock) << "nor rendered";
  EXPECT_EQ(paused[0], 0.0f);
  EXPECT_FALSE(player_.isSongFinished(song));
  player_.setSongPaused(song, false);
  EXPECT_EQ(trace_.sent.size(), sentBefore);
  EXPECT_EQ(run(1)[0], kLevel * 32768.0f) << "the note sounds on";
  run(19);
  // The note ends on the synthesizer's frame 22050 as it would have, 30 blocks late in the mix.
  EXPECT_EQ(trace_.framesOf(0x80), (std::vector<std::int64_t>{22050}));
}

TEST_F(MidiPlayerTest, OneSongSoundsAtATimeAndAResumedSongTakesTheSynthesizerBack) {
  music::Song* first = halfSecondNote();
  music::Song* second = halfSecondNote();
  ASSERT_TRUE(player_.playSong(first));
  run(5);
  player_.setSongPaused(first, true);
  ASSERT_TRUE(player_.playSong(second));
  EXPECT_FALSE(player_.isSongFinished(second));
  EXPECT_TRUE(first->playing) << "a paused song keeps its place";
  run(5);
  const int resets = trace_.resets;
  player_.setSongPaused(first, false);
  EXPECT_TRUE(player_.isSongFinished(second));
  EXPECT_FALSE(second->playing);
  EXPECT_EQ(trace_.resets, resets + 1);
  EXPECT_EQ(trace_.sent.back().second.status, 0xC0) << "the first song's program again";

  // Stopping or freeing the song that sounds silences the synthesizer.
  player_.stopSong(first);
  EXPECT_TRUE(player_.isSongFinished(first));
  EXPECT_EQ(trace_.silences, 1);
  ASSERT_TRUE(player_.playSong(second));
  player_.freeSong(second);
  EXPECT_EQ(trace_.silences, 2);
  run(2);
}

TEST_F(MidiPlayerTest, MasterVolumeGoesThroughTheTableToTheGain) {
  music::Song* song = halfSecondNote();
  ASSERT_TRUE(player_.playSong(song));
  const float full = trace_.gain;
  EXPECT_GT(full, 0.0f);
  player_.setSongMasterVolume(song, 128);
  EXPECT_NEAR(trace_.gain / full, std::pow(10.0, -9.97 / 20), 1e-6);
  player_.setSongMasterVolume(song, 0);
  EXPECT_NEAR(trace_.gain / full, 1e-5, 1e-9);
  player_.setSongMasterVolume(song, 300);
  EXPECT_EQ(trace_.gain, full);
}

TEST(MidiVolumeTest, TheTableHoldsItsFixedRowsAndRisesBetweenThem) {
  const std::pair<int, int> fixed[] = {{0, -10000}, {1, -7678}, {2, -6830}, {64, -1994},
                                       {128, -997}, {255, 0},   {256, 0}};
  for (const auto& [volume, centibels] : fixed) EXPECT_EQ(music::midiVolumeCentibels(volume), centibels) << volume;
  for (int v = 1; v <= 255; ++v) EXPECT_GT(music::midiVolumeCentibels(v), music::midiVolumeCentibels(v - 1)) << v;
  // Half of 128 is as far below it as 128 is below 256, on the table's logarithmic axis.
  EXPECT_NEAR(music::midiVolumeCentibels(32), -1994 - (6830 - 1994) / 5.0, 1);
  EXPECT_EQ(music::midiVolumeCentibels(-5), -10000);
}

TEST_F(MidiPlayerTest, OperationsOnASongWithoutItsDataOrSynthesizerGiveTheirCodes) {
  music::Song* song = halfSecondNote();
  const auto data = song->midi;
  song->midi.reset();
  EXPECT_FALSE(player_.playSong(song));
  EXPECT_EQ(engine_.error, 11);
  song->midi = data;
  // The engine restarted at another rate, where no synthesizer can be made.
  engine_.rate = 22050;
  synthAvailable_ = false;
  EXPECT_FALSE(player_.playSong(song));
  EXPECT_EQ(engine_.error, 2);
  synthAvailable_ = true;
  ASSERT_TRUE(player_.playSong(song));
  run(1);
  EXPECT_EQ(trace_.made, 2);
}

TEST_F(MidiPlayerTest, FilesTooDenseForABlockSpreadOverBlocksAndShortLoopsPlayOnceABlock) {
  MidiTrack dense;
  for (int i = 0; i < 25000; ++i) dense.noteOn(0, 0, i % 128, 0);
  dense.end(0);
  music::Song* song = load(midiFile(0, 96, {dense}));
  ASSERT_TRUE(player_.playSong(song));
  run(1);
  EXPECT_EQ(trace_.sent.size(), static_cast<std::size_t>(music::kMidiEventsPerBlock));
  run(1);
  EXPECT_EQ(trace_.sent.size(), 25000u + 15000u) << "the rest, then a second pass up to the budget";
  EXPECT_TRUE(player_.isSongFinished(song));

  trace_.sent.clear();
  MidiTrack instant;
  instant.noteOn(0, 0, 60).noteOff(0, 0, 60).end(0);
  ASSERT_TRUE(player_.playSong(load(midiFile(0, 96, {instant}))));
  // The first block holds the first pass and one more; each later block one pass.
  run(3);
  EXPECT_EQ(trace_.sent.size(), 8u);
}

}  // namespace
}  // namespace korvo::sound::test
