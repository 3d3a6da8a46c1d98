// AIFF: big-endian PCM with an 80-bit sample rate, a sustain loop (INST) that refers to
// markers (MARK), and the markers themselves as cue points.
#include <array>
#include <cmath>
#include <vector>

#include "sound/formats/byte_order.h"
#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"

namespace korvo::sound::formats {
namespace {

struct Marker {
  std::uint16_t id = 0;
  std::uint32_t position = 0;
  std::string name;
};

struct AiffLayout {
  int channels = 0;
  std::uint32_t frames = 0;
  int width = 0;  // bytes per sample, 1..4
  double rate = 0;
  bool haveSound = false;
  std::int64_t dataOffset = 0;
  std::int64_t dataSize = 0;
  bool haveLoop = false;
  std::uint16_t loopBegin = 0;  // marker ids
  std::uint16_t loopEnd = 0;
  std::vector<Marker> markers;
};

// An IEEE 754 80-bit extended number: sign and 15-bit exponent, 64-bit mantissa.
double extendedToDouble(const std::uint8_t* p) {
  const int exponent = (be16(p) & 0x7FFF) - 16383;
  const double value = std::ldexp(be32(p + 2), exponent - 31) + std::ldexp(be32(p + 6), exponent - 63);
  return be16(p) & 0x8000 ? -value : value;
}

bool printableId(const std::uint8_t* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

void readCommon(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 18> c{};
  if (size < 18 || file.read(c.data(), 1, c.size()) != c.size()) return;
  const int bits = be16(&c[6]);
  aiff.channels = be16(&c[0]);
  aiff.frames = be32(&c[2]);
  aiff.width = bits >= 1 && bits <= 32 ? (bits + 7) / 8 : 0;
  aiff.rate = extendedToDouble(&c[8]);
}

void readSound(SoundFile& file, std::int64_t body, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 8> s{};
  if (aiff.haveSound || size < 8 || file.read(s.data(), 1, s.size()) != s.size()) return;
  const std::int64_t skip = be32(&s[0]);
  if (skip > size - 8) return;
  aiff.haveSound = true;
  aiff.dataOffset = body + 8 + skip;
  aiff.dataSize = size - 8 - skip;
}

void readInstrument(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 20> i{};
  if (size < 20 || file.read(i.data(), 1, i.size()) != i.size()) return;
  aiff.haveLoop = be16(&i[8]) != 0;  // sustain loop play mode: 0 is no looping
  aiff.loopBegin = be16(&i[10]);
  aiff.loopEnd = be16(&i[12]);
}

void readMarkers(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 7> m{};
  if (size < 2 || file.read(m.data(), 1, 2) != 2) return;
  const int count = be16(&m[0]);
  const std::int64_t end = file.tell() - 2 + size;
  aiff.markers.clear();
  for (int n = 0; n < count && file.tell() + 7 <= end; ++n) {
    if (file.read(m.data(), 1, 7) != 7) break;
    Marker marker{be16(&m[0]), be32(&m[2]), std::string(m[6], '\0')};
    marker.name.resize(file.read(marker.name.data(), 1, marker.name.size()));
    if ((m[6] & 1) == 0) file.seek(1, SeekFrom::kCurrent);  // the counted name is padded to even
    aiff.markers.push_back(std::move(marker));
  }
}

bool readLayout(SoundFile& file, AiffLayout& aiff) {
  std::array<std::uint8_t, 12> head{};
  file.seek(0, SeekFrom::kStart);
  if (file.read(head.data(), 1, head.size()) != head.size() || !isId(head.data(), "FORM") || !isId(&head[8], "AIFF"))
    return false;
  const std::int64_t end = std::min(std::int64_t{be32(&head[4])} + 8, file.length());
  std::int64_t at = 12;
  while (at + 8 <= end) {
    file.seek(at, SeekFrom::kStart);
    if (file.read(head.data(), 1, 8) != 8) break;
    const std::int64_t size = be32(&head[4]);
    const std::int64_t body = at + 8;
    const std::int64_t present = std::min(size, file.length() - body);
    if (isId(head.data(), "COMM")) readCommon(file, present, aiff);
    else if (isId(head.data(), "SSND")) readSound(file, body, present, aiff);
    else if (isId(head.data(), "INST")) readInstrument(file, present, aiff);
    else if (isId(head.data(), "MARK")) readMarkers(file, present, aiff);
    at = body + size;
    // Odd chunks carry a pad byte; writers that leave it out are followed where the next id
    // only makes sense without it.
    std::array<std::uint8_t, 4> next{};
    if ((size & 1) && file.seek(at + 1, SeekFrom::kStart) && file.read(next.data(), 1, 4) == 4 && printableId(next.data()))
      ++at;
  }
  return true;
}

const Marker* findMarker(const AiffLayout& aiff, std::uint16_t id) {
  for (const Marker& marker : aiff.markers)
    if (marker.id == id) return &marker;
  return nullptr;
}

}  // namespace

EngineError loadAiff(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  AiffLayout aiff;
  if (!readLayout(file, aiff)) return EngineError::kUnrecognised;
  if (aiff.width == 0 || (aiff.channels != 1 && aiff.channels != 2) || !aiff.haveSound || !plausibleRate(aiff.rate))
    return EngineError::kUnrecognised;
  const std::int64_t frameBytes = std::int64_t{aiff.width} * aiff.channels;
  const std::int64_t frames = std::min<std::int64_t>(aiff.frames, aiff.dataSize / frameBytes);
  if (frames * frameBytes > static_cast<std::int64_t>(kMaxPcmBytes)) return EngineError::kOutOfMemory;
  out.pcm.assign(static_cast<std::size_t>(frames * frameBytes), 0);
  file.seek(aiff.dataOffset, SeekFrom::kStart);
  file.setBigEndian(true);
  file.read(out.pcm.data(), aiff.width == 2 ? 2 : 1, aiff.width == 2 ? out.pcm.size() / 2 : out.pcm.size());
  file.setBigEndian(false);
  if (aiff.width > 2) {
    const std::size_t samples = out.pcm.size() / static_cast<std::size_t>(aiff.width);
    for (std::size_t i = 0; i < samples; ++i) {
      const std::uint8_t high = out.pcm[i * aiff.width], low = out.pcm[i * aiff.width + 1];
      out.pcm[i * 2] = low;
      out.pcm[i * 2 + 1] = high;
    }
    out.pcm.resize(samples * 2);
  }
  const int bits = aiff.width == 1 ? 8 : 16;
  // 8-bit AIFF data is signed already: the sample is flagged unsigned, the data goes in as is.
  const EngineError code = finishDecode(out, requested, static_cast<int>(aiff.rate), bits, aiff.channels, bits == 8);
  if (code != EngineError::kNone) return code;
  out.sourceMode = formatMode(0, bits, aiff.channels, false);

  out.cues.clear();
  for (const Marker& marker : aiff.markers)
    out.cues.push_back({std::min<std::uint32_t>(marker.position, static_cast<std::uint32_t>(std::max(out.frames - 1, 0))),
                        marker.name});
  sortCues(out.cues);
  const Marker* begin = aiff.haveLoop ? findMarker(aiff, aiff.loopBegin) : nullptr;
  const Marker* end = aiff.haveLoop ? findMarker(aiff, aiff.loopEnd) : nullptr;
  // The end marker sits after the last looped frame.
  if (begin && end) applyFileLoop(out, begin->position, std::int64_t{end->position} - 1);
  return EngineError::kNone;
}

}  // namespace korvo::sound::formats
