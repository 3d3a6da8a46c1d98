// AIFF: big-endian PCM with an 80-bit sample rate, a sustain loop (INST) that refers to
// markers (MARK), and the markers themselves as cue points.
#include <array>
#include <cmath>
#include <vector>

#include "sound/formats/byte_reader.h"
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
double readExtended(ByteReader& r) {
  const std::uint16_t signAndExponent = r.u16be();
  const int exponent = (signAndExponent & 0x7FFF) - 16383;
  const std::uint32_t high = r.u32be();
  const std::uint32_t low = r.u32be();
  const double value = std::ldexp(high, exponent - 31) + std::ldexp(low, exponent - 63);
  return signAndExponent & 0x8000 ? -value : value;
}

bool printableId(const std::uint8_t* p) {
  for (int i = 0; i < 4; ++i)
    if (p[i] < 0x20 || p[i] > 0x7E) return false;
  return true;
}

void readCommon(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 18> c{};
  if (size < 18 || file.read(c.data(), 1, c.size()) != c.size()) return;
  ByteReader r(c.data(), c.size());
  aiff.channels = r.u16be();
  aiff.frames = r.u32be();
  const int bits = r.u16be();
  aiff.width = bits >= 1 && bits <= 32 ? (bits + 7) / 8 : 0;
  aiff.rate = readExtended(r);
}

void readSound(SoundFile& file, std::int64_t body, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 8> s{};
  if (aiff.haveSound || size < 8 || file.read(s.data(), 1, s.size()) != s.size()) return;
  const std::int64_t skip = ByteReader(s.data(), s.size()).u32be();  // the offset before the frames
  if (skip > size - 8) return;
  aiff.haveSound = true;
  aiff.dataOffset = body + 8 + skip;
  aiff.dataSize = size - 8 - skip;
}

void readInstrument(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 20> i{};
  if (size < 20 || file.read(i.data(), 1, i.size()) != i.size()) return;
  ByteReader r(i.data(), i.size());
  r.seek(8);                       // past the notes, velocities and gain: the sustain loop
  aiff.haveLoop = r.u16be() != 0;  // sustain loop play mode: 0 is no looping
  aiff.loopBegin = r.u16be();
  aiff.loopEnd = r.u16be();
}

void readMarkers(SoundFile& file, std::int64_t size, AiffLayout& aiff) {
  std::array<std::uint8_t, 7> m{};
  if (size < 2 || file.read(m.data(), 1, 2) != 2) return;
  const int count = ByteReader(m.data(), 2).u16be();
  const std::int64_t end = file.tell() - 2 + size;
  aiff.markers.clear();
  for (int n = 0; n < count && file.tell() + 7 <= end; ++n) {
    if (file.read(m.data(), 1, 7) != 7) break;
    ByteReader r(m.data(), m.size());
    const std::uint16_t id = r.u16be();
    const std::uint32_t position = r.u32be();
    Marker marker{id, position, std::string(r.u8(), '\0')};
    marker.name.resize(file.read(marker.name.data(), 1, marker.name.size()));
    if ((m[6] & 1) == 0) file.seek(1, SeekFrom::kCurrent);  // the counted name is padded to even
    aiff.markers.push_back(std::move(marker));
  }
}

bool readLayout(SoundFile& file, AiffLayout& aiff) {
  std::array<std::uint8_t, 12> head{};
  file.seek(0, SeekFrom::kStart);
  ByteReader r(head.data(), head.size());
  if (file.read(head.data(), 1, head.size()) != head.size() || !r.matches(0, "FORM") || !r.matches(8, "AIFF"))
    return false;
  r.seek(4);
  const std::int64_t end = std::min(std::int64_t{r.u32be()} + 8, file.length());
  std::int64_t at = 12;
  while (at + 8 <= end) {
    file.seek(at, SeekFrom::kStart);
    if (file.read(head.data(), 1, 8) != 8) break;
    r.seek(4);
    const std::int64_t size = r.u32be();
    const std::int64_t body = at + 8;
    const std::int64_t present = std::min(size, file.length() - body);
    if (r.matches(0, "COMM")) readCommon(file, present, aiff);
    else if (r.matches(0, "SSND")) readSound(file, body, present, aiff);
    else if (r.matches(0, "INST")) readInstrument(file, present, aiff);
    else if (r.matches(0, "MARK")) readMarkers(file, present, aiff);
    at = body + size;
    // Odd chunks carry a pad byte; writers that leave it out are followed where the next id
    // only makes sense without it.
    std::array<std::uint8_t, 4> next{};
    if ((size & 1) && file.seek(at + 1, SeekFrom::kStart) && file.read(next.data(), 1, 4) == 4 &&
        printableId(next.data()))
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
    out.cues.push_back(
        {std::min<std::uint32_t>(marker.position, static_cast<std::uint32_t>(std::max(out.frames - 1, 0))),
         marker.name});
  sortCues(out.cues);
  const Marker* begin = aiff.haveLoop ? findMarker(aiff, aiff.loopBegin) : nullptr;
  const Marker* end = aiff.haveLoop ? findMarker(aiff, aiff.loopEnd) : nullptr;
  // The end marker sits after the last looped frame.
  if (begin && end) applyFileLoop(out, begin->position, std::int64_t{end->position} - 1);
  return EngineError::kNone;
}

}  // namespace korvo::sound::formats
