// The XM player on the tracing engine: timing, row flow, the volume column, key off and
// effects, followed tick by tick against expected channel states.
#include "music_fixture.h"
#include "sound/music/pitch.h"

namespace korvo::sound::test {
namespace {

using music::Cell;

TEST(MusicTempo, SamplesPerTickFollowTheSinglePrecisionFactor) {
  EXPECT_EQ(music::samplesPerTick(44100, 125, 1.0f, 0), 881);
  EXPECT_EQ(music::samplesPerTick(44100, 150, 1.0f, 0), 734);
  EXPECT_EQ(music::samplesPerTick(44100, 100, 1.0f, 0), 1102);
  EXPECT_EQ(music::samplesPerTick(44100, 0, 1.0f, 0), music::samplesPerTick(44100, 1, 1.0f, 0));
  EXPECT_EQ(music::samplesPerTick(44100, 125, 0.0f, 77), 77);
  EXPECT_EQ(music::samplesPerTick(4000, 65535, 1.0f, 0), 1);
}

TEST(MusicPitch, PeriodTableAndFrequencies) {
  const auto& t = music::periodTable();
  EXPECT_EQ(t[1], 27392);
  EXPECT_EQ(t[2], 25856);
  EXPECT_EQ(t[13], 13696);
  EXPECT_EQ(t[130], 16);
  EXPECT_EQ(t[131], 15);
  EXPECT_EQ(t[132], 15);
  EXPECT_EQ(t[133], 14);
  // C-4 (note 48) is 8363 Hz in both period modes.
  EXPECT_EQ(music::periodFrequency(true, music::linearPeriod(48, 0)), 8363);
  EXPECT_EQ(music::periodFrequency(false, music::amigaPeriod(48, 0)), 14317056 / 1712);
  EXPECT_EQ(music::amigaPeriod(48, 64), (1712 + 1616) / 2);
  EXPECT_EQ(music::amigaPeriod(48, -128), 1812);
  EXPECT_EQ(music::linearPeriod(48, -16), 4616);
}

TEST_F(MusicTest, RowsLastSixTimes881SamplesAtSpeedSixAnd125Bpm) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument());
  for (int r = 0; r < 3; ++r) spec.patterns[0].cells[{r, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  ASSERT_EQ(song->samplesPerTick, 881);
  std::vector<std::int64_t> starts;
  for (int i = 0; i < 3 * 6 * 881; ++i) {
    const int before = engine_.channels[0].starts;
    engine_.run(1);
    if (engine_.channels[0].starts != before) starts.push_back(engine_.channels[0].startedAt);
  }
  EXPECT_EQ(starts, (std::vector<std::int64_t>{0, 6 * 881, 12 * 881}));
}

TEST_F(MusicTest, SpeedZeroStopsRowsAndFinishes) {
  XmSongSpec spec;
  spec.patterns[0].cells[{1, 0}] = cell(0, 0, 0, 15, 0);
  music::Song* song = play(spec);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_FALSE(player_.isSongFinished(song));
  for (int i = 0; i < 50; ++i) tick(song);
  EXPECT_EQ(song->row, 1);
  EXPECT_TRUE(player_.isSongFinished(song));
  EXPECT_TRUE(song->playing);
}

TEST_F(MusicTest, FinishedWhileLoopingFromTheRestartPosition) {
  XmSongSpec spec;
  spec.patterns[0].rows = 2;
  spec.patterns.push_back(XmPatternSpec{});
  spec.patterns[1].rows = 2;
  spec.orders = {0, 1};
  spec.restart = 1;
  music::Song* song = play(spec);
  // Tick 0 of the last row finds that the song has passed its last order.
  for (int i = 0; i < 3 * 6 + 1; ++i) tick(song);
  EXPECT_EQ(song->order, 1);
  EXPECT_EQ(song->row, 1);
  EXPECT_TRUE(player_.isSongFinished(song));
  for (int i = 0; i < 5; ++i) tick(song);
  EXPECT_TRUE(player_.isSongFinished(song));
  tick(song);
  EXPECT_EQ(song->order, 1);
  EXPECT_EQ(song->row, 0);
  EXPECT_TRUE(song->playing);
  // Playing again clears it.
  player_.playSong(song);
  EXPECT_FALSE(player_.isSongFinished(song));
}

TEST_F(MusicTest, SongThatDoesNotLoopEndsAfterItsLastRow) {
  XmSongSpec spec;
  spec.patterns[0].rows = 2;
  spec.instruments.push_back(plainInstrument());
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  song->looping = false;
  for (int i = 0; i < 12; ++i) tick(song);
  EXPECT_TRUE(song->playing) << "the last row plays to its end";
  tick(song);
  EXPECT_FALSE(song->playing);
  EXPECT_TRUE(player_.isSongFinished(song));
  EXPECT_FALSE(engine_.channels[0].reserved) << "its voices gave their channels back";
}

TEST_F(MusicTest, VolumeColumnSlideUpActsOnTickZeroToo) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument(32));
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0x74);
  music::Song* song = play(spec);
  // volume v comes out as v * 255 / 128 with every other factor at its maximum.
  EXPECT_EQ(volumes(song, 4), (std::vector<int>{36 * 255 / 128, 40 * 255 / 128, 44 * 255 / 128, 48 * 255 / 128}));
}

TEST_F(MusicTest, FullFactorsGiveChannelVolume127) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument(64));
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  tick(song);
  EXPECT_EQ(engine_.channels[0].volume, 127);
  EXPECT_EQ(engine_.channels[0].frequency, 8363);
  EXPECT_EQ(engine_.channels[0].pan, 128);
  player_.setSongMasterVolume(song, 128);
  tick(song);
  EXPECT_EQ(engine_.channels[0].volume, 63);
  player_.setSongMasterVolume(song, 1000);
  EXPECT_EQ(song->masterVolume, 256);
}

