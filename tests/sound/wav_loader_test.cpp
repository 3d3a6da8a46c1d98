// WAV loading from files built in code: PCM depths and layouts, chunk padding, sampler
// loops, cue points with labels, the extensible format, codec conversion and bad files.
#include <gtest/gtest.h>

#include "sound/formats/format_loaders.h"
#include "sound_builders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;
using test::fmtBody;
using test::riffChunk;
using test::riffWave;

constexpr std::uint32_t kRequested = 0x2130;  // 16-bit mono 2D software, as LoadSound asks

EngineError decode(const Bytes& bytes, DecodedAudio& out, std::uint32_t mode = kRequested) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, mode, out);
}

std::vector<std::int16_t> samples16(const DecodedAudio& a) {
  std::vector<std::int16_t> s(a.pcm.size() / 2);
  std::memcpy(s.data(), a.pcm.data(), s.size() * 2);
  return s;
}

TEST(WavLoaderTest, EightBitMonoIsFlaggedUnsignedAndKeepsOtherRequestedBits) {
  DecodedAudio a;
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 22050, 8)), riffChunk("data", {0x80, 0xFF, 0x00})}), a),
            EngineError::kNone);
  EXPECT_EQ(a.rate, 22050);
  EXPECT_EQ(a.bits, 8);
  EXPECT_EQ(a.frames, 3);
  EXPECT_EQ(a.mode, 0x2000u | 0x8 | 0x20 | 0x80);
  EXPECT_EQ(a.sourceMode & 0x80u, 0x80u);  // the upload subtracts 128
  EXPECT_EQ(a.pcm, (Bytes{0x80, 0xFF, 0x00}));
  EXPECT_EQ(a.pan(), 128);
  EXPECT_FALSE(a.loopFound);
  EXPECT_EQ(a.loopStart, 0);
  EXPECT_EQ(a.loopEnd, 2);
}

TEST(WavLoaderTest, SixteenBitStereoCountsFramesAndDropsAPartialOne) {
  DecodedAudio a;
  const Bytes data = test::pcm16({1, -1, 1000, -1000, 7});
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 2, 44100, 16)), riffChunk("data", data)}), a),
            EngineError::kNone);
  EXPECT_EQ(a.frames, 2);
  EXPECT_EQ(a.mode, 0x2000u | 0x10 | 0x40 | 0x100);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{1, -1, 1000, -1000}));
  EXPECT_EQ(a.pan(), -1);
}

TEST(WavLoaderTest, ChunkPaddingIsHonouredAndUnknownChunksSkipped) {
  DecodedAudio a;
  const Bytes wav = riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 16)), riffChunk("junk", {1, 2, 3}),
                              riffChunk("fact", {4, 0, 0, 0}), riffChunk("data", test::pcm16({5, 6}))});
  ASSERT_EQ(decode(wav, a), EngineError::kNone);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{5, 6}));
}

TEST(WavLoaderTest, DataBeforeFormatAndDataLongerThanTheFileAreTaken) {
  DecodedAudio a;
  Bytes wav =
      riffWave({riffChunk("data", test::pcm16({9, 8, 7}), true, 1000), riffChunk("fmt ", fmtBody(1, 1, 8000, 16))});
  // The claimed size swallows the format chunk: the walk ends there, without a format.
  EXPECT_EQ(decode(wav, a), EngineError::kUnrecognised);
  wav = riffWave(
      {riffChunk("fmt ", fmtBody(1, 1, 8000, 16)), riffChunk("data", test::pcm16({9, 8, 7}), true, 0x7FFFFFF0)});
  ASSERT_EQ(decode(wav, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 3);
  // A streamed file: the data size is unknown (all ones) and the RIFF size 0.
  wav =
      riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 16)), riffChunk("data", test::pcm16({1, 2}), true, 0xFFFFFFFF)});
  wav[4] = wav[5] = wav[6] = wav[7] = 0;
  ASSERT_EQ(decode(wav, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 2);
}

