// The MIDI file reader, then sixteen blocks of whatever it accepts on the MIDI player with a
// synthesizer that checks every message and render call: the timeline must be in order and
// within the song, memory must follow the input's size, and no block may run away.
#include <cstdint>
#include <vector>

#include "fuzz_seeds.h"
#include "sound/music/midi_player.h"
#include "tests/sound/midi_writer.h"

namespace {

using namespace korvo::sound::music;

// A low rate and short blocks: much of a song's timeline in little rendering.
constexpr std::int32_t kRate = 4000;
constexpr std::int32_t kBlock = 100;
constexpr int kBlocks = 16;

class CheckingSynth final : public MidiSynth {
 public:
  std::int32_t sampleRate() const override { return kRate; }
  void send(const MidiEvent& e) override {
    if (e.status < 0x80 || e.status > 0xEF || e.data1 > 0x7F || e.data2 > 0x7F) __builtin_trap();
    ++sent;
  }
  void render(float* left, float* right, std::int32_t frames) override {
    if (frames < 0 || frames > kBlock) __builtin_trap();
    for (std::int32_t i = 0; i < frames; ++i) left[i] = right[i] = 0.0f;
    rendered += frames;
  }
  void silence() override {}
  void reset() override {}
  void setGain(float gain) override {
    if (!(gain >= 0.0f && gain <= 1.0f)) __builtin_trap();
  }
  std::int32_t activeVoices() const override { return 0; }

  std::int64_t sent = 0;
  std::int64_t rendered = 0;
};

void checkSequence(const MidiSequence& seq, std::size_t size) {
  // Each event took at least two bytes of the file.
  if (seq.events.size() > size / 2) __builtin_trap();
  if (!(seq.lengthSeconds >= 0 && seq.lengthSeconds <= kLongestMidiSeconds)) __builtin_trap();
  double last = 0;
  for (const MidiEvent& e : seq.events) {
    if (!(e.seconds >= last && e.seconds <= seq.lengthSeconds)) __builtin_trap();
    last = e.seconds;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MidiSequence seq;
  if (readMidiFile(data, size, seq) != korvo::sound::EngineError::kNone) return 0;
  checkSequence(seq, size);

  CheckingSynth* synth = nullptr;
  MidiPlayer player([&synth](std::int32_t, std::string&) {
    auto made = std::make_unique<CheckingSynth>();
    synth = made.get();
    return made;
  });
  Song song;
  if (player.load(song, data, size, kRate) != korvo::sound::EngineError::kNone) __builtin_trap();
  if (player.start(song, kRate) != korvo::sound::EngineError::kNone) __builtin_trap();
  song.playing = true;
  std::vector<float> block(2 * kBlock);
  for (int i = 0; i < kBlocks; ++i) player.mixBlock(block.data(), kBlock, 8, kRate);
  if (synth->sent > std::int64_t{kBlocks} * kMidiEventsPerBlock) __builtin_trap();
  if (synth->rendered != std::int64_t{kBlocks} * kBlock) __builtin_trap();
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  MidiTrack melody;
  melody.program(0, 0, 19).noteOn(0, 0, 60).event(48, {62, 90}).noteOff(48, 0, 60).event(0, {0xB0, 64, 127});
  melody.event(0, {0xE0, 0x00, 0x50}).event(0, {0xF0, 0x03, 0x7E, 0x09, 0xF7}).noteOff(24, 0, 62).end(24);
  seeds.add("type0.mid", midiFile(0, 96, {melody}));

  MidiTrack conductor;
  conductor.tempo(0, 400000).event(0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}).tempo(96, 700000).end(96);
  MidiTrack drums;
  drums.noteOn(0, 9, 36).noteOn(12, 9, 42, 80).event(12, {0xD9, 0x40}).noteOff(0, 9, 36).end(48);
  seeds.add("type1.mid", midiFile(1, 96, {conductor, melody, drums}));
  seeds.add("type2.mid", midiFile(2, 0xE728, {melody, drums}));
  seeds.add("rmid.rmi", rmidFile(midiFile(0, 120, {melody})));

  MidiTrack dense;
  for (int i = 0; i < 200; ++i) dense.event(0, {0x90, static_cast<std::uint8_t>(i & 0x7F), 0});
  dense.end(0);
  seeds.add("dense.mid", midiFile(0, 96, {dense}));
}
