// Writes XM bytes the way trackers lay them out: header, packed patterns, instruments with
// their sample headers followed by delta-coded sample data.
#include "xm_writer.h"

#include <cstring>

#include "byte_writer.h"

namespace korvo::sound::test {
namespace {

using Out = ByteWriter;

void envelope(Out& o, const XmEnvelopeSpec& e) {
  for (std::size_t i = 0; i < 12; ++i) {
    o.u16(i < e.points.size() ? e.points[i].first : 0);
    o.u16(i < e.points.size() ? e.points[i].second : 0);
  }
}

}  // namespace

std::vector<std::uint8_t> writeXm(const XmSongSpec& spec) {
  Out o;
  o.text("Extended Module: ", 17);
  o.text("test song", 20);
  o.u8(0x1A);
  o.text("writer", 20);
  o.u16(0x0104);
  o.u32(276);
  o.u16(static_cast<std::uint32_t>(spec.orders.size()));
  o.u16(spec.restart);
  o.u16(spec.channels);
  o.u16(static_cast<std::uint32_t>(spec.patterns.size()));
  o.u16(static_cast<std::uint32_t>(spec.instruments.size()));
  o.u16(spec.flags);
  o.u16(spec.speed);
  o.u16(spec.bpm);
  for (std::size_t i = 0; i < 256; ++i) o.u8(i < spec.orders.size() ? spec.orders[i] : 0);

  for (const XmPatternSpec& p : spec.patterns) {
    o.u32(9);
    o.u8(0);
    o.u16(p.rows);
    Out data;
    for (int r = 0; r < p.rows; ++r) {
      for (int c = 0; c < spec.channels; ++c) {
        auto it = p.cells.find({r, c});
        if (it == p.cells.end()) {
          data.u8(0x80);
          continue;
        }
        const music::Cell& x = it->second;
        data.u8(0x9F);
        data.u8(x.note), data.u8(x.instrument), data.u8(x.volume), data.u8(x.effect), data.u8(x.param);
      }
    }
    o.u16(static_cast<std::uint32_t>(data.bytes.size()));
    o.bytes.insert(o.bytes.end(), data.bytes.begin(), data.bytes.end());
  }

  for (const XmInstrumentSpec& in : spec.instruments) {
    const bool any = !in.samples.empty();
    o.u32(any ? 263 : 29);
    o.text("instrument", 22);
    o.u8(0);
    o.u16(static_cast<std::uint32_t>(in.samples.size()));
    if (any) {
      o.u32(40);
      for (int i = 0; i < 96; ++i) o.u8(in.keymapSample);
      envelope(o, in.volume);
      envelope(o, in.pan);
      o.u8(static_cast<std::uint32_t>(in.volume.points.size()));
      o.u8(static_cast<std::uint32_t>(in.pan.points.size()));
      o.u8(in.volume.sustain), o.u8(in.volume.loopStart), o.u8(in.volume.loopEnd);
      o.u8(in.pan.sustain), o.u8(in.pan.loopStart), o.u8(in.pan.loopEnd);
      o.u8(in.volume.type), o.u8(in.pan.type);
      o.u8(in.vibratoType), o.u8(in.vibratoSweep), o.u8(in.vibratoDepth), o.u8(in.vibratoRate);
      o.u16(in.fadeout);
      o.text("", 22);
    }
    for (const XmSampleSpec& s : in.samples) {
      const std::uint32_t bytesPer = s.sixteenBit ? 2 : 1;
      o.u32(static_cast<std::uint32_t>(s.frames.size()) * bytesPer);
      o.u32(s.loopStart * bytesPer);
      o.u32(s.loopLength * bytesPer);
      o.u8(s.volume);
      o.u8(static_cast<std::uint8_t>(s.finetune));
      o.u8(s.loopType | (s.sixteenBit ? 0x10 : 0));
      o.u8(s.pan);
      o.u8(static_cast<std::uint8_t>(s.relativeNote));
      o.u8(0);
      o.text("sample", 22);
    }
    for (const XmSampleSpec& s : in.samples) {
      std::int32_t previous = 0;
      for (std::int16_t f : s.frames) {
        const std::int32_t value = s.sixteenBit ? f : static_cast<std::int8_t>(f >> 8);
        const std::int32_t delta = value - previous;
        previous = value;
        if (s.sixteenBit) o.u16(static_cast<std::uint16_t>(delta));
        else o.u8(static_cast<std::uint8_t>(delta));
      }
    }
  }
  return o.bytes;
}

}  // namespace korvo::sound::test
