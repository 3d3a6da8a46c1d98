// Writes S3M bytes: header, orders, parapointers, default pans, then sample headers,
// packed patterns and sample data, each on a 16-byte boundary.
#include "s3m_writer.h"

#include "byte_writer.h"

namespace korvo::sound::test {

std::vector<std::uint8_t> writeS3m(const S3mSongSpec& spec) {
  ByteWriter o;
  o.text("test s3m", 28);
  o.u8(0x1A), o.u8(16), o.u16(0);
  o.u16(static_cast<std::uint32_t>(spec.orders.size()));
  o.u16(static_cast<std::uint32_t>(spec.samples.size()));
  o.u16(static_cast<std::uint32_t>(spec.patterns.size()));
  o.u16(spec.flags);
  o.u16(spec.version);
  o.u16(2);
  o.text("SCRM", 4);
  o.u8(spec.globalVolume), o.u8(spec.speed), o.u8(spec.tempo), o.u8(spec.stereo ? 0xB0 : 0x30);
  o.u8(0), o.u8(spec.defaultPans.empty() ? 0 : 252);
  o.zeros(10);
  for (std::size_t i = 0; i < 32; ++i) o.u8(i < spec.channelSettings.size() ? spec.channelSettings[i] : 255);
  for (std::uint8_t order : spec.orders) o.u8(order);
  const std::size_t pointers = o.size();
  o.zeros(2 * (spec.samples.size() + spec.patterns.size()));
  if (!spec.defaultPans.empty()) {
    for (std::size_t i = 0; i < 32; ++i) o.u8(i < spec.defaultPans.size() ? spec.defaultPans[i] : 0);
  }

  std::vector<std::size_t> sampleHeaders;
  for (std::size_t i = 0; i < spec.samples.size(); ++i) {
    const S3mSampleSpec& s = spec.samples[i];
    o.align(16);
    o.put16(pointers + 2 * i, static_cast<std::uint32_t>(o.size() / 16));
    sampleHeaders.push_back(o.size());
    o.u8(1);
    o.text("file", 12);
    o.zeros(3);  // data pointer, patched below
    o.u32(static_cast<std::uint32_t>(s.data.size() / (s.sixteenBit ? 2 : 1)));
    o.u32(s.loopStart), o.u32(s.loopEnd);
    o.u8(s.volume), o.u8(0), o.u8(0), o.u8((s.loop ? 1 : 0) | (s.sixteenBit ? 4 : 0));
    o.u32(s.c4Rate);
    o.zeros(12);
    o.text("sample", 28);
    o.text("SCRS", 4);
  }
  for (std::size_t p = 0; p < spec.patterns.size(); ++p) {
    o.align(16);
    o.put16(pointers + 2 * (spec.samples.size() + p), static_cast<std::uint32_t>(o.size() / 16));
    const std::size_t start = o.size();
    o.u16(0);
    for (int row = 0; row < 64; ++row) {
      for (const auto& [where, c] : spec.patterns[p]) {
        if (where.first != row) continue;
        o.u8(static_cast<std::uint32_t>(where.second) | 0x20 | (c.volume != 255 ? 0x40 : 0) | (c.effect ? 0x80 : 0));
        o.u8(c.note), o.u8(c.instrument);
        if (c.volume != 255) o.u8(c.volume);
        if (c.effect) o.u8(c.effect), o.u8(c.param);
      }
      o.u8(0);
    }
    o.put16(start, static_cast<std::uint32_t>(o.size() - start));
  }
  for (std::size_t i = 0; i < spec.samples.size(); ++i) {
    o.align(16);
    const std::uint32_t paragraph = static_cast<std::uint32_t>(o.size() / 16);
    o.bytes[sampleHeaders[i] + 13] = static_cast<std::uint8_t>(paragraph >> 16);
    o.put16(sampleHeaders[i] + 14, paragraph & 0xFFFF);
    o.append(spec.samples[i].data);
  }
  return o.bytes;
}

}  // namespace korvo::sound::test
