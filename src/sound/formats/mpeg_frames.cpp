// MPEG audio frame headers and detection. The tables are the standard's: bit rates by
// version and layer, sample rates by version.
#include "sound/formats/mpeg_frames.h"

#include <algorithm>
#include <array>
#include <vector>

#include "sound/formats/byte_reader.h"
#include "sound/formats/riff_chunks.h"

namespace korvo::sound::formats {
namespace {

constexpr std::int64_t kScanBytes = 4096;
constexpr std::int64_t kTagBlock = 128;

// kbit/s by [table][index - 1]; tables: MPEG-1 layers I, II, III, then MPEG-2/2.5 layer I
// and layers II and III.
constexpr std::array<std::array<int, 14>, 5> kBitrates{{
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
}};

// Hz by [version bits][rate index]; version bits 1 is reserved.
constexpr std::array<std::array<int, 3>, 4> kRates{
    {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}}};

constexpr std::array<int, 4> kVersions{25, 0, 20, 10};

// The size of the ID3v2 tag that starts at p (header, body and footer).
std::int64_t id3Size(const std::uint8_t* p) {
  const std::int64_t body = (p[6] & 0x7F) << 21 | (p[7] & 0x7F) << 14 | (p[8] & 0x7F) << 7 | (p[9] & 0x7F);
  return 10 + body + (p[5] & 0x10 ? 10 : 0);
}

bool sameStream(const MpegHeader& a, const MpegHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

// Skips leading TAG and ID3 blocks; returns the offset after them.
std::int64_t skipTags(SoundFile& file) {
  std::array<std::uint8_t, 10> head{};
  std::int64_t at = 0;
  file.seek(0, SeekFrom::kStart);
  if (file.read(head.data(), 1, 3) == 3 && head[0] == 'T' && head[1] == 'A' && head[2] == 'G') return kTagBlock;
  for (;;) {
    file.seek(at, SeekFrom::kStart);
    if (file.read(head.data(), 1, head.size()) != head.size() || head[0] != 'I' || head[1] != 'D' || head[2] != '3')
      return at;
    at += id3Size(head.data());
  }
}

}  // namespace

bool parseMpegHeader(const std::uint8_t* p, MpegHeader& header) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int versionBits = p[1] >> 3 & 3;
  const int layerBits = p[1] >> 1 & 3;
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = p[2] >> 2 & 3;
  if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
      (p[3] & 3) == 2)
    return false;
  header.version = kVersions[versionBits];
  header.layer = 4 - layerBits;
  const bool mpeg1 = header.version == 10;
  const int table = mpeg1 ? header.layer - 1 : header.layer == 1 ? 3 : 4;
  header.bitrate = kBitrates[table][bitrateIndex - 1];
  header.rate = kRates[versionBits][rateIndex];
  header.channels = (p[3] >> 6) == 3 ? 1 : 2;
  const int padding = p[2] >> 1 & 1;
  const int bits = header.bitrate * 1000;
  if (header.layer == 1) header.frameBytes = (12 * bits / header.rate + padding) * 4;
  else if (header.layer == 3 && !mpeg1) header.frameBytes = 72 * bits / header.rate + padding;
  else header.frameBytes = 144 * bits / header.rate + padding;
  return true;
}

bool findMpegStart(SoundFile& file, MpegStart& start) {
  std::int64_t at = skipTags(file);
  std::int64_t end = file.length();
  std::array<std::uint8_t, 4> sign{};
  file.seek(at, SeekFrom::kStart);
  const ByteReader signature(sign.data(), sign.size());
  if (file.read(sign.data(), 1, 4) == 4 && (signature.matches(0, "OggS") || signature.matches(0, "FORM"))) return false;
  RiffWave wave;
  if (at == 0 && readRiffWave(file, wave)) {
    // Only a wrapper that declares MPEG data is searched: PCM samples can look like headers.
    if (!wave.haveFormat || !wave.haveData || (wave.tag != kWaveTagMpeg && wave.tag != kWaveTagMpegLayer3))
      return false;
    at = wave.dataOffset;
    end = wave.dataOffset + wave.dataSize;
  }
  if (at >= end) return false;
  std::vector<std::uint8_t> window(static_cast<std::size_t>(std::min(kScanBytes + 3, end - at)));
  file.seek(at, SeekFrom::kStart);
  window.resize(file.read(window.data(), 1, window.size()));
  for (std::size_t i = 0; i + 4 <= window.size() && i < kScanBytes; ++i) {
    MpegHeader first;
    if (!parseMpegHeader(&window[i], first)) continue;
    const std::int64_t next = at + static_cast<std::int64_t>(i) + first.frameBytes;
    std::array<std::uint8_t, 4> following{};
    MpegHeader second;
    if (next + 4 > end || !file.seek(next, SeekFrom::kStart) || file.read(following.data(), 1, 4) != 4 ||
        !parseMpegHeader(following.data(), second) || !sameStream(first, second))
      continue;
    start.header = first;
    start.offset = at + static_cast<std::int64_t>(i);
    start.end = end;
    return true;
  }
  return false;
}

}  // namespace korvo::sound::formats
