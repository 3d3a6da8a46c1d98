// IT files written in code: skip and end orders, new-note actions with several voices on a
// channel, duplicate checks, compressed samples, and refusals of what the file cannot hold.
#include "it_writer.h"
#include "music_fixture.h"
#include "sound/engine/sample.h"

namespace korvo::sound::test {
namespace {

constexpr std::uint8_t kB = 2;
constexpr std::uint8_t kZ = 26;

class ItTest : public MusicTest {
 protected:
  music::Song* play(const ItSongSpec& spec) { return playBytes(writeIt(spec)); }
  int playingChannels() {
    int n = 0;
    for (const TracedChannel& c : engine_.channels) n += c.playing && c.volume > 0 ? 1 : 0;
    return n;
  }
  void row(const music::Song* song) {
    for (int i = 0; i < song->speed; ++i) tick(song);
  }
};

TEST_F(ItTest, SkipOrdersAreSteppedOverAndEndOrdersRestart) {
  ItSongSpec spec;
  spec.orders = {254, 0, 254, 254, 1, 255, 0};
  spec.patterns = {ItPatternSpec{}, ItPatternSpec{}};
  spec.patterns[0].rows = 2;
  spec.patterns[1].rows = 3;
  music::Song* song = play(spec);
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->kind, music::SongKind::kIt);
  EXPECT_EQ(song->songLength, 7);
  std::vector<std::pair<int, int>> seen;
  for (int r = 0; r < 7; ++r) {
    row(song);
    seen.emplace_back(song->order, song->row);
  }
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}, {4, 0}, {4, 1}, {4, 2}, {1, 0}, {1, 1}}));
  EXPECT_TRUE(player_.isSongFinished(song));
}

TEST_F(ItTest, AJumpUnpacksThePatternAgainUpToItsRow) {
  ItSongSpec spec;
  spec.patterns[0].cells[{0, 0}] = itEffect(kB, 0);
  spec.patterns[0].cells[{0, 1}] = itEffect(3, 2);  // break to row 2 of the same order
  spec.patterns[0].cells[{2, 0}] = itNote(kItC5);
  music::Song* song = play(spec);
  row(song);
  row(song);
  EXPECT_EQ(song->row, 2);
  EXPECT_EQ(engine_.channels[0].starts, 1);
}

TEST_F(ItTest, NewNoteActionContinueKeepsTheOldVoiceSounding) {
  for (const auto& [action, sounding] : std::vector<std::pair<std::uint8_t, int>>{{0, 1}, {1, 2}}) {
    ItSongSpec spec;
    spec.instruments[0].newNoteAction = action;
    spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
    spec.patterns[0].cells[{1, 0}] = itNote(kItC5 + 7);
    music::Song* song = play(spec);
    row(song);
    EXPECT_EQ(playingChannels(), 1);
    row(song);
    EXPECT_EQ(playingChannels(), sounding) << "action " << int(action);
    int voices = 0;
    for (music::Voice* v = song->channels[0].voices; v; v = v->next) ++voices;
    EXPECT_EQ(voices, sounding);
  }
}

TEST_F(ItTest, DuplicateCheckCutsTheMatchingVoice) {
  ItSongSpec spec;
  spec.instruments[0].newNoteAction = 1;
  spec.instruments[0].duplicateCheck = 1;   // same note
  spec.instruments[0].duplicateAction = 0;  // cut
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
  spec.patterns[0].cells[{1, 0}] = itNote(kItC5 + 7);
  spec.patterns[0].cells[{2, 0}] = itNote(kItC5);
  music::Song* song = play(spec);
  row(song);
  row(song);
  EXPECT_EQ(playingChannels(), 2);
  row(song);
  // The first C-5 is cut; the G-5 and the new C-5 sound.
  EXPECT_EQ(playingChannels(), 2);
}

TEST_F(ItTest, CompressedSamplesAreHandedToTheUploadPacked) {
  ItSongSpec spec;
  spec.samples[0].compressed = true;
  spec.samples.push_back(ItSampleSpec{});
  spec.samples[1].compressed = true;
  spec.samples[1].sixteenBit = true;
  spec.samples[1].secondVariant = true;
  ASSERT_NE(play(spec), nullptr);
  EXPECT_EQ(engine_.sampleModes[0], mode::k8Bits | mode::kSigned | mode::kTrackerPacked);
  EXPECT_EQ(engine_.sampleModes[1], mode::k16Bits | mode::kSigned | mode::kTrackerPacked2);
}

