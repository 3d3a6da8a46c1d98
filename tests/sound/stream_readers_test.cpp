// The readers streams decode files through: the same sound in each format decodes alike,
// detection finds (and refuses) what it should, positions land on read blocks, and damaged
// files play what they hold and end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "debian_files.h"
#include "sound/engine/sample.h"
#include "sound/formats/sound_decoder.h"
#include "sound/streams/media_decoder.h"
#include "test_encoders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;

// A file in memory and the reader the streams would pick for it.
struct Opened {
  std::unique_ptr<Bytes> bytes;
  std::unique_ptr<SoundFile> file;
  DecoderResult result;
};

Opened open(Bytes bytes, std::uint32_t modeWord = 0) {
  Opened o;
  o.bytes = std::make_unique<Bytes>(std::move(bytes));
  o.file = SoundFile::openMemory(o.bytes->data(), o.bytes->size());
  o.result = openStreamDecoder(*o.file, modeWord);
  return o;
}

// Everything the reader gives, read in pieces of step bytes, as 16-bit values.
std::vector<std::int16_t> readAll(SoundDecoder& decoder, std::size_t step = 6000) {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> piece(step);
  while (std::size_t got = decoder.read(piece.data(), piece.size()))
    bytes.insert(bytes.end(), piece.begin(), piece.begin() + got);
  if (decoder.format().bits == 16) return test::samples16(bytes);
  std::vector<std::int16_t> widened;
  for (std::uint8_t b : bytes) widened.push_back(static_cast<std::int16_t>(static_cast<std::int8_t>(b) * 256));
  return widened;
}

constexpr std::size_t kMp3Frame = 1152;

TEST(StreamReadersTest, TheSameSoundAsWavOggAndMp3DecodesToTheSameLengthAndSound) {
  const test::Pcm tune = test::testTune(44100, 2, 66150);
  Opened wav = open(test::encodeWav(tune));
  Opened ogg = open(test::encodeVorbis(tune));
  Opened mp3 = open(test::encodeMp3(tune));
  ASSERT_NE(wav.result.decoder, nullptr);
  ASSERT_NE(ogg.result.decoder, nullptr);
  ASSERT_NE(mp3.result.decoder, nullptr);
  const std::vector<std::int16_t> reference = readAll(*wav.result.decoder);
  EXPECT_EQ(reference, tune.samples);
  // An MP3's length counts its frames, the encoder's delay and padding among them.
  EXPECT_EQ(ogg.result.decoder->format().lengthMs, 1500);
  EXPECT_GE(mp3.result.decoder->format().lengthMs, 1500);
  EXPECT_LE(mp3.result.decoder->format().lengthMs, 1500 + 3 * 26);
  for (Opened* other : {&ogg, &mp3}) {
    const DecoderFormat& f = other->result.decoder->format();
    EXPECT_EQ(f.rate, 44100);
    EXPECT_EQ(f.channels, 2);
    const std::vector<std::int16_t> decoded =
        readAll(*other->result.decoder, 3000 + 4 * static_cast<std::size_t>(f.rate % 7));
    EXPECT_NEAR(static_cast<double>(decoded.size()) / 2, 66150.0, static_cast<double>(kMp3Frame));
    EXPECT_GT(test::bestCorrelation(reference, decoded, 2, 1200), 0.99);
  }
  EXPECT_EQ(ogg.result.decoder->format().dataLength, 66150 * 4);
}

TEST(StreamReadersTest, RealFilesInThreeFormatsAgree) {
  const std::string base = "/usr/share/doc/python-pygame-doc/examples/data/house_lo.";
  // The left (or only) channel of each.
  std::vector<std::vector<std::int16_t>> decoded;
  for (const char* ext : {"wav", "ogg", "mp3"}) {
    const std::string path = test::debianFile("python-pygame-doc", base + ext);
    if (path.empty()) GTEST_SKIP() << "python-pygame-doc cannot be had";
    auto file = SoundFile::open(path);
    ASSERT_NE(file, nullptr);
    DecoderResult r = openStreamDecoder(*file, 0);
    ASSERT_NE(r.decoder, nullptr) << ext;
    EXPECT_EQ(r.decoder->format().rate, 11025) << ext;
    const std::vector<std::int16_t> all = readAll(*r.decoder);
    std::vector<std::int16_t> left;
    for (std::size_t i = 0; i < all.size(); i += static_cast<std::size_t>(r.decoder->format().channels))
      left.push_back(all[i]);
    decoded.push_back(std::move(left));
  }
  // This MP3 carries no note of its encoder's delay and padding: they play as silence.
  for (std::size_t i = 1; i < decoded.size(); ++i) {
    EXPECT_NEAR(static_cast<double>(decoded[i].size()), static_cast<double>(decoded[0].size()), 2.0 * kMp3Frame);
    EXPECT_GT(test::bestCorrelation(decoded[0], decoded[i], 1, 1200), 0.99);
  }
}