TEST_F(MusicTest, PatternBreakPastRow63StartsTheNextPatternAtRowZero) {
  XmSongSpec spec;
  spec.patterns[0].rows = 4;
  spec.patterns[0].cells[{1, 0}] = cell(0, 0, 0, 13, 0x70);
  spec.patterns.push_back(XmPatternSpec{});
  spec.patterns[1].rows = 128;
  spec.orders = {0, 1};
  music::Song* song = play(spec);
  for (int i = 0; i < 13; ++i) tick(song);
  EXPECT_EQ(song->order, 1);
  EXPECT_EQ(song->row, 0);
}

TEST_F(MusicTest, PatternBreakAndJumpTargets) {
  XmSongSpec spec;
  spec.patterns.assign(3, XmPatternSpec{});
  spec.patterns[0].cells[{0, 0}] = cell(0, 0, 0, 13, 0x12);  // break to row 12 of the next
  spec.patterns[1].cells[{12, 1}] = cell(0, 0, 0, 11, 0);    // jump to order 0
  spec.orders = {0, 1, 2};
  music::Song* song = play(spec);
  for (int i = 0; i < 7; ++i) tick(song);
  EXPECT_EQ(song->order, 1);
  EXPECT_EQ(song->row, 12);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_EQ(song->order, 0);
  EXPECT_EQ(song->row, 0);
  EXPECT_FALSE(player_.isSongFinished(song));
}

TEST_F(MusicTest, InstrumentWithoutSamplesIsSilent) {
  XmSongSpec spec;
  spec.instruments.push_back(XmInstrumentSpec{});
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  tick(song);
  EXPECT_FALSE(engine_.channels[0].playing);
  EXPECT_EQ(engine_.channels[0].pcm, -1);
  // An instrument number past the count plays nothing either.
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 9);
  song = play(spec);
  tick(song);
  EXPECT_FALSE(engine_.channels[0].playing);
}

TEST_F(MusicTest, KeyOffWithoutVolumeEnvelopeSilencesAtOnce) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument());
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  spec.patterns[0].cells[{1, 0}] = cell(97);
  music::Song* song = play(spec);
  EXPECT_EQ(volumes(song, 7), (std::vector<int>{127, 127, 127, 127, 127, 127, 0}));
}

TEST_F(MusicTest, KeyOffWithVolumeEnvelopeLeavesTheSustainAndFades) {
  XmSongSpec spec;
  XmInstrumentSpec in = plainInstrument();
  in.volume.points = {{0, 64}, {2, 32}, {6, 0}};
  in.volume.type = music::kEnvOn | music::kEnvSustain;
  in.volume.sustain = 1;
  in.fadeout = 4096;  // doubled: 8192 per tick, eight ticks to silence
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  spec.patterns[0].cells[{1, 0}] = cell(97);
  music::Song* song = play(spec);
  // 64 * 255/128 = 127, 48 -> 95, then held at 32 -> 63 until the key is released on tick 6.
  const std::vector<int> held = volumes(song, 6);
  EXPECT_EQ(held, (std::vector<int>{127, 95, 63, 63, 63, 63}));
  // Released: the envelope walks down 8 per tick from 32 while the fadeout takes 1/8 per tick.
  const std::vector<int> released = volumes(song, 5);
  EXPECT_EQ(released, (std::vector<int>{32 * 255 * 7 / 8 / 128, 24 * 255 * 6 / 8 / 128, 16 * 255 * 5 / 8 / 128,
                                        8 * 255 * 4 / 8 / 128, 0}));
}

TEST_F(MusicTest, KeyOffEffectActsAsKeyOffNote) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument());
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  spec.patterns[0].cells[{1, 0}] = cell(0, 0, 0, 20, 0);
  music::Song* song = play(spec);
  EXPECT_EQ(volumes(song, 7).back(), 0);
}

TEST_F(MusicTest, VoicelessChannelsCarryNothingFromOneSongToAnother) {
  // One engine channel: the second song channel of the first song plays into the dummy voice.
  engine_.channels.resize(1);
  XmSongSpec first;
  first.channels = 2;
  first.instruments.push_back(plainInstrument());
  first.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  first.patterns[0].cells[{0, 1}] = cell(kC4, 1);
  XmSongSpec second;
  second.channels = 1;
  second.patterns[0].cells[{0, 0}] = cell(0, 0, 0x35, 14, 0x5F);
  const std::vector<std::uint8_t> firstBytes = writeXm(first);
  const std::vector<std::uint8_t> secondBytes = writeXm(second);
  music::Song* a = player_.loadSongFromMemory(firstBytes.data(), firstBytes.size());
  music::Song* b = player_.loadSongFromMemory(secondBytes.data(), secondBytes.size());
  ASSERT_TRUE(a && b);

  ASSERT_TRUE(player_.playSong(a));
  tick(a);
  player_.stopSong(a);
  // The other song's finetune effect on a channel without a voice must not reach the first
  // song's sample.
  ASSERT_TRUE(player_.playSong(b));
  tick(b);
  player_.stopSong(b);
  ASSERT_TRUE(player_.playSong(a));
  tick(a);
  EXPECT_EQ(engine_.channels[0].frequency, 8363);

  // Nor may it reach a song that has been freed.
  player_.freeSong(a);
  ASSERT_TRUE(player_.playSong(b));
  for (int i = 0; i < 6; ++i) tick(b);
  player_.freeSong(b);
}

}  // namespace
}  // namespace korvo::sound::test