TEST(WavLoaderTest, SamplerLoopSetsLoopPointsUnlessItIsZeroToZero) {
  DecodedAudio a;
  const Bytes data(200, 0x80);
  const auto withLoop = [&](std::uint32_t loops, std::uint32_t start, std::uint32_t end) {
    return riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 8)), riffChunk("smpl", test::smplBody(loops, start, end)),
                     riffChunk("data", data)});
  };
  ASSERT_EQ(decode(withLoop(1, 20, 150), a), EngineError::kNone);
  EXPECT_TRUE(a.loopFound);
  EXPECT_EQ(a.loopStart, 20);
  EXPECT_EQ(a.loopEnd, 150);
  ASSERT_EQ(decode(withLoop(1, 0, 0), a), EngineError::kNone);
  EXPECT_FALSE(a.loopFound);
  EXPECT_EQ(a.loopEnd, 199);
  ASSERT_EQ(decode(withLoop(0, 20, 150), a), EngineError::kNone);  // a sampler chunk without loops
  EXPECT_FALSE(a.loopFound);
  ASSERT_EQ(decode(withLoop(1, 20, 5000), a), EngineError::kNone);  // cut to the data
  EXPECT_EQ(a.loopEnd, 199);
  ASSERT_EQ(decode(withLoop(1, 300, 5000), a), EngineError::kNone);  // nothing left of it
  EXPECT_FALSE(a.loopFound);
}

TEST(WavLoaderTest, CuePointsAreSortedAndNamedByTheirLabels) {
  DecodedAudio a;
  Bytes adtl;
  test::putId(adtl, "adtl");
  test::append(adtl, test::labl(2, "early"));
  test::append(adtl, test::labl(1, "late"));
  test::append(adtl, test::labl(9, "orphan"));
  const Bytes wav =
      riffWave({riffChunk("LIST", adtl), riffChunk("fmt ", fmtBody(1, 1, 8000, 8)),
                riffChunk("cue ", test::cueBody({{1, 90}, {2, 10}, {3, 10}})), riffChunk("data", Bytes(100, 0))});
  ASSERT_EQ(decode(wav, a), EngineError::kNone);
  ASSERT_EQ(a.cues.size(), 3u);
  EXPECT_EQ(a.cues[0].position, 10u);
  EXPECT_EQ(a.cues[0].name, "early");
  EXPECT_EQ(a.cues[1].position, 10u);
  EXPECT_EQ(a.cues[1].name, "");
  EXPECT_EQ(a.cues[2].position, 90u);
  EXPECT_EQ(a.cues[2].name, "late");
}

TEST(WavLoaderTest, AbsurdCueCountsAreBoundedByTheChunk) {
  DecodedAudio a;
  Bytes cue = test::cueBody({{1, 5}});
  cue[0] = cue[1] = cue[2] = cue[3] = 0xFF;
  const Bytes wav =
      riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 8)), riffChunk("cue ", cue), riffChunk("data", Bytes(10, 0))});
  ASSERT_EQ(decode(wav, a), EngineError::kNone);
  EXPECT_EQ(a.cues.size(), 1u);
}

TEST(WavLoaderTest, ExtensiblePcmAndWideSamplesBecomeSixteenBit) {
  DecodedAudio a;
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", test::extensibleFmtBody(1, 2, 48000, 16)),
                             riffChunk("data", test::pcm16({3, 4}))}),
                   a),
            EngineError::kNone);
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{3, 4}));
  // 24-bit: the top two bytes of each sample.
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 48000, 24)),
                             riffChunk("data", {0x11, 0x34, 0x12, 0x22, 0xFF, 0xFF})}),
                   a),
            EngineError::kNone);
  EXPECT_EQ(a.bits, 16);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{0x1234, -1}));
}

