// The format-neutral song record that every tracker format loads into and plays from:
// patterns of 5-byte cells, instruments with envelopes, samples, per-channel effect memory,
// voices, and the playing state that the scheduler and the format's tick handler share.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvo::sound::music {

class MusicPlayer;
struct MidiSong;
struct Song;

// Song kinds (the numbers are the ones the engine reports).
enum class SongKind : std::int32_t { kNone = 0, kMod = 1, kS3m = 2, kXm = 3, kIt = 4, kMidi = 5 };

// Note byte values with a meaning of their own.
inline constexpr std::uint8_t kNoNote = 0;
inline constexpr std::uint8_t kKeyOff = 255;

// One pattern cell; a row is channels cells.
struct Cell {
  std::uint8_t note = 0;
  std::uint8_t instrument = 0;
  std::uint8_t volume = 0;
  std::uint8_t effect = 0;
  std::uint8_t param = 0;
};
static_assert(sizeof(Cell) == 5);

struct Pattern {
  std::int32_t rows = 0;
  // rows * channels; none when every cell is empty, as a pattern the file leaves out (no
  // memory for a count a file merely claims).
  std::vector<Cell> cells;
  // A format that keeps its patterns packed (IT) holds the bytes here instead of cells.
  std::vector<std::uint8_t> packed;
};

// Where the unpacking of a packed pattern stands: the row last unpacked, the byte after it,
// each channel's last mask and values, and the cells of that row.
struct PackedRows {
  std::int32_t pattern = -1;
  std::int32_t row = -1;
  std::size_t offset = 0;
  std::vector<std::uint8_t> masks;
  std::vector<Cell> last;
  std::vector<Cell> cells;
};

// Vibrato that runs by itself on every note: wave type, sweep (ticks to full depth), depth, rate.
struct AutoVibrato {
  std::uint8_t type = 0;
  std::uint8_t sweep = 0;
  std::uint8_t depth = 0;
  std::uint8_t rate = 0;
};

// A sample of a song: the tracker's header values and the engine sample holding its PCM data.
struct SongSample {
  std::string name;
  std::uint32_t length = 0;  // frames
  std::uint32_t loopStart = 0;
  std::uint32_t loopLength = 0;
  std::uint32_t loopMode = 1;  // engine loop bits: 1 off, 2 forward, 4 bidirectional
  bool is16Bit = false;
  std::int32_t volume = 64;   // 0..64
  std::int32_t finetune = 0;  // signed byte
  std::int32_t relativeNote = 0;
  std::int32_t pan = 128;
  // Whether pan is the note's pan (else the channel or instrument gives it).
  bool panOn = true;
  // 0..64: scales every note of the sample.
  std::int32_t globalVolume = 64;
  std::int32_t c4Rate = 8363;
  // The sample's own auto-vibrato, for formats that keep it there.
  AutoVibrato vibrato;
  // The engine sample (an id the music engine gave), -1 for none.
  std::int32_t pcm = -1;
};

// The shared stand-in for empty and out-of-range sample slots: no data, length 0.
SongSample& invalidSample();

// The most points an envelope of any format has.
inline constexpr int kEnvelopePoints = 25;
// Envelope type bits.
inline constexpr std::uint8_t kEnvOn = 0x1;
inline constexpr std::uint8_t kEnvSustain = 0x2;
inline constexpr std::uint8_t kEnvLoop = 0x4;
// Kept running from the voice a new note replaces instead of restarting.
inline constexpr std::uint8_t kEnvCarry = 0x8;

// Points of values 0..64 (panning and pitch around 32). The sustain is a point
// (sustain = sustainEnd) or a loop that runs until the key is released.
struct Envelope {
  std::array<std::uint16_t, kEnvelopePoints> x{};
  std::array<std::uint16_t, kEnvelopePoints> y{};
  std::uint8_t points = 0;
  std::uint8_t sustain = 0;
  std::uint8_t sustainEnd = 0;
  std::uint8_t loopStart = 0;
  std::uint8_t loopEnd = 0;
  std::uint8_t type = 0;
  bool on() const { return (type & kEnvOn) != 0; }
};

