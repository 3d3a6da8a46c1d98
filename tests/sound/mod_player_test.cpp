// MOD files written in code: signatures and channel counts, samples found from the file's
// end, periods to notes, default pans, and the MOD effects on rows and ticks.
#include "mod_writer.h"
#include "music_fixture.h"
#include "sound/engine/sample.h"
#include "sound/music/pitch.h"

namespace korvo::sound::test {
namespace {

class ModTest : public MusicTest {
 protected:
  static ModSongSpec oneSample() {
    ModSongSpec spec;
    spec.samples.push_back(ModSampleSpec{});
    return spec;
  }
  music::Song* play(const ModSongSpec& spec) { return playBytes(writeMod(spec)); }
};

TEST_F(ModTest, SignaturesNameTheChannelCount) {
  const std::vector<std::pair<std::string, int>> cases = {{"M.K.", 4}, {"M!K!", 4},  {"FLT4", 4}, {"6CHN", 6},
                                                          {"8CHN", 8}, {"12CH", 12}, {"32CH", 32}};
  for (const auto& [signature, channels] : cases) {
    ModSongSpec spec = oneSample();
    spec.signature = signature;
    spec.channels = channels;
    const std::vector<std::uint8_t> bytes = writeMod(spec);
    music::Song* song = player_.loadSongFromMemory(bytes.data(), bytes.size());
    ASSERT_NE(song, nullptr) << signature;
    EXPECT_EQ(song->kind, music::SongKind::kMod);
    EXPECT_EQ(song->channelCount(), channels) << signature;
    EXPECT_EQ(song->patterns.at(0).rows, 64);
    player_.freeSong(song);
  }
  for (const char* other : {"M.K ", "FLT8", "1xCH", "00CH"}) {
    ModSongSpec spec = oneSample();
    spec.signature = other;
    const std::vector<std::uint8_t> bytes = writeMod(spec);
    EXPECT_EQ(player_.loadSongFromMemory(bytes.data(), bytes.size()), nullptr) << other;
    EXPECT_EQ(engine_.error, 10) << other;
  }
}

TEST_F(ModTest, SamplesAreReadFromTheEndOfTheFile) {
  ModSongSpec spec;
  ModSampleSpec first;
  first.frames = {1, 2, 3, 4};
  ModSampleSpec second;
  second.frames = std::vector<std::int8_t>(6, -7);
  second.loopStart = 2;
  second.loopLength = 4;
  spec.samples = {first, second};
  spec.gap = 100;
  ASSERT_NE(play(spec), nullptr);
  ASSERT_EQ(engine_.sampleData.size(), 2u);
  EXPECT_EQ(engine_.sampleData[0], (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(engine_.sampleData[1], std::vector<std::uint8_t>(6, static_cast<std::uint8_t>(-7)));
  EXPECT_EQ(engine_.sampleModes[0], mode::k8Bits | mode::kSigned);
  const music::SongSample& looped = *last_->samples[1];
  EXPECT_EQ(looped.loopMode, 2u);
  EXPECT_EQ(looped.loopStart, 2u);
  EXPECT_EQ(looped.loopLength, 4u);
  EXPECT_EQ(last_->samples[0]->loopMode, 1u);
}

TEST_F(ModTest, CutFilesKeepWhatTheyHoldOrAreRefused) {
  ModSongSpec spec = oneSample();
  spec.samples[0].frames = std::vector<std::int8_t>(200, 5);
  std::vector<std::uint8_t> bytes = writeMod(spec);
  // Half the sample data is missing: the sample keeps what is there.
  bytes.resize(bytes.size() - 100);
  music::Song* song = player_.loadSongFromMemory(bytes.data(), bytes.size());
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->samples[0]->length, 100u);
  player_.freeSong(song);
  // A pattern cut short refuses the file.
  bytes.resize(1084 + 500);
  EXPECT_EQ(player_.loadSongFromMemory(bytes.data(), bytes.size()), nullptr);
  EXPECT_EQ(engine_.error, 10);
}

TEST_F(ModTest, PeriodsBecomeNotesAndFinetunesTuneTheSample) {
  ModSongSpec spec = oneSample();
  ModSampleSpec tuned;
  tuned.finetune = 1;
  spec.samples.push_back(tuned);
  spec.patterns[0][{0, 0}] = ModCell{1, kModC};
  spec.patterns[0][{0, 1}] = ModCell{1, kModCUp};
  spec.patterns[0][{0, 2}] = ModCell{2, kModC};
  // A period between two notes plays the note whose period is the next below it.
  spec.patterns[0][{0, 3}] = ModCell{1, kModC + 3};
  music::Song* song = play(spec);
  tick(song);
  EXPECT_EQ(song->cell(0, 0, 0).note, 49);
  EXPECT_EQ(engine_.channels[0].frequency, 14317056 / 1712);
  EXPECT_EQ(engine_.channels[1].frequency, 14317056 / 856);
  EXPECT_EQ(engine_.channels[2].frequency, 14317056 / (1712 * 8363 / 8413));
  EXPECT_EQ(song->cell(0, 0, 3).note, 49);
}

TEST_F(ModTest, ChannelsArePannedLeftRightRightLeft) {
  ModSongSpec spec = oneSample();
  spec.signature = "6CHN";
  spec.channels = 6;
  for (int ch = 0; ch < 6; ++ch) spec.patterns[0][{0, ch}] = ModCell{1, kModC};
  play(spec);
  tick(last_);
  std::vector<int> pans;
  for (int ch = 0; ch < 6; ++ch) pans.push_back(engine_.channels[static_cast<std::size_t>(ch)].pan);
  EXPECT_EQ(pans, (std::vector<int>{0, 255, 255, 0, 0, 255}));
}

TEST_F(ModTest, PatternBreakNamesItsRowInDecimal) {
  ModSongSpec spec = oneSample();
  spec.orders = {0, 1};
  spec.patterns.resize(2);
  spec.patterns[0][{0, 0}] = ModCell{0, 0, 0xD, 0x12};
  music::Song* song = play(spec);
  for (int i = 0; i < 7; ++i) tick(song);
  EXPECT_EQ(song->order, 1);
  EXPECT_EQ(song->row, 12);
}

TEST_F(ModTest, VolumesPansAndCuts) {
  ModSongSpec spec = oneSample();
  spec.samples[0].volume = 32;
  spec.patterns[0][{0, 0}] = ModCell{1, kModC, 0xA, 0x20};  // slide up 2 a tick
  spec.patterns[0][{0, 1}] = ModCell{1, kModC, 0x8, 0x40};  // pan 0x40 x 2
  spec.patterns[0][{0, 2}] = ModCell{1, kModC, 0xE, 0xC2};  // cut on tick 2
  spec.patterns[0][{0, 3}] = ModCell{1, kModC, 0xC, 0x50};  // volume above 64
  music::Song* song = play(spec);
  // Volume 32 at master 256 is 64 on the engine channel; 2 more a tick after the first.
  EXPECT_EQ(volumes(song, 3), (std::vector<int>{64, 68, 72}));
  EXPECT_EQ(engine_.channels[1].pan, 128);
  EXPECT_EQ(engine_.channels[2].volume, 0);
  EXPECT_EQ(engine_.channels[3].volume, 128);
}

TEST_F(ModTest, NoteDelayAndTonePortamento) {
  ModSongSpec spec = oneSample();
  spec.patterns[0][{0, 0}] = ModCell{1, kModC, 0xE, 0xD3};
  spec.patterns[0][{1, 1}] = ModCell{1, kModC};
  spec.patterns[0][{2, 1}] = ModCell{0, kModCUp, 0x3, 0xFF};
  music::Song* song = play(spec);
  for (int i = 0; i < 3; ++i) {
    tick(song);
    EXPECT_EQ(engine_.channels[0].starts, 0) << "tick " << i;
  }
  tick(song);
  EXPECT_EQ(engine_.channels[0].starts, 1);
  for (int i = 0; i < 8; ++i) tick(song);
  // Row 2: the slide reaches the octave above within the row, without a new start.
  EXPECT_EQ(engine_.channels[1].starts, 1);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_EQ(engine_.channels[1].frequency, 14317056 / 856);
}

}  // namespace
}  // namespace korvo::sound::test