TEST(StreamReadersTest, MpegIsFoundAfterId3TagsButNotWithoutAFramePairInTheFirst4096Bytes) {
  const Bytes mp3 = test::encodeMp3(test::testTune(22050, 1, 22050), 64);
  Bytes tagged = test::id3Tag(3000);
  test::append(tagged, test::id3Tag(500));
  test::append(tagged, mp3);
  Opened found = open(tagged);
  ASSERT_NE(found.result.decoder, nullptr);
  EXPECT_EQ(found.result.decoder->format().rate, 22050);
  EXPECT_EQ(found.result.decoder->format().channels, 1);
  EXPECT_NEAR(static_cast<double>(readAll(*found.result.decoder).size()), 22050.0, static_cast<double>(kMp3Frame));

  // 4096 bytes of no frame header, then the frames: not MPEG audio, and no other reader.
  Bytes late(4096, 0x55);
  test::append(late, mp3);
  EXPECT_EQ(open(late).result.code, EngineError::kUnrecognised);
}

TEST(StreamReadersTest, MpegLengthIsEstimatedOrCountedFrameByFrame) {
  const Bytes mp3 = test::encodeMp3(test::testTune(44100, 2, 88200));
  const std::int64_t estimated = open(mp3).result.decoder->format().lengthMs;
  const std::int64_t counted = open(mp3, mode::kAccurateLength).result.decoder->format().lengthMs;
  // Both count the encoder's delay and padding: up to three frames of 26 ms more.
  EXPECT_NEAR(static_cast<double>(estimated), 2040.0, 40.0);
  EXPECT_NEAR(static_cast<double>(counted), 2040.0, 40.0);
}

TEST(StreamReadersTest, PcmComesOutSignedInNativeOrder) {
  // 8-bit WAV data is unsigned, AIFF data big-endian, 24-bit data keeps its top 16 bits.
  Opened u8 = open(test::riffWave(
      {test::riffChunk("fmt ", test::fmtBody(1, 1, 8000, 8)), test::riffChunk("data", {0x80, 0xFF, 0x00})}));
  ASSERT_NE(u8.result.decoder, nullptr);
  std::int8_t bytes[4] = {};
  EXPECT_EQ(u8.result.decoder->read(bytes, 4), 3u);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 127);
  EXPECT_EQ(bytes[2], -128);

  Opened be = open(test::aiffForm({test::iffChunk("COMM", test::commBody(1, 2, 16, 22050)),
                                   test::iffChunk("SSND", test::ssndBody({0x12, 0x34, 0xFE, 0xDC}))}));
  ASSERT_NE(be.result.decoder, nullptr);
  EXPECT_EQ(readAll(*be.result.decoder), (std::vector<std::int16_t>{0x1234, -292}));

  Opened wide = open(test::riffWave({test::riffChunk("fmt ", test::fmtBody(1, 1, 48000, 24)),
                                     test::riffChunk("data", {0x11, 0x34, 0x12, 0x00, 0x00, 0x80})}));
  ASSERT_NE(wide.result.decoder, nullptr);
  EXPECT_EQ(readAll(*wide.result.decoder), (std::vector<std::int16_t>{0x1234, -32768}));

  // Raw data in the mode's own format: unsigned 16-bit stereo.
  Opened raw = open({0x00, 0x80, 0xFF, 0xFF, 0x00, 0x00, 0x34, 0x92, 1},
                    mode::kRaw | mode::k16Bits | mode::kStereo | mode::kUnsigned);
  ASSERT_NE(raw.result.decoder, nullptr);
  EXPECT_EQ(raw.result.decoder->format().readBlock, 2048);
  EXPECT_EQ(readAll(*raw.result.decoder), (std::vector<std::int16_t>{0, 32767, -32768, 0x1234}));
}

TEST(StreamReadersTest, PositionsAreWholeReadBlocksOfTheData) {
  const test::Pcm tune = test::testTune(44100, 1, 20000);
  Opened wav = open(test::encodeWav(tune));
  SoundDecoder& d = *wav.result.decoder;
  EXPECT_EQ(d.format().readBlock, 2048);
  EXPECT_EQ(d.format().dataLength, 40000);
  ASSERT_TRUE(d.seek(4096));
  std::int16_t first[2] = {};
  ASSERT_EQ(d.read(first, 4), 4u);
  EXPECT_EQ(first[0], tune.samples[2048]);
  EXPECT_EQ(first[1], tune.samples[2049]);

  // Ogg Vorbis reaches the frame the offset stands for by decoding up to it.
  Opened ogg = open(test::encodeVorbis(tune));
  const std::vector<std::int16_t> whole = readAll(*ogg.result.decoder);
  ASSERT_TRUE(ogg.result.decoder->seek(8192));
  const std::vector<std::int16_t> rest = readAll(*ogg.result.decoder);
  ASSERT_EQ(rest.size(), whole.size() - 4096);
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + 4096));
}

