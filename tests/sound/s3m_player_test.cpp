// S3M files written in code: channel mapping and pans, the stereo bit, packed patterns,
// unsigned samples, note cut, fast slides, and refusals of what the file cannot hold.
#include "music_fixture.h"
#include "s3m_writer.h"
#include "sound/engine/sample.h"

namespace korvo::sound::test {
namespace {

constexpr std::uint8_t kD = 4, kF = 6, kS = 19, kX = 24;

class S3mTest : public MusicTest {
 protected:
  static S3mSongSpec oneSample() {
    S3mSongSpec spec;
    spec.samples.push_back(S3mSampleSpec{});
    return spec;
  }
  music::Song* play(const S3mSongSpec& spec) { return playBytes(writeS3m(spec)); }
  std::vector<int> pans(int channels) {
    std::vector<int> out;
    for (int ch = 0; ch < channels; ++ch) out.push_back(engine_.channels[static_cast<std::size_t>(ch)].pan);
    return out;
  }
};

TEST_F(S3mTest, ChannelsMapToSongChannelsWithTheirPans) {
  S3mSongSpec spec = oneSample();
  // File channels 0, 1 (disabled), 2 and 5; default pans for channel 2 only.
  spec.channelSettings = {0, 200, 9, 255, 255, 3};
  spec.defaultPans = {0, 0, 0x2C, 0, 0, 0x1F};
  for (int ch : {0, 1, 2, 5}) spec.patterns[0][{0, ch}] = S3mCell{kS3mC4, 1};
  music::Song* song = play(spec);
  ASSERT_NE(song, nullptr);
  EXPECT_EQ(song->kind, music::SongKind::kS3m);
  ASSERT_EQ(song->channelCount(), 3);
  tick(song);
  // Channel 1's cell went to the scratch cell; channel 5's pan byte lacks its flag.
  EXPECT_EQ(pans(3), (std::vector<int>{0, 0xC * 16, 0}));
  EXPECT_EQ(engine_.channels[3].reserved, false);
}

TEST_F(S3mTest, WithoutTheStereoBitEveryChannelIsCentred) {
  S3mSongSpec spec = oneSample();
  spec.stereo = false;
  spec.defaultPans = {0x20, 0x2F};
  for (int ch = 0; ch < 4; ++ch) spec.patterns[0][{0, ch}] = S3mCell{kS3mC4, 1, 255, kX, 0};
  play(spec);
  tick(last_);
  EXPECT_EQ(pans(4), (std::vector<int>{128, 128, 128, 128}));
}

TEST_F(S3mTest, NotesVolumesAndUnsignedSamples) {
  S3mSongSpec spec = oneSample();
  spec.samples[0].c4Rate = 16726;
  spec.samples.push_back(S3mSampleSpec{{0x00, 0x80, 0xFF, 0x7F}, true});
  spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1, 32};
  spec.patterns[0][{0, 1}] = S3mCell{kS3mC4 + 0x10, 2};
  music::Song* song = play(spec);
  tick(song);
  // C-4 at a C4 rate of 16726 Hz is an octave up; C-5 at 8363 Hz as well.
  EXPECT_EQ(engine_.channels[0].frequency, 14317056 / 856);
  EXPECT_EQ(engine_.channels[1].frequency, 14317056 / 856);
  // Volume column 32, global 64, master 256: 64 on the channel; 128 for the default 64.
  EXPECT_EQ(engine_.channels[0].volume, 64);
  EXPECT_EQ(engine_.channels[1].volume, 128);
  EXPECT_EQ(engine_.sampleModes[0], mode::k8Bits | mode::kUnsigned);
  EXPECT_EQ(engine_.sampleModes[1], mode::k16Bits | mode::kUnsigned);
  EXPECT_EQ(engine_.lengths[1], 2u);
}

TEST_F(S3mTest, NoteByte254CutsTheNote) {
  S3mSongSpec spec = oneSample();
  spec.samples[0].loop = true;
  spec.samples[0].loopEnd = 64;
  spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1};
  spec.patterns[0][{1, 0}] = S3mCell{254};
  music::Song* song = play(spec);
  for (int i = 0; i < 6; ++i) tick(song);
  EXPECT_TRUE(engine_.channels[0].playing);
  tick(song);
  EXPECT_FALSE(engine_.channels[0].playing);
}