inline constexpr int kInstrumentSamples = 16;
// Notes an instrument maps (XM uses the first 96).
inline constexpr int kKeymapNotes = 120;

// What a channel does with its sounding note when a new one starts, and what a duplicate
// check does with a matching voice.
enum class NoteAction : std::uint8_t { kCut = 0, kContinue = 1, kOff = 2, kFade = 3 };
// Which voices a duplicate check matches: none, same note, same sample, same instrument.
enum class DuplicateCheck : std::uint8_t { kOff = 0, kNote = 1, kSample = 2, kInstrument = 3 };

struct Instrument {
  std::string name;
  std::int32_t sampleCount = 0;
  // Per note: the instrument's sample slot (XM), or the song sample number from 1 (IT).
  std::array<std::uint8_t, kKeymapNotes> keymap{};
  // Per note: the note it plays (IT).
  std::array<std::uint8_t, kKeymapNotes> noteMap{};
  Envelope volumeEnvelope;
  Envelope panEnvelope;
  // Pitch, or with pitchIsFilter the filter cutoff.
  Envelope pitchEnvelope;
  bool pitchIsFilter = false;
  AutoVibrato vibrato;
  std::int32_t fadeout = 0;  // subtracted from 65536 each tick after key off
  NoteAction newNoteAction = NoteAction::kCut;
  DuplicateCheck duplicateCheck = DuplicateCheck::kOff;
  NoteAction duplicateAction = NoteAction::kCut;
  std::int32_t pitchPanSeparation = 0;  // -32..32
  std::int32_t pitchPanCentre = 60;
  std::int32_t globalVolume = 128;  // 0..128
  std::int32_t defaultPan = -1;     // 0..255, -1 none
  std::int32_t randomVolume = 0;    // percent
  std::int32_t randomPan = 0;
  std::int32_t filterCutoff = -1;     // 0..127, -1 none
  std::int32_t filterResonance = -1;  // 0..127, -1 none
  // Sample slots: entries of the song's sample array, or the invalid sample.
  std::array<SongSample*, kInstrumentSamples> samples{};
};

// Where an envelope is and what it puts out.
struct EnvelopeState {
  std::int32_t index = 0;
  std::int32_t tick = 0;
  std::int32_t value = 0;  // 16.16
  std::int32_t delta = 0;  // 16.16 per tick
  std::int32_t output = 0;
  bool ended = false;
};

// Voice update flags: what applying the voice must send to its engine channel.
namespace vflag {
inline constexpr std::uint32_t kFrequency = 0x1;
inline constexpr std::uint32_t kVolume = 0x2;
inline constexpr std::uint32_t kPan = 0x4;
inline constexpr std::uint32_t kTrigger = 0x8;
inline constexpr std::uint32_t kFilter = 0x10;
inline constexpr std::uint32_t kStop = 0x20;
inline constexpr std::uint32_t kLevels = kFrequency | kVolume | kPan;
}  // namespace vflag

// The sound of one note on one engine channel.
struct Voice {
  std::int32_t channel = -1;  // reserved engine channel index, -1 for the dummy voice
  std::int32_t handle = -1;   // engine handle of the playing note
  SongSample* sample = nullptr;
  const Instrument* instrument = nullptr;
  std::int32_t period = 0;
  std::int32_t periodDelta = 0;
  std::int32_t volume = 0;
  std::int32_t volumeDelta = 0;
  std::int32_t pan = 128;
  EnvelopeState volumeEnv;
  EnvelopeState panEnv;
  EnvelopeState pitchEnv;
  std::int32_t fadeout = 65536;
  bool keyOff = false;
  // Fading out (after key off, or by a note action) without a key off.
  bool fading = false;
  // Formats with several voices per channel: the note, its channel's volume 0..64 and the
  // sample volume 0..64 (the sample's global volume scaled by the instrument's), the filter's
  // cutoff and resonance 0..127.
  std::int32_t note = 0;
  std::int32_t channelVolume = 64;
  std::int32_t sampleVolume = 64;
  std::int32_t cutoff = 127;
  std::int32_t resonance = 0;
  // The filter as the engine channel has it: cutoff in Hz (0 for none), resonance in dB.
  std::int32_t filterHz = 0;
  float filterDb = 0.0f;
  // A voice a newer note left sounding on its channel.
  bool background = false;
  std::int32_t autoVibratoPos = 0;
  std::int32_t autoVibratoSweep = 0;
  std::uint32_t startOffset = 0;
  std::uint32_t flags = 0;
  // The next voice of the same song channel.
  Voice* next = nullptr;
  bool inUse = false;
};

