// The order of the loaders and raw loading: raw data in the caller's format, content (not
// name) choosing the loader, and unrecognised data.
#include <gtest/gtest.h>

#include "sound/formats/format_loaders.h"
#include "sound_builders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;

EngineError decode(const Bytes& bytes, std::uint32_t mode, DecodedAudio& out) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, mode, out);
}

TEST(RawLoaderTest, LengthInFramesFollowsDepthAndChannels) {
  DecodedAudio a;
  const Bytes ten = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0};
  ASSERT_EQ(decode(ten, 0x10000 | 0x10 | 0x40, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 2);  // 10 / 2 / 2
  EXPECT_EQ(a.pcm.size(), 8u);
  EXPECT_EQ(a.rate, 44100);
  EXPECT_EQ(a.pan(), -1);
  EXPECT_EQ(a.loopEnd, 1);
  ASSERT_EQ(decode(ten, 0x10000, a), EngineError::kNone);  // no depth or channels given: 8-bit mono
  EXPECT_EQ(a.frames, 10);
  EXPECT_EQ(a.pan(), 128);
}

TEST(RawLoaderTest, TheRequestedConventionsTravelToTheUpload) {
  DecodedAudio a;
  const std::uint32_t mode = 0x10000 | 0x8 | 0x20 | 0x80 | 0x200;
  ASSERT_EQ(decode({0x80, 0x01, 0x01}, mode, a), EngineError::kNone);
  EXPECT_EQ(a.mode, mode);
  EXPECT_EQ(a.sourceMode, mode);
  EXPECT_EQ(a.pcm, (Bytes{0x80, 0x01, 0x01}));
}

TEST(RawLoaderTest, EmptyAndTooShortFilesAreRefused) {
  DecodedAudio a;
  EXPECT_EQ(decode({}, 0x10000, a), EngineError::kRawEmpty);
  EXPECT_EQ(decode({1, 2, 3}, 0x10000 | 0x10 | 0x40, a), EngineError::kInvalidArgument);  // no whole frame
}

TEST(DecodeOrderTest, ContentPicksTheLoaderAndJunkIsNotRecognised) {
  DecodedAudio a;
  const Bytes wav =
      test::riffWave({test::riffChunk("fmt ", test::fmtBody(1, 1, 8000, 8)), test::riffChunk("data", {1, 2})});
  ASSERT_EQ(decode(wav, 0x2130, a), EngineError::kNone);
  EXPECT_EQ(a.bits, 8);
  // Raw mode takes even a WAV file as data.
  ASSERT_EQ(decode(wav, 0x10000 | 0x8, a), EngineError::kNone);
  EXPECT_EQ(a.frames, static_cast<std::int32_t>(wav.size()));
  EXPECT_EQ(decode(Bytes(5000, 0x55), 0x2130, a), EngineError::kUnrecognised);
  EXPECT_EQ(decode({}, 0x2130, a), EngineError::kUnrecognised);
  Bytes fakeOgg = {'O', 'g', 'g', 'S'};
  fakeOgg.resize(400, 0);
  EXPECT_EQ(decode(fakeOgg, 0x2130, a), EngineError::kUnrecognised);
}

}  // namespace
}  // namespace korvo::sound::formats
