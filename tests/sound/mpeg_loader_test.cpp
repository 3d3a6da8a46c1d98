// MPEG audio: header parsing, detection after ID3 and TAG blocks and inside RIFF, the
// two-header rule within the first 4096 bytes, and decoding of frames built in code, which
// never writes to standard error.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "sound/formats/format_loaders.h"
#include "sound/formats/mpeg_frames.h"
#include "sound_builders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;

bool detect(const Bytes& bytes, MpegStart& start) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return findMpegStart(*file, start);
}

EngineError decode(const Bytes& bytes, DecodedAudio& out) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, 0x2130, out);
}

TEST(MpegFramesTest, HeadersGiveFrameSizesOfEachLayerAndVersion) {
  struct Case {
    std::uint8_t bytes[4];
    int version, layer, rate, channels, frameBytes;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x64}, 10, 3, 44100, 2, 417},  // 128 kbit/s layer III
      {{0xFF, 0xFB, 0x92, 0x64}, 10, 3, 44100, 2, 418},  // padded
      {{0xFF, 0xFD, 0x80, 0xC0}, 10, 2, 44100, 1, 417},  // layer II, mono
      {{0xFF, 0xFF, 0xE4, 0x00}, 10, 1, 48000, 2, 448},  // layer I, 448 kbit/s
      {{0xFF, 0xF3, 0x80, 0xC4}, 20, 3, 22050, 1, 208},  // MPEG-2 layer III, 64 kbit/s
      {{0xFF, 0xE3, 0x18, 0xC4}, 25, 3, 8000, 1, 72},    // MPEG-2.5, 8 kbit/s
  };
  for (const Case& c : cases) {
    MpegHeader h;
    ASSERT_TRUE(parseMpegHeader(c.bytes, h));
    EXPECT_EQ(h.version, c.version);
    EXPECT_EQ(h.layer, c.layer);
    EXPECT_EQ(h.rate, c.rate);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.frameBytes, c.frameBytes);
  }
  const std::uint8_t invalid[][4] = {
      {0xFF, 0xEB, 0x90, 0x64},  // reserved version
      {0xFF, 0xF9, 0x90, 0x64},  // reserved layer
      {0xFF, 0xFB, 0x00, 0x64},  // free format
      {0xFF, 0xFB, 0xF0, 0x64},  // bad bit rate
      {0xFF, 0xFB, 0x9C, 0x64},  // reserved sample rate
      {0xFF, 0xFB, 0x90, 0x66},  // reserved emphasis
      {0xFE, 0xFB, 0x90, 0x64},  // no sync
  };
  for (const auto& bytes : invalid) {
    MpegHeader h;
    EXPECT_FALSE(parseMpegHeader(bytes, h));
  }
}

TEST(MpegFramesTest, TagsAreSkippedBeforeTheFirstFrame) {
  MpegStart start;
  Bytes file = test::id3Tag(300);
  test::append(file, test::id3Tag(20));
  test::append(file, test::silentMpegFrames(3));
  ASSERT_TRUE(detect(file, start));
  EXPECT_EQ(start.offset, 310 + 30);
  EXPECT_EQ(start.header.layer, 2);
  Bytes tagged(128, 0);
  tagged[0] = 'T', tagged[1] = 'A', tagged[2] = 'G';
  test::append(tagged, test::silentMpegFrames(2));
  ASSERT_TRUE(detect(tagged, start));
  EXPECT_EQ(start.offset, 128);
  // A tag larger than the file leaves nothing to find.
  Bytes huge = test::id3Tag(10);
  huge[6] = 0x7F;
  test::append(huge, test::silentMpegFrames(2));
  EXPECT_FALSE(detect(huge, start));
}

