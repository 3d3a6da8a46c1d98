// Writes MOD bytes: title, 31 sample headers, orders, signature, patterns of 64 rows, then
// the sample data (after an optional gap).
#include "mod_writer.h"

#include <algorithm>

#include "byte_writer.h"

namespace korvo::sound::test {

std::vector<std::uint8_t> writeMod(const ModSongSpec& spec) {
  ByteWriter o;
  o.text("test mod", 20);
  for (std::size_t i = 0; i < 31; ++i) {
    const ModSampleSpec s = i < spec.samples.size() ? spec.samples[i] : ModSampleSpec{{}, 0, 0, 0, 0};
    o.text(i < spec.samples.size() ? "sample" : "", 22);
    o.u16be(static_cast<std::uint32_t>(s.frames.size() / 2));
    o.u8(s.finetune);
    o.u8(s.volume);
    o.u16be(s.loopStart / 2);
    o.u16be(s.loopLength / 2);
  }
  o.u8(static_cast<std::uint32_t>(spec.orders.size()));
  o.u8(127);
  for (std::size_t i = 0; i < 128; ++i) o.u8(i < spec.orders.size() ? spec.orders[i] : 0);
  o.text(spec.signature, 4);
  for (const auto& pattern : spec.patterns) {
    for (int row = 0; row < 64; ++row) {
      for (int ch = 0; ch < spec.channels; ++ch) {
        const auto it = pattern.find({row, ch});
        const ModCell c = it == pattern.end() ? ModCell{} : it->second;
        o.u8((c.sample & 0xF0) | (c.period >> 8));
        o.u8(c.period & 0xFF);
        o.u8(((c.sample & 0x0F) << 4) | (c.effect & 0x0F));
        o.u8(c.param);
      }
    }
  }
  o.zeros(spec.gap);
  for (const ModSampleSpec& s : spec.samples) {
    for (std::int8_t f : s.frames) o.u8(static_cast<std::uint8_t>(f));
  }
  return o.bytes;
}

}  // namespace korvo::sound::test
