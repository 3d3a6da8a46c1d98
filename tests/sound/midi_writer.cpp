// Writing MIDI files: big-endian chunk lengths, variable-length delta times.
#include "midi_writer.h"

namespace korvo::sound::test {
namespace {

void put32be(MidiBytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void put32le(MidiBytes& out, std::uint32_t v) {
  for (int shift = 0; shift <= 24; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

void putTag(MidiBytes& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

}  // namespace

MidiBytes midiNumber(std::uint32_t value) {
  MidiBytes out{static_cast<std::uint8_t>(value & 0x7F)};
  while (value >>= 7) out.insert(out.begin(), static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
  return out;
}

MidiTrack& MidiTrack::event(std::uint32_t delta, std::initializer_list<std::uint8_t> data) {
  const MidiBytes d = midiNumber(delta);
  bytes.insert(bytes.end(), d.begin(), d.end());
  bytes.insert(bytes.end(), data);
  return *this;
}

MidiTrack& MidiTrack::noteOn(std::uint32_t delta, int channel, int key, int velocity) {
  return event(delta, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                       static_cast<std::uint8_t>(velocity)});
}

MidiTrack& MidiTrack::noteOff(std::uint32_t delta, int channel, int key) {
  return event(delta, {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 64});
}

MidiTrack& MidiTrack::program(std::uint32_t delta, int channel, int program) {
  return event(delta, {static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(program)});
}

MidiTrack& MidiTrack::tempo(std::uint32_t delta, std::uint32_t microseconds) {
  return event(delta, {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(microseconds >> 16),
                       static_cast<std::uint8_t>(microseconds >> 8), static_cast<std::uint8_t>(microseconds)});
}

MidiTrack& MidiTrack::end(std::uint32_t delta) { return event(delta, {0xFF, 0x2F, 0x00}); }

MidiTrack& MidiTrack::raw(std::initializer_list<std::uint8_t> data) {
  bytes.insert(bytes.end(), data);
  return *this;
}

MidiBytes midiFile(std::uint16_t type, std::uint16_t division, const std::vector<MidiTrack>& tracks) {
  MidiBytes out;
  putTag(out, "MThd");
  put32be(out, 6);
  for (std::uint16_t v : {type, static_cast<std::uint16_t>(tracks.size()), division}) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
  }
  for (const MidiTrack& t : tracks) {
    putTag(out, "MTrk");
    put32be(out, static_cast<std::uint32_t>(t.bytes.size()));
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
  }
  return out;
}

MidiBytes rmidFile(const MidiBytes& midi) {
  MidiBytes out;
  putTag(out, "RIFF");
  put32le(out, static_cast<std::uint32_t>(4 + 8 + midi.size() + (midi.size() & 1)));
  putTag(out, "RMID");
  putTag(out, "data");
  put32le(out, static_cast<std::uint32_t>(midi.size()));
  out.insert(out.end(), midi.begin(), midi.end());
  if (midi.size() & 1) out.push_back(0);
  return out;
}

}  // namespace korvo::sound::test