TEST(MpegFramesTest, TwoConsecutiveHeadersMustStartWithinTheFirst4096Bytes) {
  MpegStart start;
  EXPECT_FALSE(detect(test::silentMpegFrames(1), start));  // no second header
  Bytes inside(4095, 0);
  test::append(inside, test::silentMpegFrames(2));
  ASSERT_TRUE(detect(inside, start));
  EXPECT_EQ(start.offset, 4095);
  Bytes outside(4096, 0);
  test::append(outside, test::silentMpegFrames(2));
  EXPECT_FALSE(detect(outside, start));
  // A lone header before the real stream is passed over.
  Bytes stray = {0xFF, 0xFD, 0x80, 0xC0, 1, 2, 3};
  test::append(stray, test::silentMpegFrames(2));
  ASSERT_TRUE(detect(stray, start));
  EXPECT_EQ(start.offset, 7);
  // The second header must belong to the same stream.
  Bytes mixed = test::silentMpegFrames(1);
  const std::uint8_t other[] = {0xFF, 0xF3, 0x80, 0xC4};
  mixed.insert(mixed.end(), other, other + 4);
  mixed.resize(mixed.size() + 300, 0);
  EXPECT_FALSE(detect(mixed, start));
}

TEST(MpegFramesTest, RiffWrappersAreSearchedOnlyWhenTheyDeclareMpegData) {
  MpegStart start;
  const Bytes frames = test::silentMpegFrames(3);
  const Bytes wrapped =
      test::riffWave({test::riffChunk("fmt ", test::fmtBody(0x55, 1, 44100, 0)), test::riffChunk("data", frames)});
  ASSERT_TRUE(detect(wrapped, start));
  EXPECT_EQ(start.offset, 12 + 8 + 16 + 8);
  EXPECT_EQ(start.end, start.offset + static_cast<std::int64_t>(frames.size()));  // before the pad byte
  // PCM that happens to hold frame headers is a WAV file.
  const Bytes pcm =
      test::riffWave({test::riffChunk("fmt ", test::fmtBody(1, 1, 44100, 16)), test::riffChunk("data", frames)});
  EXPECT_FALSE(detect(pcm, start));
  DecodedAudio a;
  ASSERT_EQ(decode(pcm, a), EngineError::kNone);
  EXPECT_EQ(a.frames, static_cast<std::int32_t>(frames.size() / 2));
}

TEST(MpegLoaderTest, SilentFramesDecodeTo1152SamplesEach) {
  DecodedAudio a;
  Bytes file = test::id3Tag(64);
  test::append(file, test::silentMpegFrames(10));
  ASSERT_EQ(decode(file, a), EngineError::kNone);
  EXPECT_EQ(a.rate, 44100);
  EXPECT_EQ(a.channels, 1);
  EXPECT_EQ(a.bits, 16);
  EXPECT_EQ(a.mode, 0x2130u);
  EXPECT_EQ(a.frames, 10 * 1152);
  for (std::uint8_t b : a.pcm) ASSERT_EQ(b, 0);
}

TEST(MpegLoaderTest, DamagedStreamsDecodeWhatTheyCanWithoutFailing) {
  Bytes file = test::silentMpegFrames(20);
  for (std::size_t i = 1000; i < file.size(); i += 37) file[i] = static_cast<std::uint8_t>(i * 131);
  for (std::size_t n = 0; n <= file.size(); n += 97) {
    DecodedAudio a;
    const EngineError code = decode(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n)), a);
    EXPECT_TRUE(code == EngineError::kNone || code == EngineError::kUnrecognised ||
                code == EngineError::kInvalidArgument)
        << n;
    EXPECT_LE(a.frames, 20 * 1152) << n;
  }
}

// count frames of frameBytes under the header h, with noise for a body.
Bytes framesOf(std::array<std::uint8_t, 4> h, int frameBytes, int count) {
  Bytes b;
  std::uint32_t noise = 12345;
  for (int f = 0; f < count; ++f) {
    b.insert(b.end(), h.begin(), h.end());
    for (int i = 4; i < frameBytes; ++i)
      b.push_back(static_cast<std::uint8_t>((noise = noise * 1103515245 + 12345) >> 16));
  }
  return b;
}