TEST_F(ItTest, NotesPlayAtTheSampleRateOfC5) {
  ItSongSpec spec;
  spec.samples[0].c5Rate = 22050;
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
  spec.patterns[0].cells[{0, 1}] = itNote(kItC5 + 12);
  music::Song* song = play(spec);
  tick(song);
  // Linear periods step by 1/768 octave: within 0.05 %.
  EXPECT_NEAR(engine_.channels[0].frequency, 22050, 11);
  EXPECT_NEAR(engine_.channels[1].frequency, 44100, 22);
}

TEST_F(ItTest, OnlyVoicesUnderAFilterAskTheEngineForOne) {
  ItSongSpec spec;
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
  spec.patterns[0].cells[{0, 1}] = itNote(kItC5, 1, kZ, 0x40);  // cutoff 64
  spec.patterns[0].cells[{1, 1}] = itEffect(kZ, 0x7F);          // open: no filter
  spec.patterns[0].cells[{2, 1}] = itEffect(kZ, 0x88);          // resonance 64 at the open cutoff
  spec.patterns[0].cells[{3, 1}] = itNote(kItC5 + 12);          // the next note keeps it
  music::Song* song = play(spec);
  row(song);
  EXPECT_EQ(engine_.channels[0].filterCalls, 0);
  EXPECT_NEAR(engine_.channels[1].filterHz, 830, 2);  // 2^(0.25 + 128/48) x 110 Hz
  EXPECT_EQ(engine_.channels[1].resonanceDb, 0.0f);
  row(song);
  EXPECT_EQ(engine_.channels[1].filterHz, 0);
  row(song);
  EXPECT_NEAR(engine_.channels[1].filterHz, 5125, 5);
  EXPECT_EQ(engine_.channels[1].resonanceDb, 12.0f);
  const int calls = engine_.channels[1].filterCalls;
  row(song);
  EXPECT_EQ(engine_.channels[1].filterCalls, calls);  // unchanged: not sent again
  EXPECT_NEAR(engine_.channels[1].filterHz, 5125, 5);
  EXPECT_EQ(engine_.channels[0].filterCalls, 0);
}

TEST_F(ItTest, BadFilesAreRefused) {
  const std::vector<std::uint8_t> good = writeIt(ItSongSpec{});
  auto refused = [&](std::vector<std::uint8_t> bytes) {
    music::Song* song = player_.loadSongFromMemory(bytes.data(), bytes.size());
    if (song) player_.freeSong(song);
    return song == nullptr;
  };
  EXPECT_FALSE(refused(good));
  std::vector<std::uint8_t> manyPatterns = good;
  manyPatterns[0x26] = 0xFF, manyPatterns[0x27] = 0xFF;
  EXPECT_TRUE(refused(manyPatterns));
  // The instrument's offset beyond the end; the header cut short.
  std::vector<std::uint8_t> farInstrument = good;
  farInstrument[0xC0 + 2] = 0xFF, farInstrument[0xC0 + 3] = 0xFF, farInstrument[0xC0 + 4] = 0xFF;
  EXPECT_TRUE(refused(farInstrument));
  EXPECT_TRUE(refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 0x50)));
  // An envelope of more than 25 points is switched off, not read past its end.
  ItSongSpec many;
  for (int i = 0; i < 25; ++i) many.instruments[0].volume.points.emplace_back(64, static_cast<std::uint16_t>(i));
  many.instruments[0].volume.flags = 1;
  std::vector<std::uint8_t> bytes = writeIt(many);
  // The point count byte of the volume envelope.
  const std::size_t instrument = bytes[0xC0 + 2] | (bytes[0xC0 + 3] << 8);
  bytes[instrument + 0x131] = 200;
  music::Song* song = player_.loadSongFromMemory(bytes.data(), bytes.size());
  ASSERT_NE(song, nullptr);
  EXPECT_FALSE(song->instruments[0].volumeEnvelope.on());
  player_.freeSong(song);
}

}  // namespace
}  // namespace korvo::sound::test