// Per song channel: the row being played and every remembered effect parameter.
struct SongChannel {
  std::int32_t instrument = -1;  // -1 until a row names one
  std::int32_t note = 0;         // note byte - 1 of the last note
  std::int32_t realNote = 0;     // with the sample's relative note
  std::int32_t period = 0;       // the last note's period
  Cell cell;
  std::uint8_t previousEffect = 0;
  std::uint8_t portaUp = 0, portaDown = 0;
  std::int32_t tonePortaSpeed = 0, tonePortaTarget = 0;
  std::uint8_t volumeSlide = 0;
  std::uint8_t finePortaUp = 0, finePortaDown = 0;
  std::uint8_t fineVolumeUp = 0, fineVolumeDown = 0;
  std::uint8_t extraFineUp = 0, extraFineDown = 0;
  std::int32_t vibratoSpeed = 0, vibratoDepth = 0, vibratoPos = 0;
  std::int32_t tremoloSpeed = 0, tremoloDepth = 0, tremoloPos = 0;
  std::uint8_t waveform = 0;  // low nibble vibrato, high nibble tremolo
  std::int32_t retrigInterval = 0, retrigVolume = 0, retrigCounter = 0;
  std::int32_t tremorOn = 0, tremorOff = 0, tremorCounter = 0;
  std::uint8_t sampleOffset = 0;
  std::int32_t loopRow = 0, loopCount = 0;
  std::uint8_t panSlide = 0;
  std::uint8_t globalVolumeSlide = 0;
  // The channel's own pan 0..255 and volume 0..64, set at the start from the song's defaults.
  std::int32_t pan = 128;
  std::int32_t volume = 64;
  bool surround = false;
  // Memories of the lettered effects (S3M, IT).
  std::uint8_t arpeggio = 0;
  std::uint8_t channelVolumeSlide = 0;
  std::uint8_t tempoSlide = 0;
  std::uint32_t offsetHigh = 0;  // IT SAy: sample offset bits above 16
  std::int32_t panbrelloSpeed = 0, panbrelloDepth = 0, panbrelloPos = 0;
  std::uint8_t panbrelloWave = 0;
  // IT: the new-note action the row's S7x chose over the instrument's, -1 for none.
  std::int32_t newNoteAction = -1;
  // A note delayed by EDy waits here for its tick.
  bool delayed = false;
  // The voices of this channel (one for XM, several with new-note actions).
  Voice* voices = nullptr;
};

// Callbacks a program may install; the runtime installs none.
struct SongCallbacks {
  void (*row)(Song&, std::int32_t row, void* user) = nullptr;
  void (*order)(Song&, std::int32_t order, void* user) = nullptr;
  void (*instrument)(Song&, std::int32_t instrument, void* user) = nullptr;
  void (*effect)(Song&, std::int32_t param, void* user) = nullptr;
  void* user = nullptr;
};

// One entry of the audible-position ring.
struct AudiblePosition {
  std::int64_t samples = -1;  // output samples played by the song before this block
  std::int32_t row = 0;
  std::int32_t order = 0;
};
inline constexpr int kPositionRing = 64;

// What a tracker format brings: its tick handler and how its voices come out.
struct SongFormat {
  SongKind kind;
  // Runs one tick of the song: rows on tick 0, effects on the others.
  void (*tick)(Song&, MusicPlayer&);
  // Run by playSong; false cancels playing. Null when the format needs none.
  bool (*start)(Song&);
  // The engine channel volume 0..255 of a voice.
  std::int32_t (*volume)(const Song&, const Voice&);
};