// What is written on standard error while f runs.
template <typename F>
std::string standardErrorOf(F&& f) {
  std::fflush(stderr);
  std::FILE* capture = std::tmpfile();
  const int saved = ::dup(2);
  ::dup2(::fileno(capture), 2);
  f();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::string text(static_cast<std::size_t>(std::ftell(capture)), '\0');
  std::rewind(capture);
  text.resize(std::fread(text.data(), 1, text.size(), capture));
  std::fclose(capture);
  return text;
}

// Joint-stereo Layer II frames whose stereo bound passes their subband limit (8 subbands at
// 32 kbit/s and 44.1 kHz, 12 at 32 kHz): the decoder library would say so on standard error.
TEST(MpegLoaderTest, StereoBoundsPastTheSubbandLimitDecodeQuietlyAsIfAtTheLimit) {
  struct Case {
    std::array<std::uint8_t, 4> header, atTheLimit;
    int frameBytes;
  };
  const Case cases[] = {{{0xFF, 0xFD, 0x10, 0x70}, {0xFF, 0xFD, 0x10, 0x50}, 104},
                        {{0xFF, 0xFD, 0x18, 0x60}, {0xFF, 0xFD, 0x18, 0x60}, 144},
                        {{0xFF, 0xFD, 0x18, 0x70}, {0xFF, 0xFD, 0x18, 0x60}, 144}};
  for (const Case& c : cases) {
    Bytes file = framesOf(c.header, c.frameBytes, 40);
    // Junk between frames: the chain breaks and the frames after it are found again.
    file.insert(file.begin() + 20 * c.frameBytes, {0x00, 0x12, 0xFF});
    Bytes expected = framesOf(c.atTheLimit, c.frameBytes, 40);
    expected.insert(expected.begin() + 20 * c.frameBytes, {0x00, 0x12, 0xFF});
    DecodedAudio a, b;
    EXPECT_EQ(standardErrorOf([&] { ASSERT_EQ(decode(file, a), EngineError::kNone); }), "");
    ASSERT_EQ(decode(expected, b), EngineError::kNone);
    EXPECT_GT(a.frames, 30 * 1152);
    EXPECT_TRUE(a.pcm == b.pcm) << "the clamped frames decode otherwise than frames at the limit";
  }
}

// Frames the decoder library takes that our own header parser refuses or would measure
// otherwise: the library's own framing decides which headers are clamped.
TEST(MpegLoaderTest, FramesOnlyTheDecoderLibraryAcceptsAreClampedToo) {
  // Headers with a reserved emphasis, which our parser refuses.
  const auto emphasis = [](std::uint8_t bound) {
    Bytes file = framesOf({0xFF, 0xFD, 0x10, static_cast<std::uint8_t>(0x40 | bound)}, 104, 2);
    test::append(file, framesOf({0xFF, 0xFD, 0x10, static_cast<std::uint8_t>(0x42 | bound)}, 104, 30));
    return file;
  };
  // Free-format Layer I frames (measured by the library from header to header, not by ours),
  // the last holding a header-like run whose frame, by its header, would reach over the next
  // two Layer II frames.
  const auto freeFormat = [](std::uint8_t bound) {
    Bytes file = framesOf({0xFF, 0xFD, 0x10, static_cast<std::uint8_t>(0x40 | bound)}, 104, 2);
    for (int i = 0; i < 3; ++i) {
      test::append(file, Bytes{0xFF, 0xFF, 0x00, 0x00});
      file.resize(file.size() + 116, 0);
    }
    const std::uint8_t falseHeader[] = {0xFF, 0xFF, 0x62, 0x87};  // 212 bytes by its header
    std::copy_n(falseHeader, 4, file.end() - 60);
    test::append(file, framesOf({0xFF, 0xFD, 0x10, static_cast<std::uint8_t>(0x40 | bound)}, 104, 10));
    return file;
  };
  for (const auto& make : {+emphasis, +freeFormat}) {
    DecodedAudio a, b;
    EXPECT_EQ(standardErrorOf([&] { ASSERT_EQ(decode(make(0x30), a), EngineError::kNone); }), "");
    ASSERT_EQ(decode(make(0x10), b), EngineError::kNone);
    EXPECT_GE(a.frames, 12 * 1152);
    EXPECT_TRUE(a.pcm == b.pcm);
  }
}

