// Reading XM files into the song record. Every count and size read from the file is checked
// before it is used: structures that run past the end, rows outside 1..256, more than 12
// envelope points or more than 16 samples in an instrument are refused with an error code;
// sample data cut short by the end of the file keeps what is there.
#include <algorithm>
#include <new>

#include "sound/engine/sample.h"
#include "sound/music/formats.h"
#include "sound/music/sample_steps.h"

namespace korvo::sound::music {
namespace {

constexpr const char* kSignature = "Extended Module: ";
constexpr std::size_t kNameOffset = 17;
constexpr std::size_t kMarkerOffset = 37;
constexpr std::uint8_t kMarker = 0x1A;
constexpr std::size_t kHeaderOffset = 60;
constexpr std::int32_t kMaxChannels = 64;
constexpr std::int32_t kMaxPatterns = 256;
constexpr std::int32_t kMaxInstruments = 128;
constexpr std::int32_t kMaxRows = 256;
constexpr std::int32_t kEmptyPatternRows = 64;
constexpr int kXmEnvelopePoints = 12;
constexpr std::size_t kXmKeymapNotes = 96;
constexpr std::uint8_t kXmKeyOff = 97;
// Envelope values run 0..64; larger ones in a file count as full.
constexpr std::uint16_t kEnvelopeTop = 64;

// Sample type bits.
constexpr std::uint8_t kForwardLoop = 0x1;
constexpr std::uint8_t kPingPongLoop = 0x2;
constexpr std::uint8_t k16BitData = 0x10;

EngineError readPattern(ByteReader& r, Song& song, Pattern& pattern) {
  r.u32le();  // header length: the data follows the fixed fields whatever it says
  r.u8();     // packing type
  const std::int32_t rows = r.u16le();
  const std::uint32_t packed = r.u16le();
  if (!r.ok() || rows == 0 || rows > kMaxRows) return EngineError::kUnrecognised;
  const std::size_t channels = song.channels.size();
  pattern.rows = rows;
  if (packed == 0) return EngineError::kNone;
  const std::size_t start = r.tell();
  if (r.remaining() < packed) return EngineError::kUnrecognised;
  pattern.cells.assign(static_cast<std::size_t>(rows) * channels, Cell{});
  // Decoding is confined to the pattern's own packed bytes.
  ByteReader data(r.here(), packed);
  for (Cell& c : pattern.cells) {
    std::uint8_t what = data.u8();
    std::uint8_t note = 0;
    if (what & 0x80) {
      if (what & 0x01) note = data.u8();
    } else {
      note = what;
      what = 0x1E;
    }
    if (what & 0x02) c.instrument = data.u8();
    if (what & 0x04) c.volume = data.u8();
    if (what & 0x08) c.effect = data.u8();
    if (what & 0x10) c.param = data.u8();
    if (!data.ok()) return EngineError::kUnrecognised;
    c.note = note == kXmKeyOff ? kKeyOff : (note > kXmKeyOff ? kNoNote : note);
    if (c.instrument > kMaxInstruments) c.instrument = 0;
  }
  r.seek(start + packed);
  return EngineError::kNone;
}

void readEnvelopePoints(ByteReader& r, Envelope& e) {
  for (int i = 0; i < kXmEnvelopePoints; ++i) {
    e.x[static_cast<std::size_t>(i)] = r.u16le();
    e.y[static_cast<std::size_t>(i)] = std::min(r.u16le(), kEnvelopeTop);
  }
}

// Switches off what the point indices cannot support.
void checkEnvelope(Envelope& e) {
  if (e.points < 2) e.type &= static_cast<std::uint8_t>(~kEnvOn);
  if (e.sustain >= e.points) e.type &= static_cast<std::uint8_t>(~kEnvSustain);
  e.sustainEnd = e.sustain;
  if (e.loopEnd >= e.points || e.loopStart > e.loopEnd) e.type &= static_cast<std::uint8_t>(~kEnvLoop);
}

EngineError readInstrumentHeader(ByteReader& r, Instrument& in) {
  const std::size_t start = r.tell();
  const std::uint32_t headerSize = r.u32le();
  in.name = r.text(22);
  r.u8();  // type
  in.sampleCount = r.u16le();
  if (!r.ok()) return EngineError::kUnrecognised;
  if (in.sampleCount > kInstrumentSamples) return EngineError::kTooManySamples;
  if (in.sampleCount > 0) {
    r.u32le();  // sample header size: each header is read as its fixed 40 bytes
    r.bytes(in.keymap.data(), kXmKeymapNotes);
    readEnvelopePoints(r, in.volumeEnvelope);
    readEnvelopePoints(r, in.panEnvelope);
    in.volumeEnvelope.points = r.u8();
    in.panEnvelope.points = r.u8();
    in.volumeEnvelope.sustain = r.u8();
    in.volumeEnvelope.loopStart = r.u8();
    in.volumeEnvelope.loopEnd = r.u8();
    in.panEnvelope.sustain = r.u8();
    in.panEnvelope.loopStart = r.u8();
    in.panEnvelope.loopEnd = r.u8();
    in.volumeEnvelope.type = r.u8();
    in.panEnvelope.type = r.u8();
    in.vibrato.type = r.u8();
    in.vibrato.sweep = r.u8();
    in.vibrato.depth = r.u8();
    in.vibrato.rate = r.u8();
    in.fadeout = r.u16le() * 2;
    if (!r.ok()) return EngineError::kUnrecognised;
    if (in.volumeEnvelope.points > kXmEnvelopePoints || in.panEnvelope.points > kXmEnvelopePoints) {
      return EngineError::kUnrecognised;
    }
    checkEnvelope(in.volumeEnvelope);
    checkEnvelope(in.panEnvelope);
  }
  r.seek(start + headerSize);
  return r.ok() ? EngineError::kNone : EngineError::kUnrecognised;
}

void readSampleHeader(ByteReader& r, SongSample& s, std::uint32_t& dataBytes) {
  std::uint32_t length = r.u32le();
  std::uint32_t loopStart = r.u32le();
  std::uint32_t loopLength = r.u32le();
  s.volume = std::min<std::int32_t>(r.u8(), 64);
  s.finetune = r.s8();
  const std::uint8_t type = r.u8();
  s.pan = r.u8();
  s.relativeNote = r.s8();
  r.u8();
  s.name = r.text(22);
  s.is16Bit = (type & k16BitData) != 0;
  if (s.is16Bit) {
    length /= 2;
    loopStart /= 2;
    loopLength /= 2;
  }
  dataBytes = length * (s.is16Bit ? 2u : 1u);
  s.length = length;
  s.loopMode = (type & kForwardLoop) ? 2u : (type & kPingPongLoop) ? 4u : 1u;
  if (loopStart >= length || loopLength == 0) s.loopMode = 1;
  if (s.loopMode == 1) {
    loopStart = 0;
    loopLength = length;
  }
  s.loopStart = loopStart;
  s.loopLength = std::min(loopLength, length - loopStart);
}

EngineError readInstrument(ByteReader& r, Song& song, Instrument& in, SampleSink& sink) {
  if (const EngineError e = readInstrumentHeader(r, in); e != EngineError::kNone) return e;
  in.samples.fill(&invalidSample());
  std::array<std::uint32_t, kInstrumentSamples> bytes{};
  const std::size_t first = song.samples.size();
  for (std::int32_t i = 0; i < in.sampleCount; ++i) {
    SongSample& s = song.addSample();
    readSampleHeader(r, s, bytes[static_cast<std::size_t>(i)]);
    in.samples[static_cast<std::size_t>(i)] = &s;
  }
  if (!r.ok()) return EngineError::kUnrecognised;
  for (std::int32_t i = 0; i < in.sampleCount; ++i) {
    SongSample& s = *song.samples[first + static_cast<std::size_t>(i)];
    const std::uint32_t want = bytes[static_cast<std::size_t>(i)];
    const std::size_t at = r.tell();
    // A file cut short keeps the frames it still has.
    const std::uint32_t have = static_cast<std::uint32_t>(std::min<std::size_t>(want, r.remaining()));
    const std::uint32_t frames = have / (s.is16Bit ? 2u : 1u);
    cutSample(s, frames);
    if (s.length > 0) {
      const std::uint32_t srcMode = mode::kDelta | mode::kSigned | (s.is16Bit ? mode::k16Bits : mode::k8Bits);
      if (const EngineError e = uploadSample(sink, s, r.here(), have, srcMode); e != EngineError::kNone) return e;
    }
    r.seek(std::min(at + want, r.size()));
  }
  return EngineError::kNone;
}

}  // namespace

EngineError loadXm(Song& song, ByteReader& r, SampleSink& sink) {
  if (!r.matches(0, kSignature)) return EngineError::kUnrecognised;
  song.kind = SongKind::kXm;
  song.format = &xmFormat();
  song.masterVolume = 256;
  song.initialGlobalVolume = 64;
  r.seek(kNameOffset);
  song.name = r.text(20);
  r.seek(kMarkerOffset);
  if (r.u8() != kMarker) return EngineError::kUnrecognised;

  r.seek(kHeaderOffset);
  const std::uint32_t headerSize = r.u32le();
  song.songLength = r.u16le();
  song.restartPosition = r.u16le();
  const std::int32_t channels = r.u16le();
  const std::int32_t patterns = r.u16le();
  const std::int32_t instruments = r.u16le();
  song.flags = r.u16le();
  song.initialSpeed = r.u16le();
  song.initialBpm = r.u16le();
  r.bytes(song.orders.data(), song.orders.size());
  if (!r.ok() || song.songLength == 0 || song.songLength > 256 || channels == 0 || channels > kMaxChannels ||
      patterns > kMaxPatterns || instruments > kMaxInstruments) {
    return EngineError::kUnrecognised;
  }
  if (song.restartPosition >= song.songLength) song.restartPosition = 0;
  song.channels.assign(static_cast<std::size_t>(channels), SongChannel{});

  std::int32_t slots = patterns;
  for (std::int32_t i = 0; i < song.songLength; ++i)
    slots = std::max(slots, song.orders[static_cast<std::size_t>(i)] + 1);
  song.patterns.resize(static_cast<std::size_t>(slots));

  r.seek(kHeaderOffset + headerSize);
  for (std::int32_t p = 0; p < patterns; ++p) {
    if (const EngineError e = readPattern(r, song, song.patterns[static_cast<std::size_t>(p)]); e != EngineError::kNone)
      return e;
  }
  for (Pattern& p : song.patterns) {
    if (p.rows == 0) p.rows = kEmptyPatternRows;
  }

  song.instruments.resize(static_cast<std::size_t>(instruments));
  for (Instrument& in : song.instruments) {
    if (const EngineError e = readInstrument(r, song, in, sink); e != EngineError::kNone) return e;
  }
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
