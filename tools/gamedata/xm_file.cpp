#include "xm_file.h"

namespace tobrix::gamedata {
namespace {

constexpr std::uint32_t kHeaderSize = 276;      // from the header-size field to the patterns
constexpr std::uint32_t kInstrumentSize = 263;  // an instrument header with samples
constexpr std::uint32_t kSampleHeaderSize = 40;
constexpr int kEnvelopePoints = 12;

class Bytes {
 public:
  void u8(std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void u16(std::uint32_t v) { u8(v), u8(v >> 8); }
  void u32(std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
  void text(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) u8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void padTo(std::size_t size) { out.resize(size, 0); }
  std::vector<std::uint8_t> out;
};

// A cell packed as trackers pack it: a flag byte naming the fields that follow.
void packCell(Bytes& b, const XmCell& c) {
  std::uint8_t flags = 0x80;
  if (c.note) flags |= 1;
  if (c.instrument) flags |= 2;
  if (c.volume) flags |= 4;
  if (c.effect) flags |= 8;
  if (c.param) flags |= 16;
  b.u8(flags);
  if (c.note) b.u8(c.note);
  if (c.instrument) b.u8(c.instrument);
  if (c.volume) b.u8(c.volume);
  if (c.effect) b.u8(c.effect);
  if (c.param) b.u8(c.param);
}

void writeInstrument(Bytes& b, const XmInstrument& in) {
  const std::size_t start = b.out.size();
  b.u32(kInstrumentSize);
  b.text(in.name, 22);
  b.u8(0);
  b.u16(1);
  b.u32(kSampleHeaderSize);
  for (int i = 0; i < 96; ++i) b.u8(0);
  for (int i = 0; i < kEnvelopePoints; ++i) {
    const bool used = static_cast<std::size_t>(i) < in.envelope.size();
    b.u16(used ? in.envelope[static_cast<std::size_t>(i)].first : 0);
    b.u16(used ? in.envelope[static_cast<std::size_t>(i)].second : 0);
  }
  for (int i = 0; i < kEnvelopePoints * 2; ++i) b.u16(0);  // no panning envelope
  b.u8(static_cast<std::uint32_t>(in.envelope.size()));
  b.u8(0);
  b.u8(in.sustainPoint < 0 ? 0 : static_cast<std::uint32_t>(in.sustainPoint));
  b.u8(0), b.u8(0);           // volume loop start and end
  b.u8(0), b.u8(0), b.u8(0);  // panning sustain and loop
  b.u8(in.envelope.empty() ? 0 : (in.sustainPoint >= 0 ? 3 : 1));
  b.u8(0);
  b.u8(0), b.u8(0), b.u8(0), b.u8(0);  // no auto-vibrato
  b.u16(in.fadeout);
  b.padTo(start + kInstrumentSize);

  const std::uint32_t bytes = static_cast<std::uint32_t>(in.sample.size() * 2);
  b.u32(bytes);
  b.u32(0);
  b.u32(in.loop ? bytes : 0);
  b.u8(in.volume);
  b.u8(static_cast<std::uint8_t>(in.finetune));
  b.u8((in.loop ? 1 : 0) | 0x10);  // 16-bit
  b.u8(in.pan);
  b.u8(static_cast<std::uint8_t>(in.relativeNote));
  b.u8(0);
  b.text(in.name, 22);
  std::int16_t last = 0;
  for (std::int16_t s : in.sample) {
    b.u16(static_cast<std::uint16_t>(static_cast<std::int16_t>(s - last)));
    last = s;
  }
}

}  // namespace

std::vector<std::uint8_t> encodeXm(const XmSong& song) {
  Bytes b;
  b.text("Extended Module: ", 17);
  b.text(song.name, 20);
  b.u8(0x1A);
  b.text("tobrix-data", 20);
  b.u16(0x0104);
  b.u32(kHeaderSize);
  b.u16(static_cast<std::uint32_t>(song.orders.size()));
  b.u16(static_cast<std::uint32_t>(song.restart));
  b.u16(static_cast<std::uint32_t>(song.channels));
  b.u16(static_cast<std::uint32_t>(song.patterns.size()));
  b.u16(static_cast<std::uint32_t>(song.instruments.size()));
  b.u16(1);  // linear frequencies
  b.u16(static_cast<std::uint32_t>(song.speed));
  b.u16(static_cast<std::uint32_t>(song.bpm));
  for (std::size_t i = 0; i < 256; ++i) b.u8(i < song.orders.size() ? song.orders[i] : 0);
  for (const XmPattern& p : song.patterns) {
    Bytes data;
    for (const XmCell& c : p.cells) packCell(data, c);
    b.u32(9);
    b.u8(0);
    b.u16(static_cast<std::uint32_t>(p.rows));
    b.u16(static_cast<std::uint32_t>(data.out.size()));
    b.out.insert(b.out.end(), data.out.begin(), data.out.end());
  }
  for (const XmInstrument& in : song.instruments) writeInstrument(b, in);
  return b.out;
}

}  // namespace tobrix::gamedata