TEST(StreamReadersTest, DamagedFilesPlayWhatTheyHoldAndEnd) {
  const test::Pcm tune = test::testTune(22050, 2, 22050);
  // A WAV whose data chunk claims 0xFFFFFFFF bytes: what the file holds.
  Bytes pcm;
  for (std::int16_t v : tune.samples) test::putLe16(pcm, static_cast<std::uint16_t>(v));
  const Bytes claimed = test::riffWave(
      {test::riffChunk("fmt ", test::fmtBody(1, 2, 22050, 16)), test::riffChunk("data", pcm, true, 0xFFFFFFFF)});
  Opened huge = open(claimed);
  ASSERT_NE(huge.result.decoder, nullptr);
  EXPECT_EQ(huge.result.decoder->format().dataLength, static_cast<std::int64_t>(pcm.size()));
  EXPECT_EQ(readAll(*huge.result.decoder), tune.samples);

  // Truncated Ogg and MP3 (the Ogg past its headers): some sound, then the end.
  const test::Pcm longer = test::testTune(22050, 2, 4 * 22050);
  for (Bytes whole : {test::encodeVorbis(longer), test::encodeMp3(longer)}) {
    whole.resize(whole.size() * 2 / 3);
    Opened cut = open(whole);
    ASSERT_NE(cut.result.decoder, nullptr);
    const std::size_t frames = readAll(*cut.result.decoder).size() / 2;
    EXPECT_GT(frames, 22050u);
    EXPECT_LT(frames, 4u * 22050u);
  }

  // An Ogg stream that changes to one channel after its first link ends there.
  Bytes chained = test::encodeVorbis(tune, 1);
  test::append(chained, test::encodeVorbis(test::testTune(22050, 1, 22050), 2));
  Opened change = open(chained);
  ASSERT_NE(change.result.decoder, nullptr);
  EXPECT_EQ(readAll(*change.result.decoder).size(), 2u * 22050u);
  EXPECT_EQ(change.result.decoder->format().lengthMs, 1000);

  // An MP3 whose frames are mostly garbage: what survives decodes, and the reads end.
  Bytes mp3 = test::encodeMp3(tune);
  std::uint32_t noise = 7;
  for (std::size_t i = 2000; i < mp3.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    if ((i / 400) % 4 != 0) mp3[i] = static_cast<std::uint8_t>(noise >> 24);
  }
  Opened garbled = open(mp3);
  ASSERT_NE(garbled.result.decoder, nullptr);
  EXPECT_LE(readAll(*garbled.result.decoder, 4608).size() / 2, 22050u + kMp3Frame);
}

TEST(StreamReadersTest, OtherMediaDecodeThroughFfmpeg) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) / ("media-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const test::Pcm tune = test::testTune(48000, 2, 48000);
  for (const char* name : {"tune.flac", "tune.opus", "tune.m4a", "tune.wma"}) {
    const std::string path = (dir / name).string();
    ASSERT_TRUE(test::encodeMedia(tune, path)) << name;
    auto file = SoundFile::open(path);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(openStreamDecoder(*file, 0).code, EngineError::kUnrecognised)
        << name << " is for the media decoder alone";
    DecoderResult media = streams::openMediaDecoder(path);
    ASSERT_NE(media.decoder, nullptr) << name;
    EXPECT_EQ(media.decoder->format().rate, 48000);
    EXPECT_EQ(media.decoder->format().channels, 2);
    EXPECT_NEAR(static_cast<double>(media.decoder->format().lengthMs), 1000.0, 50.0) << name;
    const std::vector<std::int16_t> decoded = readAll(*media.decoder);
    EXPECT_NEAR(static_cast<double>(decoded.size()) / 2, 48000.0, 2048.0) << name;
    EXPECT_GT(test::bestCorrelation(tune.samples, decoded, 2, 1200), 0.98) << name;
    // Rewound, it plays again (an Opus stream's pre-skip then plays too).
    ASSERT_TRUE(media.decoder->seek(0));
    EXPECT_NEAR(static_cast<double>(readAll(*media.decoder).size()), static_cast<double>(decoded.size()), 1024.0)
        << name;
  }
  // Local files only: the hypertext scheme in any case, with slashes or backslashes.
  EXPECT_EQ(streams::openMediaDecoder("HTTP://localhost/tune.wma").code, EngineError::kUnrecognised);
  EXPECT_TRUE(streams::isNetworkName("hTtP:\\\\host\\tune.wma"));
  EXPECT_FALSE(streams::isNetworkName("http:/tune.wma"));
  EXPECT_EQ(streams::withoutFileScheme("file:///music/tune.wma"), "/music/tune.wma");
  EXPECT_EQ(streams::withoutFileScheme("FILE:///music/tune.wma"), "FILE:///music/tune.wma");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvo::sound::formats