// Every joint-stereo Layer II header, at every bit rate, sample rate and stereo bound.
TEST(MpegLoaderTest, NoJointStereoLayerTwoFrameIsNoisy) {
  for (std::uint8_t rates = 0x10; rates < 0xF0; rates += 4) {
    if ((rates & 0x0C) == 0x0C) continue;  // reserved sample rate
    for (std::uint8_t bound = 0; bound < 4; ++bound) {
      const std::array<std::uint8_t, 4> header{0xFF, 0xFD, rates, static_cast<std::uint8_t>(0x40 | bound << 4)};
      MpegHeader h;
      ASSERT_TRUE(parseMpegHeader(header.data(), h));
      DecodedAudio a;
      EXPECT_EQ(standardErrorOf([&] { ASSERT_EQ(decode(framesOf(header, h.frameBytes, 4), a), EngineError::kNone); }),
                "")
          << std::hex << int{rates} << " " << int{bound};
      EXPECT_GE(a.frames, 3 * 1152);
    }
  }
}

// Stretches the library finds no frame in, short and longer than what the loader holds back
// for its parser: the frames after them are still decoded, their headers clamped.
TEST(MpegLoaderTest, FramesAfterLongJunkAreStillDecoded) {
  for (std::size_t junk : {std::size_t{5000}, std::size_t{3} << 20}) {
    Bytes file = framesOf({0xFF, 0xFD, 0x10, 0x70}, 104, 10);
    file.resize(file.size() + junk, 0);
    test::append(file, framesOf({0xFF, 0xFD, 0x10, 0x60}, 104, 10));
    DecodedAudio a;
    EXPECT_EQ(standardErrorOf([&] { ASSERT_EQ(decode(file, a), EngineError::kNone); }), "");
    EXPECT_EQ(a.frames, 20 * 1152) << junk;
  }
}

// MPEG Layer 3 in a WAV whose data holds no pair of frames near its start is not found by MPEG
// detection and is decoded as compressed WAV data, by the same quiet decoder.
TEST(MpegLoaderTest, MpegWaveDataPastDetectionDecodesQuietly) {
  Bytes data(5000, 0);
  test::append(data, framesOf({0xFF, 0xFD, 0x10, 0x70}, 104, 20));
  test::append(data, framesOf({0xFF, 0xFB, 0x90, 0x64}, 417, 20));  // a damaged Layer III tail
  // The format record of MPEG Layer 3: id, flags, block size, frames per block, codec delay.
  Bytes format = test::fmtBody(0x55, 2, 44100, 0);
  test::append(format, Bytes{12, 0, 1, 0, 2, 0, 0, 0, 0xA1, 1, 1, 0, 0x71, 5});
  const Bytes wave = test::riffWave({test::riffChunk("fmt ", format), test::riffChunk("data", data)});
  MpegStart start;
  ASSERT_FALSE(detect(wave, start));
  DecodedAudio a;
  EXPECT_EQ(standardErrorOf([&] { ASSERT_EQ(decode(wave, a), EngineError::kNone); }), "");
  EXPECT_EQ(a.rate, 44100);
  EXPECT_EQ(a.channels, 2);
  EXPECT_GE(a.frames, 20 * 1152);
}

}  // namespace
}  // namespace korvo::sound::formats
