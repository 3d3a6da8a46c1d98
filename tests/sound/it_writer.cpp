// Writes IT bytes: header with pans and volumes, orders and offset tables, instruments,
// sample headers, packed patterns (every value given with a fresh mask) and sample data,
// compressed when asked.
#include "it_writer.h"

#include "byte_writer.h"
#include "sample_packer.h"

namespace korvo::sound::test {
namespace {

void envelope(ByteWriter& o, const ItEnvelopeSpec& e) {
  o.u8(e.flags), o.u8(static_cast<std::uint32_t>(e.points.size()));
  o.u8(e.loopStart), o.u8(e.loopEnd), o.u8(e.sustainStart), o.u8(e.sustainEnd);
  for (std::size_t i = 0; i < 25; ++i) {
    o.u8(i < e.points.size() ? static_cast<std::uint8_t>(e.points[i].first) : 0);
    o.u16(i < e.points.size() ? e.points[i].second : 0);
  }
  o.u8(0);
}

}  // namespace

std::vector<std::uint8_t> writeIt(const ItSongSpec& spec) {
  ByteWriter o;
  o.text("IMPM", 4);
  o.text("test it", 26);
  o.u16(0x1004);
  o.u16(static_cast<std::uint32_t>(spec.orders.size()));
  o.u16(static_cast<std::uint32_t>(spec.instruments.size()));
  o.u16(static_cast<std::uint32_t>(spec.samples.size()));
  o.u16(static_cast<std::uint32_t>(spec.patterns.size()));
  o.u16(0x0214), o.u16(0x0214), o.u16(spec.flags | 1), o.u16(0);
  o.u8(spec.globalVolume), o.u8(spec.mixVolume), o.u8(spec.speed), o.u8(spec.tempo), o.u8(128), o.u8(0);
  o.u16(0), o.u32(0), o.u32(0);
  for (int ch = 0; ch < 64; ++ch) o.u8(32);
  for (int ch = 0; ch < 64; ++ch) o.u8(64);
  for (std::uint8_t order : spec.orders) o.u8(order);
  const std::size_t tables = o.size();
  o.zeros(4 * (spec.instruments.size() + spec.samples.size() + spec.patterns.size()));
  std::size_t slot = tables;
  const auto here = [&]() {
    o.put32(slot, static_cast<std::uint32_t>(o.size()));
    slot += 4;
  };

  for (const ItInstrumentSpec& in : spec.instruments) {
    here();
    o.text("IMPI", 4), o.text("inst", 12), o.u8(0);
    o.u8(in.newNoteAction), o.u8(in.duplicateCheck), o.u8(in.duplicateAction), o.u16(in.fadeout);
    o.u8(0), o.u8(60), o.u8(in.globalVolume), o.u8(in.defaultPan), o.u8(0), o.u8(0);
    o.u16(0x0214), o.u8(1), o.u8(0);
    o.text("instrument", 26);
    o.u8(in.cutoff), o.u8(in.resonance), o.u8(0), o.u8(0), o.u16(0);
    for (int n = 0; n < 120; ++n) o.u8(static_cast<std::uint32_t>(n)), o.u8(in.sample);
    envelope(o, in.volume);
    envelope(o, in.pan);
    envelope(o, in.pitch);
    o.zeros(4);
  }
  std::vector<std::size_t> dataPointers;
  for (const ItSampleSpec& s : spec.samples) {
    here();
    o.text("IMPS", 4), o.text("file", 12), o.u8(0), o.u8(s.globalVolume);
    o.u8(1 | (s.sixteenBit ? 2 : 0) | (s.compressed ? 8 : 0) | (s.loop ? 0x10 : 0));
    o.u8(s.volume);
    o.text("sample", 26);
    o.u8(1 | (s.secondVariant ? 4 : 0)), o.u8(0);
    o.u32(static_cast<std::uint32_t>(s.frames.size())), o.u32(0), o.u32(static_cast<std::uint32_t>(s.frames.size()));
    o.u32(s.c5Rate), o.u32(0), o.u32(0);
    dataPointers.push_back(o.size());
    o.u32(0);
    o.u8(0), o.u8(0), o.u8(0), o.u8(0);
  }
  for (const ItPatternSpec& p : spec.patterns) {
    here();
    ByteWriter data;
    for (int row = 0; row < p.rows; ++row) {
      for (const auto& [where, c] : p.cells) {
        if (where.first != row) continue;
        const std::uint8_t mask =
            (c.hasNote ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume != 255 ? 4 : 0) | (c.effect ? 8 : 0);
        data.u8(static_cast<std::uint32_t>(where.second + 1) | 0x80);
        data.u8(mask);
        if (c.hasNote) data.u8(c.note);
        if (c.instrument) data.u8(c.instrument);
        if (c.volume != 255) data.u8(c.volume);
        if (c.effect) data.u8(c.effect), data.u8(c.param);
      }
      data.u8(0);
    }
    o.u16(static_cast<std::uint32_t>(data.size())), o.u16(p.rows), o.u32(0);
    o.append(data.bytes);
  }
  for (std::size_t i = 0; i < spec.samples.size(); ++i) {
    const ItSampleSpec& s = spec.samples[i];
    o.put32(dataPointers[i], static_cast<std::uint32_t>(o.size()));
    std::vector<std::int16_t> values = s.frames;
    if (!s.sixteenBit) {
      for (std::int16_t& v : values) v = static_cast<std::int16_t>(v >> 8);
    }
    if (s.compressed) {
      o.append(packTrackerSample(values, s.sixteenBit, s.secondVariant));
    } else {
      for (std::int16_t v : values) {
        if (s.sixteenBit) o.u16(static_cast<std::uint16_t>(v));
        else o.u8(static_cast<std::uint8_t>(v));
      }
    }
  }
  return o.bytes;
}

}  // namespace korvo::sound::test
