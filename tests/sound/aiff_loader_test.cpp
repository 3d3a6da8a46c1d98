// AIFF loading from files built in code: the 80-bit rate, byte order, 8-bit data taken as
// it stands, the sustain loop through markers, chunk padding and bad files.
#include <gtest/gtest.h>

#include "sound/formats/format_loaders.h"
#include "sound_builders.h"

namespace korvo::sound::formats {
namespace {

using test::aiffForm;
using test::Bytes;
using test::commBody;
using test::iffChunk;
using test::ssndBody;

EngineError decode(const Bytes& bytes, DecodedAudio& out, std::uint32_t mode = 0x2130) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, mode, out);
}

Bytes markBody(std::initializer_list<std::tuple<std::uint16_t, std::uint32_t, std::string>> markers) {
  Bytes b;
  test::putBe16(b, static_cast<std::uint32_t>(markers.size()));
  for (const auto& [id, position, name] : markers) {
    test::putBe16(b, id);
    test::putBe32(b, position);
    b.push_back(static_cast<std::uint8_t>(name.size()));
    b.insert(b.end(), name.begin(), name.end());
    if (name.size() % 2 == 0) b.push_back(0);
  }
  return b;
}

Bytes instBody(std::uint16_t playMode, std::uint16_t begin, std::uint16_t end) {
  Bytes b(8, 0);
  test::putBe16(b, playMode);
  test::putBe16(b, begin);
  test::putBe16(b, end);
  b.resize(20, 0);
  return b;
}

TEST(AiffLoaderTest, SixteenBitBigEndianSamplesAndTheExtendedRate) {
  DecodedAudio a;
  const Bytes data = {0x12, 0x34, 0xFF, 0xFE, 0x00, 0x01, 0x80, 0x00};
  ASSERT_EQ(decode(aiffForm({iffChunk("COMM", commBody(2, 2, 16, 22050)), iffChunk("SSND", ssndBody(data))}), a),
            EngineError::kNone);
  EXPECT_EQ(a.rate, 22050);
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(a.frames, 2);
  EXPECT_EQ(a.mode, 0x2000u | 0x10 | 0x40 | 0x100);
  std::int16_t s[4];
  std::memcpy(s, a.pcm.data(), sizeof s);
  EXPECT_EQ(s[0], 0x1234);
  EXPECT_EQ(s[1], -2);
  EXPECT_EQ(s[2], 1);
  EXPECT_EQ(s[3], -32768);
  for (double rate : {8000.0, 11025.0, 44100.0, 96000.0, 22254.5454}) {
    ASSERT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 1, 16, rate)), iffChunk("SSND", ssndBody({0, 0}))}), a),
              EngineError::kNone);
    EXPECT_EQ(a.rate, static_cast<int>(rate));
  }
}

TEST(AiffLoaderTest, EightBitDataIsFlaggedUnsignedButLoadedAsIs) {
  DecodedAudio a;
  ASSERT_EQ(
      decode(aiffForm({iffChunk("COMM", commBody(1, 3, 8, 11025)), iffChunk("SSND", ssndBody({0x7F, 0x80, 0x00}))}), a),
      EngineError::kNone);
  EXPECT_EQ(a.mode & 0x1F8u, 0x8u | 0x20 | 0x80);
  EXPECT_EQ(a.sourceMode & 0x80u, 0u);
  EXPECT_EQ(a.pcm, (Bytes{0x7F, 0x80, 0x00}));
}

TEST(AiffLoaderTest, SoundDataOffsetAndFrameCountBoundTheData) {
  DecodedAudio a;
  ASSERT_EQ(
      decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 8000)), iffChunk("SSND", ssndBody({1, 2, 3, 4}, 3))}), a),
      EngineError::kNone);
  EXPECT_EQ(a.pcm, (Bytes{1, 2}));  // two frames, after the three offset bytes
  ASSERT_EQ(
      decode(aiffForm({iffChunk("COMM", commBody(1, 0xFFFFFFFF, 8, 8000)), iffChunk("SSND", ssndBody({1, 2, 3}))}), a),
      EngineError::kNone);
  EXPECT_EQ(a.frames, 3);  // the data present, not the count claimed
}

