// The XM loader on files written in code, good and hostile: every field lands where it
// belongs, and damaged files give error codes, never a crash or a runaway allocation.
#include "music_fixture.h"

namespace korvo::sound::test {
namespace {

constexpr std::size_t kPatternHeader = 60 + 276;
constexpr std::size_t kRowsAt = kPatternHeader + 5;
constexpr std::size_t kPackedAt = kPatternHeader + 7;

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v);
  put16(b, at + 2, v >> 16);
}

class XmLoaderTest : public MusicTest {
 protected:
  music::Song* load(const std::vector<std::uint8_t>& bytes) {
    engine_.error = -1;
    return player_.loadSongFromMemory(bytes.data(), bytes.size());
  }
  // A song with one pattern, one instrument of two samples (8- and 16-bit) with envelopes.
  static XmSongSpec richSong() {
    XmSongSpec spec;
    spec.channels = 2;
    XmInstrumentSpec in;
    XmSampleSpec a;
    a.frames = {0, 256, 512, -512};
    a.loopType = 2;
    a.loopStart = 1;
    a.loopLength = 2;
    a.finetune = -16;
    a.relativeNote = 12;
    XmSampleSpec b;
    b.sixteenBit = true;
    b.frames = {100, -100, 300, 32767, -32768, 5};
    b.volume = 80;
    in.samples = {a, b};
    in.volume.points = {{0, 64}, {10, 0}};
    in.volume.type = music::kEnvOn;
    in.pan.points = {{0, 32}};
    in.pan.type = music::kEnvOn;
    in.fadeout = 300;
    spec.instruments.push_back(in);
    spec.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0x40, 12, 0x20);
    spec.patterns[0].cells[{1, 1}] = cell(97, 200);
    return spec;
  }
};

TEST_F(XmLoaderTest, ReadsHeaderPatternsInstrumentsAndSamples) {
  const auto bytes = writeXm(richSong());
  music::Song* song = load(bytes);
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(engine_.error, 0);
  EXPECT_EQ(song->kind, music::SongKind::kXm);
  EXPECT_EQ(song->name, "test song");
  EXPECT_EQ(song->channelCount(), 2);
  EXPECT_EQ(song->patterns.size(), 1u);
  EXPECT_EQ(song->initialSpeed, 6);
  EXPECT_EQ(song->initialBpm, 125);
  EXPECT_EQ(song->masterVolume, 256);
  const music::Cell& c = song->cell(0, 0, 0);
  EXPECT_EQ(c.note, kC4);
  EXPECT_EQ(c.instrument, 1);
  EXPECT_EQ(c.volume, 0x40);
  EXPECT_EQ(c.effect, 12);
  EXPECT_EQ(c.param, 0x20);
  EXPECT_EQ(song->cell(0, 1, 1).note, music::kKeyOff);
  EXPECT_EQ(song->cell(0, 1, 1).instrument, 0) << "instruments above 128 are dropped";

  ASSERT_EQ(song->samples.size(), 2u);
  const music::Instrument& in = song->instruments[0];
  EXPECT_EQ(in.fadeout, 600);
  EXPECT_TRUE(in.volumeEnvelope.on());
  EXPECT_FALSE(in.panEnvelope.on()) << "one point is no envelope";
  EXPECT_EQ(in.samples[0], song->samples[0]);
  EXPECT_EQ(in.samples[2], &music::invalidSample());
  EXPECT_EQ(music::invalidSample().name, "Invalid Sample");
  const music::SongSample& a = *song->samples[0];
  EXPECT_EQ(a.length, 4u);
  EXPECT_EQ(a.loopMode, 4u);
  EXPECT_EQ(a.loopStart, 1u);
  EXPECT_EQ(a.loopLength, 2u);
  EXPECT_EQ(a.finetune, -16);
  EXPECT_EQ(a.relativeNote, 12);
  const music::SongSample& b = *song->samples[1];
  EXPECT_TRUE(b.is16Bit);
  EXPECT_EQ(b.length, 6u) << "16-bit lengths are given in bytes";
  EXPECT_EQ(b.loopMode, 1u);
  EXPECT_EQ(b.loopLength, 6u) << "without a loop the loop spans the sample";
  EXPECT_EQ(b.volume, 64);
  EXPECT_EQ(engine_.lengths, (std::vector<std::uint32_t>{4, 6}));
}

TEST_F(XmLoaderTest, RefusesOtherFilesWithCode10) {
  auto bytes = writeXm(richSong());
  bytes[0] = 'e';
  EXPECT_EQ(load(bytes), nullptr);
  EXPECT_EQ(engine_.error, 10);
  bytes = writeXm(richSong());
  bytes[37] = 0;
  EXPECT_EQ(load(bytes), nullptr);
  EXPECT_EQ(engine_.error, 10);
  EXPECT_EQ(load({}), nullptr);
  EXPECT_EQ(engine_.error, 10);
}