TEST_F(S3mTest, FastSlidesActOnTickZero) {
  for (const auto& [flags, version, fast] : std::vector<std::tuple<std::uint16_t, std::uint16_t, bool>>{
           {0, 0x1320, false}, {0x40, 0x1320, true}, {0, 0x1300, true}}) {
    S3mSongSpec spec = oneSample();
    spec.flags = flags;
    spec.version = version;
    spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1, 32, kD, 0x04};
    music::Song* song = play(spec);
    // Down 4 a tick from 32 (64 on the channel, 8 a step).
    const std::vector<int> want = fast ? std::vector<int>{56, 48, 40} : std::vector<int>{64, 56, 48};
    EXPECT_EQ(volumes(song, 3), want) << "flags " << flags << " version " << version;
  }
}

TEST_F(S3mTest, FineSlidesAndSpecials) {
  S3mSongSpec spec = oneSample();
  spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1, 32, kD, 0x2F};   // fine up 2
  spec.patterns[0][{0, 1}] = S3mCell{kS3mC4, 1, 255, kF, 0xF2};  // fine up 2 x 4
  spec.patterns[0][{0, 2}] = S3mCell{kS3mC4, 1, 255, kS, 0xA4};  // pan ((4 + 8) mod 16) x 16
  spec.patterns[0][{0, 3}] = S3mCell{kS3mC4, 1, 255, kS, 0xC2};  // cut on tick 2
  music::Song* song = play(spec);
  EXPECT_EQ(volumes(song, 2), (std::vector<int>{68, 68}));
  EXPECT_EQ(engine_.channels[1].frequency, 14317056 / (1712 - 8));
  EXPECT_EQ(engine_.channels[2].pan, 192);
  tick(song);
  EXPECT_EQ(engine_.channels[3].volume, 0);
}

TEST_F(S3mTest, PatternsTheFileLeavesOutHoldNoCellsAndPlayAsEmptyRows) {
  S3mSongSpec spec = oneSample();
  spec.orders = {0, 5};
  spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1};
  music::Song* song = play(spec);
  ASSERT_NE(song, nullptr);
  ASSERT_EQ(song->patterns.size(), 6u);
  EXPECT_EQ(song->patterns[0].cells.size(), 64u * 4);
  EXPECT_EQ(song->patterns[5].rows, 64);
  EXPECT_TRUE(song->patterns[5].cells.empty());
  EXPECT_EQ(song->cell(5, 63, 3).note, music::kNoNote);
  for (int i = 0; i < 2 * 64 * 6; ++i) tick(song);
  EXPECT_TRUE(player_.isSongFinished(song));
}

TEST_F(S3mTest, BadHeadersAndPointersAreRefused) {
  S3mSongSpec spec = oneSample();
  std::vector<std::uint8_t> good = writeS3m(spec);
  auto refused = [&](std::vector<std::uint8_t> bytes) {
    music::Song* song = player_.loadSongFromMemory(bytes.data(), bytes.size());
    if (song) player_.freeSong(song);
    return song == nullptr;
  };
  std::vector<std::uint8_t> manyPatterns = good;
  manyPatterns[36] = 0xFF, manyPatterns[37] = 0xFF;
  EXPECT_TRUE(refused(manyPatterns));
  std::vector<std::uint8_t> noChannels = good;
  for (int i = 64; i < 96; ++i) noChannels[static_cast<std::size_t>(i)] = 255;
  EXPECT_TRUE(refused(noChannels));
  // A sample header beyond the end; a pattern pointer beyond the end is an empty pattern.
  std::vector<std::uint8_t> farSample = good;
  farSample[97] = 0xFF, farSample[98] = 0x7F;
  EXPECT_TRUE(refused(farSample));
  std::vector<std::uint8_t> farPattern = good;
  farPattern[99] = 0xFF, farPattern[100] = 0x7F;
  EXPECT_FALSE(refused(farPattern));
  std::vector<std::uint8_t> cut(good.begin(), good.begin() + 100);
  EXPECT_TRUE(refused(cut));
}

}  // namespace
}  // namespace korvo::sound::test
