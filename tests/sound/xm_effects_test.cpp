// XM effects followed tick by tick on the tracing engine: each case plays one or two rows
// and compares the channel's frequency, volume, pan or note starts with what the effect must
// give on every tick.
#include "music_fixture.h"
#include "sound/music/pitch.h"

namespace korvo::sound::test {
namespace {

// Channel volume of voice volume v with every other factor at its maximum.
int vol(int v) { return v * 255 / 128; }
// Frequency of C-4 (linear period 4608) moved by a period delta.
int hz(int delta) { return music::periodFrequency(true, 4608 + delta); }

class XmEffectsTest : public MusicTest {
 protected:
  // Plays C-4 of a plain instrument on row 0 with the given volume column and effect, and
  // further cells after it.
  music::Song* playRow(std::uint8_t volume, std::uint8_t effect, std::uint8_t param,
                       std::map<std::pair<int, int>, music::Cell> more = {}, std::uint16_t flags = 1) {
    XmSongSpec spec;
    spec.flags = flags;
    spec.instruments.push_back(plainInstrument());
    spec.patterns[0].cells = std::move(more);
    spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, volume, effect, param);
    return play(spec);
  }
  std::vector<int> starts(const music::Song* song, int count) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
      tick(song);
      out.push_back(engine_.channels[0].starts);
    }
    return out;
  }
};

TEST_F(XmEffectsTest, ArpeggioCyclesThroughTheTwoIntervals) {
  music::Song* song = playRow(0, 0, 0x47);
  EXPECT_EQ(frequencies(song, 6), (std::vector<int>{hz(0), hz(-256), hz(-448), hz(0), hz(-256), hz(-448)}));
}

TEST_F(XmEffectsTest, ArpeggioInTablePeriodsUsesTheTableDifference) {
  music::Song* song = playRow(0, 0, 0x0C, {}, 0);
  const int c4 = music::amigaPeriod(48, 0);
  const int c5 = music::amigaPeriod(60, 0);
  EXPECT_EQ(frequencies(song, 3), (std::vector<int>{14317056 / c4, 14317056 / c4, 14317056 / c5}));
}

TEST_F(XmEffectsTest, PortamentoUpAndDownMoveFourUnitsPerStep) {
  music::Song* song = playRow(0, 1, 0x10);
  EXPECT_EQ(frequencies(song, 4), (std::vector<int>{hz(0), hz(-64), hz(-128), hz(-192)}));
  song = playRow(0, 2, 0x08);
  EXPECT_EQ(frequencies(song, 3), (std::vector<int>{hz(0), hz(32), hz(64)}));
}

TEST_F(XmEffectsTest, TonePortamentoSlidesToTheNoteWithoutRetriggering) {
  music::Song* song = playRow(0, 0, 0, {{{1, 0}, cell(kC4 + 2, 0, 0, 3, 0x08)}});
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_EQ(frequencies(song, 6), (std::vector<int>{hz(0), hz(-32), hz(-64), hz(-96), hz(-128), hz(-128)}));
  EXPECT_EQ(engine_.channels[0].starts, 1);
}

TEST_F(XmEffectsTest, VibratoFollowsTheSineFromItsPosition) {
  music::Song* song = playRow(0, 4, 0x84);
  // Positions 0, 0, 8, 16, 24, -32: sine 0, 0, 180, 255, 180, 0 at depth 4.
  EXPECT_EQ(frequencies(song, 6), (std::vector<int>{hz(0), hz(0), hz(-20), hz(-28), hz(-20), hz(0)}));
}

TEST_F(XmEffectsTest, TremoloMovesTheVolumeWithinRange) {
  music::Song* song = playRow(0x30, 7, 0x84);
  // Volume 32; positions 0, 8, 16, 24, -32 on ticks 1..5: 4 * wave / 64 added.
  EXPECT_EQ(volumes(song, 6), (std::vector<int>{vol(32), vol(32), vol(32 + 11), vol(32 + 15), vol(32 + 11), vol(32)}));
}