TEST_F(XmLoaderTest, EveryTruncationFailsCleanlyOrKeepsWhatSampleDataIsThere) {
  const auto full = writeXm(richSong());
  const std::size_t sampleData = full.size() - 4 - 12;
  for (std::size_t n = 0; n < full.size(); ++n) {
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    music::Song* song = load(cut);
    if (n < sampleData) {
      EXPECT_EQ(song, nullptr) << n;
      EXPECT_EQ(engine_.error, 10) << n;
    } else {
      ASSERT_NE(song, nullptr) << n;
      EXPECT_LE(song->samples[1]->length, 6u);
      EXPECT_LE(song->samples[1]->loopStart + song->samples[1]->loopLength, song->samples[1]->length);
      player_.freeSong(song);
    }
  }
}

TEST_F(XmLoaderTest, RowCountsOutsideOneTo256AreRefused) {
  for (std::uint32_t rows : {0u, 257u, 65535u}) {
    auto bytes = writeXm(richSong());
    put16(bytes, kRowsAt, rows);
    EXPECT_EQ(load(bytes), nullptr) << rows;
    EXPECT_EQ(engine_.error, 10);
  }
}

TEST_F(XmLoaderTest, PatternDataPastItsPackedSizeIsRefused) {
  auto bytes = writeXm(richSong());
  put16(bytes, kPackedAt, 5);
  EXPECT_EQ(load(bytes), nullptr);
  EXPECT_EQ(engine_.error, 10);
  bytes = writeXm(richSong());
  put16(bytes, kPackedAt, 60000);
  EXPECT_EQ(load(bytes), nullptr);
}

TEST_F(XmLoaderTest, MoreThanSixteenSamplesGivesCode11) {
  XmSongSpec spec = richSong();
  spec.instruments[0].samples.assign(17, XmSampleSpec{});
  EXPECT_EQ(load(writeXm(spec)), nullptr);
  EXPECT_EQ(engine_.error, 11);
}

TEST_F(XmLoaderTest, EnvelopesOfMoreThanTwelvePointsAreRefused) {
  XmSongSpec spec = richSong();
  auto bytes = writeXm(spec);
  // The volume point count follows the instrument's fixed fields and both envelopes.
  const std::size_t instrument = bytes.size() - 263 - 2 * 40 - 4 - 12;
  bytes[instrument + 225] = 13;
  EXPECT_EQ(load(bytes), nullptr);
  EXPECT_EQ(engine_.error, 10);
}

TEST_F(XmLoaderTest, AbsurdSampleLengthsAreCutToTheFile) {
  auto bytes = writeXm(richSong());
  const std::size_t firstSampleHeader = bytes.size() - 2 * 40 - 4 - 12;
  put32(bytes, firstSampleHeader, 0xFFFFFFF0u);
  music::Song* song = load(bytes);
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->samples[0]->length, 16u) << "both samples' bytes, and nothing more";
  EXPECT_EQ(song->samples[1]->length, 0u);
}

TEST_F(XmLoaderTest, OrdersPastThePatternCountGetEmptyPatterns) {
  XmSongSpec spec = richSong();
  spec.orders = {0, 7, 0};
  music::Song* song = load(writeXm(spec));
  ASSERT_NE(song, nullptr);
  ASSERT_EQ(song->patterns.size(), 8u);
  EXPECT_EQ(song->patterns[7].rows, 64);
  EXPECT_TRUE(song->patterns[7].cells.empty()) << "no memory for a pattern the file leaves out";
  EXPECT_EQ(song->cell(7, 63, 1).note, music::kNoNote);
  EXPECT_EQ(song->patterns[3].rows, 64);
  ASSERT_TRUE(player_.playSong(song));
  for (int i = 0; i < 64 * 6 * 3; ++i) tick(song);
  EXPECT_TRUE(player_.isSongFinished(song));
}

TEST_F(XmLoaderTest, BadCountsInTheHeaderAreRefused) {
  for (std::size_t at : {64u, 68u}) {  // song length 0, channel count 0
    auto bytes = writeXm(richSong());
    put16(bytes, at, 0);
    EXPECT_EQ(load(bytes), nullptr) << at;
  }
  auto bytes = writeXm(richSong());
  put16(bytes, 72, 129);  // instruments
  EXPECT_EQ(load(bytes), nullptr);
  bytes = writeXm(richSong());
  put32(bytes, 60, 0x7FFFFFF0);  // header size past the end
  EXPECT_EQ(load(bytes), nullptr);
}

TEST_F(XmLoaderTest, FailedLoadsFreeTheirSamples) {
  XmSongSpec spec = richSong();
  spec.instruments.push_back(spec.instruments[0]);
  spec.instruments[1].samples.assign(17, XmSampleSpec{});
  EXPECT_EQ(load(writeXm(spec)), nullptr);
  EXPECT_EQ(engine_.freed, (std::vector<std::int32_t>{0, 1}));
}

}  // namespace
}  // namespace korvo::sound::test
