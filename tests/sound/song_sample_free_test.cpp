// A song's sample freed through the engine on its own: every reference in the loaded songs
// falls to the invalid sample, the instrument goes silent while the rest plays on, and
// freeing the song afterwards frees nothing twice. Also: a value a program holds for a sound
// that once played on a channel cannot reach the song voice that channel now carries.
#include <gtest/gtest.h>

#include <cstdlib>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"
#include "xm_writer.h"

namespace korvo::sound::test {
namespace {

class SongSampleFreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", "none", 1);
    ASSERT_TRUE(engine_.init(44100, 32, 0));
    // Two instruments of one looped sample each; both channels strike a note every 4 rows.
    XmSongSpec spec;
    spec.channels = 2;
    for (int i = 0; i < 2; ++i) {
      XmInstrumentSpec in;
      XmSampleSpec s;
      s.loopType = 1;
      s.loopLength = 64;
      in.samples.push_back(s);
      spec.instruments.push_back(in);
    }
    for (int r = 0; r < 64; r += 4) {
      spec.patterns[0].cells[{r, 0}] = cell(kC4, 1);
      spec.patterns[0].cells[{r, 1}] = cell(kC4, 2);
    }
    bytes_ = writeXm(spec);
  }
  void TearDown() override {
    engine_.close();
    platform::setClock(nullptr);
  }

  void run(int milliseconds) {
    for (int i = 0; i < milliseconds / 10; ++i) {
      clock_.advance(10);
      engine_.pump();
    }
  }
  std::int32_t usedSlots() const {
    std::int32_t n = 0;
    for (int i = 0; i < 256; ++i) n += engine_.sampleInSlot(i) != nullptr;
    return n;
  }
  // The engine channel of a song channel's voice.
  static std::int32_t voiceChannel(const music::Song& song, int channel) {
    const music::Voice* v = song.channels[static_cast<std::size_t>(channel)].voices;
    return v ? v->channel : -1;
  }
  // Every reference the song holds to sample now names the invalid sample.
  static void expectForgotten(const music::Song& song, const music::SongSample* sample) {
    const music::SongSample* invalid = &music::invalidSample();
    EXPECT_EQ(song.samples[0], invalid);
    EXPECT_EQ(song.instruments[0].samples[0], invalid);
    EXPECT_EQ(sample->pcm, -1);
    EXPECT_NE(song.samples[1], invalid);
    EXPECT_NE(song.instruments[1].samples[0], invalid);
  }

  platform::VirtualClock clock_;
  SoundEngine engine_;
  music::EngineMusic adapter_{engine_};
  music::MusicPlayer player_{adapter_};
  std::vector<std::uint8_t> bytes_;
};

TEST_F(SongSampleFreeTest, FreedWhilePlayingSilencesItsInstrumentOnly) {
  const std::int32_t before = usedSlots();
  music::Song* song = player_.loadSongFromMemory(bytes_.data(), bytes_.size());
  ASSERT_NE(song, nullptr);
  ASSERT_TRUE(player_.playSong(song));
  run(300);
  const std::int32_t first = voiceChannel(*song, 0);
  const std::int32_t second = voiceChannel(*song, 1);
  music::SongSample* doomed = song->samples[0];
  Sample* engineSample = adapter_.sample(doomed->pcm);
  ASSERT_NE(engineSample, nullptr);
  ASSERT_EQ(engine_.channelSample(first), engineSample);
  ASSERT_TRUE(engine_.isChannelPlaying(second));

  engine_.freeSample(engineSample);
  EXPECT_EQ(usedSlots(), before + 1);
  expectForgotten(*song, doomed);
  EXPECT_EQ(song->channels[0].voices->sample, &music::invalidSample());
  EXPECT_FALSE(engine_.isChannelPlaying(first));

  // Several more notes on both channels: the first stays silent, the second plays.
  for (int i = 0; i < 8; ++i) {
    run(250);
    EXPECT_FALSE(engine_.isChannelPlaying(first)) << i;
    EXPECT_TRUE(engine_.isChannelPlaying(second)) << i;
  }
  player_.freeSong(song);
  EXPECT_EQ(usedSlots(), before);
}

TEST_F(SongSampleFreeTest, FreedBeforePlayingNeverSounds) {
  const std::int32_t before = usedSlots();
  music::Song* song = player_.loadSongFromMemory(bytes_.data(), bytes_.size());
  ASSERT_NE(song, nullptr);
  music::SongSample* doomed = song->samples[0];
  engine_.freeSample(adapter_.sample(doomed->pcm));
  expectForgotten(*song, doomed);
  ASSERT_TRUE(player_.playSong(song));
  for (int i = 0; i < 8; ++i) {
    run(250);
    EXPECT_FALSE(engine_.isChannelPlaying(voiceChannel(*song, 0))) << i;
    EXPECT_TRUE(engine_.isChannelPlaying(voiceChannel(*song, 1))) << i;
  }
  player_.stopSong(song);
  player_.freeSong(song);
  EXPECT_EQ(usedSlots(), before);
}

TEST_F(SongSampleFreeTest, AnOldSoundsChannelValueDoesNotReachASongVoice) {
  Sample* effect = engine_.allocSample(-1, 64, mode::k16Bits | mode::kMono, 44100, 255, 128, 0);
  ASSERT_NE(effect, nullptr);
  const std::int32_t old = engine_.playSample(-1, effect);
  ASSERT_GE(old, 0);
  ASSERT_TRUE(engine_.stopChannel(old));
  // Reserved for a song, before the song's first note there starts anything.
  const std::int32_t reserved = adapter_.reserveChannel();
  ASSERT_EQ(reserved, old & 0xFFF);
  EXPECT_FALSE(engine_.setChannelVolume(old, 0));
  EXPECT_FALSE(engine_.setChannelFrequency(old, 1000));
  EXPECT_FALSE(engine_.isChannelPlaying(old));
  adapter_.releaseChannel(reserved);
  engine_.freeSample(effect);
}

}  // namespace
}  // namespace korvo::sound::test