TEST_F(XmEffectsTest, VolumeSlidesAndFineSlides) {
  music::Song* song = playRow(0, 10, 0x03);
  EXPECT_EQ(volumes(song, 4), (std::vector<int>{vol(64), vol(61), vol(58), vol(55)}));
  song = playRow(0x20, 10, 0x20);
  EXPECT_EQ(volumes(song, 3), (std::vector<int>{vol(16), vol(18), vol(20)}));
  song = playRow(0x20, 14, 0xA5);
  EXPECT_EQ(volumes(song, 3), (std::vector<int>{vol(21), vol(21), vol(21)}));
  song = playRow(0x20, 14, 0xB5);
  EXPECT_EQ(volumes(song, 2), (std::vector<int>{vol(11), vol(11)}));
}

TEST_F(XmEffectsTest, VolumeColumnSetAndSlides) {
  music::Song* song = playRow(0x30, 0, 0);
  EXPECT_EQ(volumes(song, 2), (std::vector<int>{vol(32), vol(32)}));
  song = playRow(0x62, 0, 0);
  EXPECT_EQ(volumes(song, 3), (std::vector<int>{vol(62), vol(60), vol(58)}));
  song = playRow(0x83, 0, 0);
  EXPECT_EQ(volumes(song, 2), (std::vector<int>{vol(61), vol(61)}));
  song = playRow(0x55, 0, 0);
  EXPECT_EQ(volumes(song, 1), (std::vector<int>{vol(64)})) << "0x51..0x5F do nothing";
}

TEST_F(XmEffectsTest, NoteCutAndNoteDelay) {
  music::Song* song = playRow(0, 14, 0xC2);
  EXPECT_EQ(volumes(song, 4), (std::vector<int>{vol(64), vol(64), 0, 0}));
  song = playRow(0, 14, 0xD3);
  EXPECT_EQ(starts(song, 5), (std::vector<int>{0, 0, 0, 1, 1}));
  EXPECT_EQ(engine_.channels[0].startedAt - started_, 3 * 881);
}

TEST_F(XmEffectsTest, RetriggerAndMultiRetrigger) {
  music::Song* song = playRow(0, 14, 0x92);
  EXPECT_EQ(starts(song, 6), (std::vector<int>{1, 1, 2, 2, 3, 3}));
  song = playRow(0, 27, 0x72);
  EXPECT_EQ(volumes(song, 6), (std::vector<int>{vol(64), vol(64), vol(32), vol(32), vol(16), vol(16)}));
}

TEST_F(XmEffectsTest, TremorAlternatesOnAndOffTicks) {
  music::Song* song = playRow(0, 29, 0x11);
  EXPECT_EQ(volumes(song, 6), (std::vector<int>{vol(64), vol(64), 0, 0, vol(64), vol(64)}));
}

TEST_F(XmEffectsTest, SampleOffsetStartsInsideOrStopsPastTheLoopEnd) {
  XmSongSpec spec;
  XmInstrumentSpec in = plainInstrument();
  in.samples[0].frames.assign(1024, 500);
  in.samples[0].loopLength = 1024;
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0, 9, 0x02);
  spec.patterns[0].cells[{1, 0}] = cell(kC4, 1, 0, 9, 0x05);
  music::Song* song = play(spec);
  tick(song);
  EXPECT_TRUE(engine_.channels[0].playing);
  EXPECT_EQ(engine_.channels[0].offset, 512u);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_FALSE(engine_.channels[0].playing);
  EXPECT_EQ(engine_.channels[0].starts, 1);
}

TEST_F(XmEffectsTest, PanningEffectsAndEnvelope) {
  music::Song* song = playRow(0, 8, 0x40);
  tick(song);
  EXPECT_EQ(engine_.channels[0].pan, 0x40);
  song = playRow(0xC2, 25, 0x30);
  std::vector<int> pans;
  for (int i = 0; i < 3; ++i) {
    tick(song);
    pans.push_back(engine_.channels[0].pan);
  }
  EXPECT_EQ(pans, (std::vector<int>{32, 35, 38}));

  XmSongSpec spec;
  XmInstrumentSpec in = plainInstrument();
  in.pan.points = {{0, 64}, {2, 0}};
  in.pan.type = music::kEnvOn;
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  song = play(spec);
  pans.clear();
  for (int i = 0; i < 3; ++i) {
    tick(song);
    pans.push_back(engine_.channels[0].pan);
  }
  // The centre can move 4 x 32 either way, within 0..255.
  EXPECT_EQ(pans, (std::vector<int>{255, 128, 0}));
}