// Where a song's random variations start.
inline constexpr std::uint32_t kRandomSeed = 0x2545F491u;

// Song flag bits.
inline constexpr std::uint32_t kLinearPeriods = 0x1;

struct Song {
  SongKind kind = SongKind::kNone;
  const SongFormat* format = nullptr;
  std::string name;
  std::vector<Pattern> patterns;
  // Every sample the song loaded, in instrument order; they live as long as the song.
  std::vector<std::unique_ptr<SongSample>> ownedSamples;
  // The flat sample array: ownedSamples in order, with the invalid sample in place of one
  // whose engine sample was freed on its own.
  std::vector<SongSample*> samples;
  std::vector<Instrument> instruments;
  std::vector<SongChannel> channels;
  std::int32_t songLength = 0;
  std::int32_t restartPosition = 0;
  std::uint32_t flags = 0;
  std::int32_t initialSpeed = 6;
  std::int32_t initialBpm = 125;
  std::int32_t initialGlobalVolume = 64;
  std::array<std::uint8_t, 256> orders{};
  // Header flags whose meaning is the format's own.
  std::uint32_t formatFlags = 0;
  // Each channel's pan 0..255 and volume 0..64 at the start (empty: centred, full).
  std::vector<std::int32_t> channelPans;
  std::vector<std::int32_t> channelVolumes;

  std::int32_t masterVolume = 256;
  std::int32_t globalVolume = 64;
  float tempoScale = 1.0f;
  float panSeparation = 1.0f;
  // The engine's mix rate, for the tempo rule.
  std::int32_t mixRate = 44100;

  // Playing state.
  std::int32_t speed = 6;
  std::int32_t bpm = 125;
  std::int32_t tick = 0;
  std::int32_t patternDelay = 0;
  // A second delay count in ticks, for formats that keep two.
  std::int32_t fineDelay = 0;
  std::int32_t order = 0;
  std::int32_t row = 0;
  std::int32_t nextOrder = -1;
  std::int32_t nextRow = -1;
  std::int32_t samplesPerTick = 0;
  std::int32_t samplesLeft = 0;
  bool finished = false;
  bool looping = true;
  bool paused = false;
  bool playing = false;
  // A song that does not loop ends when its next row would start after the last order.
  bool endAtNextRow = false;

  SongCallbacks callbacks;
  std::array<AudiblePosition, kPositionRing> positions{};
  std::int32_t positionCursor = 0;
  std::int64_t samplesPlayed = 0;

  // The generator of random variations (IT instruments), restarted with the song so that it
  // plays the same every time.
  std::uint32_t randomState = kRandomSeed;

  // The row being played, for formats that keep their patterns packed.
  PackedRows packedRows;

  // Place in the player's list of playing songs.
  Song* nextPlaying = nullptr;

  // A MIDI song's file and position (midi_player.h); null for tracker songs.
  std::shared_ptr<MidiSong> midi;

  // A new sample that the song owns, at the end of its sample array.
  SongSample& addSample();
  std::int32_t channelCount() const { return static_cast<std::int32_t>(channels.size()); }
  const Cell& cell(std::int32_t patternIndex, std::int32_t rowIndex, std::int32_t channelIndex) const {
    static constexpr Cell kEmpty;
    const Pattern& p = patterns[static_cast<std::size_t>(patternIndex)];
    if (p.cells.empty()) return kEmpty;
    return p.cells[static_cast<std::size_t>(rowIndex) * channels.size() + static_cast<std::size_t>(channelIndex)];
  }
};

// Samples per tick for a BPM: the scheduler's tempo rule.
std::int32_t samplesPerTick(std::int32_t mixRate, std::int32_t bpm, float tempoScale, std::int32_t previous);
// Sets the song's BPM and recomputes its tick length at the song's mix rate.
void setTempo(Song& song, std::int32_t bpm);

}  // namespace korvo::sound::music
