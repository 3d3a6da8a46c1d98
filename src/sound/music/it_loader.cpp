// Reading IT files into the song record: the header with channel pans and volumes, orders,
// instruments with their note maps and three envelopes, samples (plain or compressed; the
// upload unpacks those), and patterns kept packed. Every offset is checked against the file
// and every count against what the format can address; sample lengths are cut to what the
// file can hold.
#include <algorithm>

#include "sound/engine/sample.h"
#include "sound/music/formats.h"
#include "sound/music/sample_steps.h"
#include "sound/music/it_format.h"

namespace korvo::sound::music {
namespace {

constexpr std::size_t kCountsOffset = 0x20;
constexpr std::size_t kPansOffset = 0x40;
constexpr std::size_t kOrdersOffset = 0xC0;
constexpr std::int32_t kChannels = 64;
constexpr std::int32_t kMaxOrders = 256;
constexpr std::int32_t kMaxInstruments = 255;
constexpr std::int32_t kMaxSamples = 255;
constexpr std::int32_t kMaxPatterns = 256;
constexpr std::int32_t kMaxRows = 256;
constexpr std::int32_t kEmptyRows = 64;
constexpr std::uint16_t kNewInstruments = 0x200;
constexpr std::uint8_t kSurroundPan = 100;
// Envelope flags of the file.
constexpr std::uint8_t kFileEnvOn = 0x1, kFileEnvLoop = 0x2, kFileEnvSustain = 0x4, kFileEnvCarry = 0x8;
constexpr std::uint8_t kFileEnvFilter = 0x80;
// Sample flags and conversion bits.
constexpr std::uint8_t kHasData = 0x1, k16Bit = 0x2, kStereoData = 0x4, kCompressed = 0x8, kLoop = 0x10,
                       kSustainLoop = 0x20, kPingPong = 0x40, kSustainPingPong = 0x80;
constexpr std::uint8_t kSignedData = 0x1, kSecondVariant = 0x4;

// Envelope values: volume 0..64, panning and pitch -32..32 kept around 32.
void readEnvelope(ByteReader& r, Envelope& e, bool centred, bool& filter) {
  const std::uint8_t flags = r.u8();
  const std::uint8_t points = r.u8();
  e.loopStart = r.u8();
  e.loopEnd = r.u8();
  e.sustain = r.u8();
  e.sustainEnd = r.u8();
  for (int i = 0; i < kEnvelopePoints; ++i) {
    const std::int32_t y = r.s8();
    e.y[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(std::clamp(centred ? y + 32 : y, 0, 64));
    e.x[static_cast<std::size_t>(i)] = r.u16le();
  }
  r.u8();
  filter = (flags & kFileEnvFilter) != 0;
  e.points = std::min<std::uint8_t>(points, kEnvelopePoints);
  e.type = static_cast<std::uint8_t>(((flags & kFileEnvOn) ? kEnvOn : 0) | ((flags & kFileEnvLoop) ? kEnvLoop : 0) |
                                     ((flags & kFileEnvSustain) ? kEnvSustain : 0) |
                                     ((flags & kFileEnvCarry) ? kEnvCarry : 0));
  if (points < 2 || points > kEnvelopePoints) e.type &= static_cast<std::uint8_t>(~kEnvOn);
  if (e.loopEnd >= e.points || e.loopStart > e.loopEnd) e.type &= static_cast<std::uint8_t>(~kEnvLoop);
  if (e.sustainEnd >= e.points || e.sustain > e.sustainEnd) e.type &= static_cast<std::uint8_t>(~kEnvSustain);
}

EngineError readInstrument(ByteReader r, std::size_t at, bool newFormat, Instrument& in) {
  r.seek(at);
  if (!r.matches(at, "IMPI")) return EngineError::kUnrecognised;
  r.skip(17);
  if (newFormat) {
    in.newNoteAction = static_cast<NoteAction>(std::min<std::uint8_t>(r.u8(), 3));
    in.duplicateCheck = static_cast<DuplicateCheck>(std::min<std::uint8_t>(r.u8(), 3));
    in.duplicateAction = static_cast<NoteAction>(std::min<std::uint8_t>(r.u8(), 3));
    in.fadeout = std::min<std::int32_t>(r.u16le(), 1024) * 64;
    in.pitchPanSeparation = std::clamp<std::int32_t>(static_cast<std::int8_t>(r.u8()), -32, 32);
    in.pitchPanCentre = r.u8();
    in.globalVolume = std::min<std::int32_t>(r.u8(), 128);
    const std::uint8_t pan = r.u8();
    in.defaultPan = (pan & 0x80) ? -1 : std::min(pan * 4, 255);
    in.randomVolume = std::min<std::int32_t>(r.u8(), 100);
    in.randomPan = std::min<std::int32_t>(r.u8(), 64);
    r.skip(4);
    in.name = r.text(26);
    const std::uint8_t cutoff = r.u8();
    const std::uint8_t resonance = r.u8();
    in.filterCutoff = (cutoff & 0x80) ? cutoff & 0x7F : -1;
    in.filterResonance = (resonance & 0x80) ? resonance & 0x7F : -1;
  } else {
    r.skip(14);
    in.name = r.text(26);
  }
  r.seek(at + 0x40);
  for (int n = 0; n < it::kNotes; ++n) {
    in.noteMap[static_cast<std::size_t>(n)] = std::min<std::uint8_t>(r.u8(), it::kNotes - 1);
    in.keymap[static_cast<std::size_t>(n)] = r.u8();
  }
  if (newFormat) {
    bool filter = false, unused = false;
    readEnvelope(r, in.volumeEnvelope, false, unused);
    readEnvelope(r, in.panEnvelope, true, unused);
    readEnvelope(r, in.pitchEnvelope, true, filter);
    in.pitchIsFilter = filter;
  }
  in.samples.fill(&invalidSample());
  return r.ok() ? EngineError::kNone : EngineError::kUnrecognised;
}

EngineError readSample(ByteReader r, std::size_t at, SongSample& s, SampleSink& sink) {
  if (!r.matches(at, "IMPS")) return EngineError::kUnrecognised;
  r.seek(at + 0x11);
  s.globalVolume = std::min<std::int32_t>(r.u8(), 64);
  const std::uint8_t flags = r.u8();
  s.volume = std::min<std::int32_t>(r.u8(), 64);
  s.name = r.text(26);
  const std::uint8_t convert = r.u8();
  const std::uint8_t pan = r.u8();
  std::uint32_t length = r.u32le();
  std::uint32_t loopStart = r.u32le();
  std::uint32_t loopEnd = r.u32le();
  const std::uint32_t rate = r.u32le();
  const std::uint32_t sustainStart = r.u32le();
  const std::uint32_t sustainEnd = r.u32le();
  const std::size_t data = r.u32le();
  s.vibrato.rate = r.u8();  // speed: position step per tick
  s.vibrato.depth = r.u8();
  s.vibrato.sweep = r.u8();  // how fast the depth builds
  s.vibrato.type = r.u8();
  if (!r.ok()) return EngineError::kUnrecognised;
  s.panOn = (pan & 0x80) != 0;
  s.pan = std::min((pan & 0x7F) * 4, 255);
  s.c4Rate = static_cast<std::int32_t>(std::clamp<std::uint32_t>(rate, 1, 9999999));
  s.is16Bit = (flags & k16Bit) != 0;
  s.length = 0;
  s.loopLength = 0;
  if (!(flags & kHasData) || data >= r.size()) return EngineError::kNone;

  const bool compressed = (flags & kCompressed) != 0;
  const std::size_t frameBytes = (s.is16Bit ? 2u : 1u) * ((flags & kStereoData) && !compressed ? 2u : 1u);
  const std::size_t available = r.size() - data;
  // Packed data holds at least one bit a frame; stereo data keeps its left side.
  const std::size_t most = compressed ? available * 8 : available / frameBytes;
  length = static_cast<std::uint32_t>(std::min<std::size_t>(length, most));
  s.length = length;
  // Only one loop plays: the loop, else the sustain loop.
  bool pingPong = (flags & kPingPong) != 0;
  if (!(flags & kLoop) && (flags & kSustainLoop)) {
    loopStart = sustainStart;
    loopEnd = sustainEnd;
    pingPong = (flags & kSustainPingPong) != 0;
  }
  setSampleLoop(s, (flags & (kLoop | kSustainLoop)) && loopStart < loopEnd && loopStart < length, loopStart, loopEnd,
                pingPong ? 4u : 2u);
  if (length == 0) return EngineError::kNone;
  std::uint32_t srcMode =
      (s.is16Bit ? mode::k16Bits : mode::k8Bits) | ((convert & kSignedData) ? mode::kSigned : mode::kUnsigned);
  // Stereo samples store the left side whole, then the right: the left side plays.
  const std::size_t byteCount = compressed ? available : length * (s.is16Bit ? 2u : 1u);
  if (compressed) {
    srcMode = (s.is16Bit ? mode::k16Bits : mode::k8Bits) | mode::kSigned |
              ((convert & kSecondVariant) ? mode::kTrackerPacked2 : mode::kTrackerPacked);
  }
  return uploadSample(sink, s, r.at(data), byteCount, srcMode);
}

EngineError readPattern(ByteReader r, std::size_t at, Pattern& p) {
  p.rows = kEmptyRows;
  if (at == 0) return EngineError::kNone;
  r.seek(at);
  const std::size_t length = r.u16le();
  const std::int32_t rows = r.u16le();
  r.skip(4);
  if (!r.ok() || rows == 0 || rows > kMaxRows) return EngineError::kUnrecognised;
  p.rows = rows;
  // Packed bytes cut short by the end of the file keep what is there.
  p.packed.assign(r.here(), r.here() + std::min(length, r.remaining()));
  return EngineError::kNone;
}

}  // namespace

EngineError loadIt(Song& song, ByteReader& r, SampleSink& sink) {
  if (!r.matches(0, "IMPM")) return EngineError::kUnrecognised;
  song.kind = SongKind::kIt;
  song.format = &itFormat();
  r.seek(4);
  song.name = r.text(26);
  r.seek(kCountsOffset);
  const std::int32_t orders = r.u16le();
  const std::int32_t instruments = r.u16le();
  const std::int32_t samples = r.u16le();
  const std::int32_t patterns = r.u16le();
  r.u16le();
  const std::uint16_t compatible = r.u16le();
  song.formatFlags = r.u16le();
  r.u16le();
  song.initialGlobalVolume = std::min<std::int32_t>(r.u8(), 128);
  song.masterVolume = std::min<std::int32_t>(r.u8(), 128) * 2;
  const std::int32_t speed = r.u8();
  const std::int32_t tempo = r.u8();
  if (!r.ok() || orders > kMaxOrders || instruments > kMaxInstruments || samples > kMaxSamples ||
      patterns > kMaxPatterns) {
    return EngineError::kUnrecognised;
  }
  song.flags = (song.formatFlags & it::kLinearSlides) ? kLinearPeriods : 0;
  song.initialSpeed = speed > 0 ? speed : 6;
  song.initialBpm = tempo >= 32 ? tempo : 125;

  r.seek(kPansOffset);
  song.channels.assign(kChannels, SongChannel{});
  for (std::int32_t ch = 0; ch < kChannels; ++ch) {
    const std::uint8_t pan = r.u8();
    const std::int32_t value = pan & 0x7F;
    song.channelPans.push_back(value == kSurroundPan ? 128 : std::min(value * 4, 255));
  }
  for (std::int32_t ch = 0; ch < kChannels; ++ch) song.channelVolumes.push_back(std::min<std::int32_t>(r.u8(), 64));
  r.seek(kOrdersOffset);
  r.bytes(song.orders.data(), static_cast<std::size_t>(orders));
  std::vector<std::size_t> instrumentAt(static_cast<std::size_t>(instruments));
  std::vector<std::size_t> sampleAt(static_cast<std::size_t>(samples));
  std::vector<std::size_t> patternAt(static_cast<std::size_t>(patterns));
  for (std::size_t& at : instrumentAt) at = r.u32le();
  for (std::size_t& at : sampleAt) at = r.u32le();
  for (std::size_t& at : patternAt) at = r.u32le();
  if (!r.ok()) return EngineError::kUnrecognised;
  std::int32_t highest = -1;
  for (std::int32_t i = 0; i < orders; ++i) {
    const std::uint8_t o = song.orders[static_cast<std::size_t>(i)];
    if (o != it::kEndOrder) song.songLength = i + 1;
    if (o < it::kSkipOrder) highest = std::max<std::int32_t>(highest, o);
  }
  if (song.songLength == 0) return EngineError::kUnrecognised;

  song.patterns.resize(static_cast<std::size_t>(std::max(highest + 1, patterns)));
  for (std::size_t p = 0; p < song.patterns.size(); ++p) {
    const EngineError e = readPattern(r, p < patternAt.size() ? patternAt[p] : 0, song.patterns[p]);
    if (e != EngineError::kNone) return e;
  }
  song.instruments.resize(instrumentAt.size());
  for (std::size_t i = 0; i < instrumentAt.size(); ++i) {
    const EngineError e = readInstrument(r, instrumentAt[i], compatible >= kNewInstruments, song.instruments[i]);
    if (e != EngineError::kNone) return e;
  }
  for (std::size_t at : sampleAt) {
    if (const EngineError e = readSample(r, at, song.addSample(), sink); e != EngineError::kNone) return e;
  }
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