TEST_F(XmEffectsTest, PatternLoopRepeatsRows) {
  XmSongSpec spec;
  spec.patterns[0].cells[{0, 0}] = cell(0, 0, 0, 14, 0x60);
  spec.patterns[0].cells[{1, 0}] = cell(0, 0, 0, 14, 0x62);
  music::Song* song = play(spec);
  std::vector<int> rows;
  for (int r = 0; r < 7; ++r) {
    tick(song);
    rows.push_back(song->row);
    for (int i = 0; i < 5; ++i) tick(song);
  }
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 0, 1, 0, 1, 2}));
}

TEST_F(XmEffectsTest, PatternDelaySpeedTempoAndGlobalVolume) {
  XmSongSpec spec;
  spec.instruments.push_back(plainInstrument());
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0, 14, 0xE1);
  spec.patterns[0].cells[{1, 1}] = cell(0, 0, 0, 15, 150);
  spec.patterns[0].cells[{2, 1}] = cell(0, 0, 0, 15, 3);
  spec.patterns[0].cells[{3, 1}] = cell(0, 0, 0, 16, 32);
  music::Song* song = play(spec);
  for (int i = 0; i < 12; ++i) tick(song);
  EXPECT_EQ(song->row, 0) << "a row with EE1 lasts two rows' ticks";
  tick(song);
  EXPECT_EQ(song->row, 1);
  EXPECT_EQ(song->samplesPerTick, 734);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_EQ(song->speed, 3);
  for (int i = 0; i < 3; ++i) tick(song);
  EXPECT_EQ(song->row, 3);
  EXPECT_EQ(engine_.channels[0].volume, vol(32));
}

TEST_F(XmEffectsTest, EnvelopePositionJumpsIntoItsSegment) {
  XmSongSpec spec;
  XmInstrumentSpec in = plainInstrument();
  in.volume.points = {{0, 64}, {8, 0}};
  in.volume.type = music::kEnvOn;
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0, 21, 4);
  music::Song* song = play(spec);
  EXPECT_EQ(volumes(song, 3), (std::vector<int>{vol(32), vol(24), vol(16)}));
}

TEST_F(XmEffectsTest, EnvelopePointsFromOddFilesStayWithinRange) {
  XmSongSpec spec;
  spec.patterns[0].rows = 256;
  XmInstrumentSpec in = plainInstrument();
  in.volume.type = music::kEnvOn;
  // Values past 64 count as full, however large.
  in.volume.points = {{0, 0xFFFF}, {4, 0x8000}};
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  EXPECT_EQ(volumes(song, 6), std::vector<int>(6, vol(64)));

  // A first point far from tick 0: the climb toward the second point stops at full instead
  // of running on until it wraps into silence.
  spec.instruments[0].volume.points = {{1000, 0}, {1001, 64}};
  song = play(spec);
  const std::vector<int> climb = volumes(song, 1100);
  EXPECT_EQ(std::vector<int>(climb.begin() + 20, climb.end()), std::vector<int>(1080, vol(64)));

  // Put before the first point, the envelope starts from that point's value.
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0, 21, 0);
  song = play(spec);
  EXPECT_EQ(volumes(song, 1), (std::vector<int>{0}));
}

TEST_F(XmEffectsTest, AutoVibratoGrowsOverItsSweep) {
  XmSongSpec spec;
  XmInstrumentSpec in = plainInstrument();
  in.vibratoType = 1;  // square: +64 for the first half of the wave
  in.vibratoDepth = 8;
  in.vibratoSweep = 2;
  in.vibratoRate = 1;
  spec.instruments.push_back(in);
  spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
  music::Song* song = play(spec);
  // 64 * 8 / 64 = 8, scaled by counter / sweep: 0, 4, then 8.
  EXPECT_EQ(frequencies(song, 4), (std::vector<int>{hz(0), hz(4), hz(8), hz(8)}));
}

}  // namespace
}  // namespace korvo::sound::test
