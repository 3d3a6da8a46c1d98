// AIFF chunk walk. Sizes from the file never drive reads past the data actually present.
#include "sound/formats/aiff_layout.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "sound/formats/byte_reader.h"

namespace korvo::sound::formats {
namespace {

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
    AiffMarker marker{id, position, std::string(r.u8(), '\0')};
    marker.name.resize(file.read(marker.name.data(), 1, marker.name.size()));
    if ((m[6] & 1) == 0) file.seek(1, SeekFrom::kCurrent);  // the counted name is padded to even
    aiff.markers.push_back(std::move(marker));
  }
}

}  // namespace

bool readAiffLayout(SoundFile& file, AiffLayout& aiff) {
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

const AiffMarker* findMarker(const AiffLayout& aiff, std::uint16_t id) {
  for (const AiffMarker& marker : aiff.markers)
    if (marker.id == id) return &marker;
  return nullptr;
}

}  // namespace korvo::sound::formats
