// The MIDI file reader: chunks, tracks with running status, and the tempo map that turns
// ticks into seconds. Every length read from the file is held to the bytes there are, so
// memory grows only with the bytes given (an event takes at least two of them).
#include "sound/music/midi_file.h"

#include <algorithm>
#include <cstring>

#include "sound/formats/byte_reader.h"

namespace korvo::sound::music {
namespace {

using formats::ByteReader;

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kHeaderBody = 6;
// Microseconds per quarter note until a tempo event says otherwise (120 beats a minute).
constexpr double kDefaultTempo = 500000.0;
// A variable-length number has at most four bytes (28 bits).
constexpr int kLongestNumber = 4;

constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExContinued = 0xF7;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kMetaTempo = 0x51;

// An event of the file before the tempo map is applied: a channel message, or a tempo change
// (status 0, tempo set).
struct TickEvent {
  std::uint64_t tick = 0;
  std::uint32_t tempo = 0;
  std::uint8_t status = 0;
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

std::uint32_t u32be(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A variable-length number; false when it runs past the end or past four bytes.
bool readNumber(ByteReader& in, std::uint32_t& value) {
  value = 0;
  for (int i = 0; i < kLongestNumber; ++i) {
    const std::uint8_t b = in.u8();
    if (!in.ok()) return false;
    value = (value << 7) | (b & 0x7F);
    if (!(b & 0x80)) return true;
  }
  return false;
}

// Data bytes that follow a channel status.
int dataBytes(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one track's events from base on; returns the tick at which the track ends.
std::uint64_t readTrack(ByteReader in, std::uint64_t base, std::vector<TickEvent>& out) {
  std::uint64_t tick = base;
  std::uint8_t running = 0;
  while (in.remaining() > 0) {
    std::uint32_t delta = 0;
    if (!readNumber(in, delta)) break;
    tick += delta;
    const std::uint8_t first = in.u8();
    if (!in.ok()) break;
    if (first == kMeta) {
      const std::uint8_t type = in.u8();
      std::uint32_t length = 0;
      if (!in.ok() || !readNumber(in, length)) break;
      if (type == kMetaEndOfTrack) return tick;
      const std::size_t have = std::min<std::size_t>(length, in.remaining());
      if (type == kMetaTempo && have >= 3) {
        const std::uint8_t* p = in.here();
        const std::uint32_t tempo = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
        // A tempo of 0 would make every later tick take no time: the one before stays.
        if (tempo > 0) out.push_back({tick, tempo, 0, 0, 0});
      }
      in.skip(have);
      continue;
    }
    if (first == kSysEx || first == kSysExContinued) {
      std::uint32_t length = 0;
      if (!readNumber(in, length)) break;
      in.skip(std::min<std::size_t>(length, in.remaining()));
      continue;
    }
    // Other system messages have no place in a file: the track cannot be read on.
    if (first >= 0xF0) break;
    TickEvent e{tick, 0, running, first, 0};
    if (first & 0x80) {
      running = first;
      e.status = first;
      e.data1 = in.u8();
    }
    if (e.status == 0) break;
    if (dataBytes(e.status) == 2) e.data2 = in.u8();
    if (!in.ok() || (e.data1 | e.data2) & 0x80) break;
    out.push_back(e);
  }
  return tick;
}

// Seconds per tick: from the tempo for a division in ticks per quarter note, fixed for one in
// frames per second (where 29 stands for 29.97) and ticks per frame.
struct TickClock {
  std::uint32_t perQuarter = 0;
  double smpteSeconds = 0;

  double secondsPerTick(double tempo) const { return perQuarter ? tempo / 1e6 / perQuarter : smpteSeconds; }
};

bool readDivision(std::uint16_t division, TickClock& clock) {
  if (!(division & 0x8000)) {
    clock.perQuarter = division;
    return division != 0;
  }
  const int frames = -static_cast<std::int8_t>(division >> 8);
  const int ticks = division & 0xFF;
  if (frames <= 0 || ticks == 0) return false;
  const double fps = frames == 29 ? 29.97 : frames;
  clock.smpteSeconds = 1.0 / (fps * ticks);
  return true;
}

// The standard file inside a RIFF "RMID" form: its "data" chunk, or null.
const std::uint8_t* riffMidiData(const std::uint8_t* data, std::size_t size, std::size_t& length) {
  ByteReader in(data, size);
  if (!in.matches(8, "RMID")) return nullptr;
  for (std::size_t at = 12; at + kChunkHeader <= size;) {
    in.seek(at + 4);
    const std::size_t have = size - at - kChunkHeader;
    const std::size_t chunk = in.u32le();
    if (in.matches(at, "data")) {
      length = std::min(chunk, have);
      return data + at + kChunkHeader;
    }
    if (chunk >= have) break;
    // RIFF chunks are padded to even lengths.
    at += kChunkHeader + chunk + (chunk & 1);
  }
  return nullptr;
}

}  // namespace

bool looksLikeMidi(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  if (in.matches(0, "MThd")) return true;
  return in.matches(0, "RIFF") && !in.matches(8, "WAVEfmt") && !in.matches(8, "AVI LIST");
}

EngineError readMidiFile(const std::uint8_t* data, std::size_t size, MidiSequence& out) {
  out = MidiSequence{};
  if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0) {
    data = riffMidiData(data, size, size);
    if (!data) return EngineError::kUnrecognised;
  }
  if (size < kChunkHeader + kHeaderBody || std::memcmp(data, "MThd", 4) != 0) return EngineError::kUnrecognised;
  const std::uint32_t headerLength = u32be(data + 4);
  if (headerLength < kHeaderBody) return EngineError::kUnrecognised;
  const std::uint16_t type = static_cast<std::uint16_t>(data[8] << 8 | data[9]);
  TickClock clock;
  if (type > 2 || !readDivision(static_cast<std::uint16_t>(data[12] << 8 | data[13]), clock)) {
    return EngineError::kUnrecognised;
  }

  // Every "MTrk" chunk there is, whatever count the header gives; other chunks are skipped.
  std::vector<TickEvent> events;
  std::uint64_t end = 0;
  bool anyTrack = false;
  for (std::size_t at = kChunkHeader + std::min<std::size_t>(headerLength, size); at + kChunkHeader <= size;) {
    const std::size_t have = size - at - kChunkHeader;
    const std::size_t length = std::min<std::size_t>(u32be(data + at + 4), have);
    if (std::memcmp(data + at, "MTrk", 4) == 0) {
      anyTrack = true;
      // Type 2 tracks are songs of their own, played one after another.
      const std::uint64_t base = type == 2 ? end : 0;
      end = std::max(end, readTrack(ByteReader(data + at + kChunkHeader, length), base, events));
    }
    at += kChunkHeader + length;
  }
  if (!anyTrack) return EngineError::kUnrecognised;

  std::stable_sort(events.begin(), events.end(),
                   [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });
  double seconds = 0;
  double perTick = clock.secondsPerTick(kDefaultTempo);
  std::uint64_t last = 0;
  out.events.reserve(events.size());
  for (const TickEvent& e : events) {
    seconds = std::min(seconds + static_cast<double>(e.tick - last) * perTick, kLongestMidiSeconds);
    last = e.tick;
    if (e.status == 0) perTick = clock.secondsPerTick(e.tempo);
    else out.events.push_back({seconds, e.status, e.data1, e.data2});
  }
  out.lengthSeconds = std::min(seconds + static_cast<double>(end - last) * perTick, kLongestMidiSeconds);
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