TEST(AiffLoaderTest, SustainLoopComesFromMarkersMatchedById) {
  DecodedAudio a;
  const Bytes file = aiffForm({iffChunk("COMM", commBody(1, 100, 8, 8000)),
                               iffChunk("MARK", markBody({{7, 60, "end"}, {3, 10, "beg"}, {9, 500, "late"}})),
                               iffChunk("INST", instBody(1, 3, 7)), iffChunk("SSND", ssndBody(Bytes(100, 0)))});
  ASSERT_EQ(decode(file, a), EngineError::kNone);
  EXPECT_TRUE(a.loopFound);
  EXPECT_EQ(a.loopStart, 10);
  EXPECT_EQ(a.loopEnd, 59);  // the end marker follows the loop
  ASSERT_EQ(a.cues.size(), 3u);
  EXPECT_EQ(a.cues[0].name, "beg");
  EXPECT_EQ(a.cues[1].name, "end");
  EXPECT_EQ(a.cues[2].position, 99u);  // beyond the frames: the last one
  const Bytes noLoop =
      aiffForm({iffChunk("COMM", commBody(1, 100, 8, 8000)), iffChunk("MARK", markBody({{1, 10, "a"}, {2, 60, "bc"}})),
                iffChunk("INST", instBody(0, 1, 2)), iffChunk("SSND", ssndBody(Bytes(100, 0)))});
  ASSERT_EQ(decode(noLoop, a), EngineError::kNone);
  EXPECT_FALSE(a.loopFound);  // play mode 0: no sustain loop
  EXPECT_EQ(a.loopEnd, 99);
}

TEST(AiffLoaderTest, OddChunksArePaddedAndUnpaddedWritersStillRead) {
  DecodedAudio a;
  const Bytes ssnd = iffChunk("SSND", ssndBody({5, 6}));
  ASSERT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 8000)), iffChunk("NAME", {'a', 'b', 'c'}), ssnd}), a),
            EngineError::kNone);
  EXPECT_EQ(a.pcm, (Bytes{5, 6}));
  ASSERT_EQ(
      decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 8000)), iffChunk("NAME", {'a', 'b', 'c'}, false), ssnd}), a),
      EngineError::kNone);
  EXPECT_EQ(a.pcm, (Bytes{5, 6}));
}

TEST(AiffLoaderTest, MissingPiecesAndBadValuesAreRefused) {
  DecodedAudio a;
  const Bytes ssnd = iffChunk("SSND", ssndBody({1, 2}));
  EXPECT_EQ(decode(aiffForm({ssnd}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 8000))}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(aiffForm({iffChunk("COMM", commBody(0, 2, 8, 8000)), ssnd}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 2, 0, 8000)), ssnd}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 0)), ssnd}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(aiffForm({iffChunk("COMM", commBody(1, 2, 8, 1e300)), ssnd}), a), EngineError::kUnrecognised);
  Bytes aifc = aiffForm({iffChunk("COMM", commBody(1, 2, 8, 8000)), ssnd});
  aifc[11] = 'C';
  EXPECT_EQ(decode(aifc, a), EngineError::kUnrecognised);
}

TEST(AiffLoaderTest, EveryTruncationAndCorruptionEndsCleanly) {
  const Bytes file =
      aiffForm({iffChunk("COMM", commBody(2, 4, 16, 44100)), iffChunk("MARK", markBody({{1, 1, "a"}, {2, 3, "b"}})),
                iffChunk("INST", instBody(1, 1, 2)), iffChunk("SSND", ssndBody(Bytes(16, 1)))});
  for (std::size_t n = 0; n <= file.size(); ++n) {
    DecodedAudio a;
    const EngineError code = decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), a);
    EXPECT_TRUE(code == EngineError::kNone || code == EngineError::kUnrecognised ||
                code == EngineError::kInvalidArgument)
        << n;
  }
  for (std::size_t at = 4; at + 2 <= file.size(); ++at) {
    Bytes bad = file;
    bad[at] = bad[at + 1] = 0xFF;
    DecodedAudio a;
    decode(bad, a);
    EXPECT_LE(a.pcm.size(), file.size()) << at;
  }
}

}  // namespace
}  // namespace korvo::sound::formats