TEST(WavLoaderTest, MuLawAndALawAreConvertedToSixteenBit) {
  DecodedAudio a;
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(7, 1, 8000, 8)), riffChunk("fact", {4, 0, 0, 0}),
                             riffChunk("data", {0xFF, 0x80, 0x00, 0x7F})}),
                   a),
            EngineError::kNone);
  EXPECT_EQ(a.bits, 16);
  EXPECT_EQ(a.rate, 8000);
  EXPECT_EQ(a.mode, 0x2000u | 0x10 | 0x20 | 0x100);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{0, 32124, -32124, 0}));
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(6, 2, 8000, 8)), riffChunk("data", {0xAA, 0x2A})}), a),
            EngineError::kNone);
  EXPECT_EQ(a.frames, 1);
  EXPECT_EQ(samples16(a), (std::vector<std::int16_t>{32256, -32256}));
}

TEST(WavLoaderTest, FloatSamplesBeyondFullScaleSaturateInsteadOfWrapping) {
  Bytes data;
  for (float v : {0.5f, 1.5f, -1.5f, -0.25f}) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    test::putLe32(data, bits);
  }
  DecodedAudio a;
  ASSERT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(3, 1, 22050, 32)), riffChunk("data", data)}), a),
            EngineError::kNone);
  const std::vector<std::int16_t> s = samples16(a);
  ASSERT_EQ(s.size(), 4u);
  EXPECT_NEAR(s[0], 16384, 1);
  EXPECT_EQ(s[1], 32767);
  EXPECT_EQ(s[2], -32768);
  EXPECT_NEAR(s[3], -8192, 1);
}

TEST(WavLoaderTest, UnconvertibleAndMalformedFilesAreRefused) {
  DecodedAudio a;
  const Bytes data = test::pcm16({1, 2});
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(0x1234, 1, 8000, 16)), riffChunk("data", data)}), a),
            EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 16))}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("data", data)}), a), EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 0, 16)), riffChunk("data", data)}), a),
            EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 0, 8000, 16)), riffChunk("data", data)}), a),
            EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 6, 8000, 16)), riffChunk("data", data)}), a),
            EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 40)), riffChunk("data", data)}), a),
            EngineError::kUnrecognised);
  EXPECT_EQ(decode(riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 16)), riffChunk("data", {})}), a),
            EngineError::kInvalidArgument);
  EXPECT_TRUE(a.pcm.empty());
}

TEST(WavLoaderTest, EveryTruncationAndCorruptSizeEndsCleanly) {
  Bytes adtl;
  test::putId(adtl, "adtl");
  test::append(adtl, test::labl(1, "x"));
  const Bytes wav = riffWave({riffChunk("fmt ", fmtBody(1, 2, 22050, 16)), riffChunk("smpl", test::smplBody(1, 1, 3)),
                              riffChunk("cue ", test::cueBody({{1, 2}})), riffChunk("LIST", adtl),
                              riffChunk("data", test::pcm16({1, 2, 3, 4, 5, 6, 7, 8}))});
  for (std::size_t n = 0; n <= wav.size(); ++n) {
    DecodedAudio a;
    const EngineError code = decode(Bytes(wav.begin(), wav.begin() + static_cast<std::ptrdiff_t>(n)), a);
    EXPECT_TRUE(code == EngineError::kNone || code == EngineError::kUnrecognised ||
                code == EngineError::kInvalidArgument)
        << n;
    EXPECT_EQ(a.pcm.size(), static_cast<std::size_t>(a.frames) * 4) << n;
  }
  for (std::size_t at = 4; at + 4 <= wav.size(); ++at) {
    Bytes bad = wav;
    bad[at] = bad[at + 1] = bad[at + 2] = 0xFF;
    bad[at + 3] = 0x7F;
    DecodedAudio a;
    decode(bad, a);
    EXPECT_LE(a.pcm.size(), wav.size() * 64) << at;
  }
}

}  // namespace
}  // namespace korvo::sound::formats
