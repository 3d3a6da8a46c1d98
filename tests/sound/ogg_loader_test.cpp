// Ogg Vorbis loading from streams encoded in the test: plain streams and chained ones whose
// later links change the layout.
#include <gtest/gtest.h>

#include <cstring>

#include "sound/formats/format_loaders.h"
#include "test_encoders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;

// One Ogg Vorbis stream (a link of a chain when appended to another) of frames of noise.
Bytes encodeVorbis(int rate, int channels, int frames, int serial) {
  test::Pcm noise{rate, channels, std::vector<std::int16_t>(static_cast<std::size_t>(frames * channels))};
  std::uint32_t state = 12345;
  for (std::int16_t& s : noise.samples) {
    state = state * 1103515245u + 12345u;
    s = static_cast<std::int16_t>((static_cast<std::int32_t>(state >> 16) - 32768) / 2);
  }
  return test::encodeVorbis(noise, serial);
}

EngineError decode(const Bytes& bytes, DecodedAudio& out) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, 0x2130, out);
}

TEST(OggLoaderTest, ChainedStreamsEndWhereTheLayoutChanges) {
  const Bytes first = encodeVorbis(22050, 1, 40000, 1);
  ASSERT_FALSE(first.empty());
  DecodedAudio a;
  ASSERT_EQ(decode(first, a), EngineError::kNone);
  EXPECT_EQ(a.rate, 22050);
  EXPECT_EQ(a.channels, 1);
  EXPECT_EQ(a.frames, 40000);

  // The same layout chained on continues the sound.
  Bytes chained = first;
  test::append(chained, encodeVorbis(22050, 1, 30000, 2));
  ASSERT_EQ(decode(chained, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 70000);

  // Another rate or channel count would play at the wrong speed or scramble the frames.
  for (const Bytes& other : {encodeVorbis(44100, 1, 30000, 3), encodeVorbis(22050, 2, 30000, 4)}) {
    chained = first;
    test::append(chained, other);
    ASSERT_EQ(decode(chained, a), EngineError::kNone);
    EXPECT_EQ(a.rate, 22050);
    EXPECT_EQ(a.channels, 1);
    EXPECT_EQ(a.frames, 40000);
  }
}

TEST(OggLoaderTest, AChainStartsWithItsFirstLinkEvenWhenThatIsOnePageLong) {
  Bytes chained = encodeVorbis(22050, 1, 2000, 1);
  test::append(chained, encodeVorbis(22050, 1, 30000, 2));
  DecodedAudio a;
  ASSERT_EQ(decode(chained, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 32000);
}

}  // namespace
}  // namespace korvo::sound::formats
