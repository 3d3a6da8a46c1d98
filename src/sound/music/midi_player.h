// MIDI songs (kind 5): loaded by our own file reader, played through one synthesizer that
// renders inside the music unit, so they keep the mix's clock, pause and outputs. One MIDI
// song sounds at a time: starting another stops the one playing. The music player hands
// every operation on a song of this kind to the MidiPlayer, holding its own lock. A paused
// song holds the synthesizer still; it keeps its place while another plays, and takes the
// synthesizer back when resumed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "sound/engine/engine_error.h"
#include "sound/music/midi_file.h"
#include "sound/music/midi_synth.h"
#include "sound/music/song.h"

namespace korvo::sound::music {

// What a MIDI song carries beside the song record.
struct MidiSong {
  MidiSequence sequence;
  // Frames of the current pass already played, at the synthesizer's rate.
  std::int64_t position = 0;
  // The next event to send.
  std::size_t next = 0;
};

// The format record of MIDI songs: the scheduler has no ticks to run for them.
const SongFormat& midiFormat();

// The synthesizer's master volume for a song's master volume 0..256, in hundredths of a
// decibel (0 gives -10000, 256 and 255 give 0).
std::int32_t midiVolumeCentibels(std::int32_t volume);

// Messages due in one block at most; the rest wait for the next block, so that no file,
// however dense, holds up the mix.
inline constexpr int kMidiEventsPerBlock = 20000;

class MidiPlayer {
 public:
  explicit MidiPlayer(MidiSynthMaker maker) : maker_(std::move(maker)) {}
  MidiPlayer(const MidiPlayer&) = delete;
  MidiPlayer& operator=(const MidiPlayer&) = delete;

  // Fills song from a MIDI file: kind 5, tempo 125. The first load makes the synthesizer at
  // rate; without one (no SoundFont) the file is not taken: kUnrecognised, and debug mode
  // logs why.
  EngineError load(Song& song, const std::uint8_t* data, std::size_t size, std::int32_t rate);
  // Starts the song from its beginning as the one that sounds. kNotStarted without a
  // synthesizer, kNoMidiData for a song without MIDI data.
  EngineError start(Song& song, std::int32_t rate);
  // Silences the song if it is the one sounding.
  void stop(Song& song);
  // Continues a paused song (its paused flag already cleared) from its position: where its
  // sound stopped, or, if another song sounded meanwhile, with the channels as it had set them.
  void resume(Song& song);
  // Applies the song's master volume if it is the one sounding.
  void applyVolume(const Song& song);
  // Forgets the song (it is being freed).
  void forget(const Song& song);

  // One block of the music unit at the engine's rate: the sounding song's messages at their
  // frames, rendered and added into buffer (valueBytes: 4 for 16-bit, 8 for float stereo).
  void mixBlock(void* buffer, std::int32_t samples, std::int32_t valueBytes, std::int32_t rate);

 private:
  // Plays the song into the synthesizer for up to frames; the frames played (fewer when a
  // song that does not loop ends).
  std::int32_t playSong(Song& song, std::int32_t frames);
  std::int64_t frameAt(double seconds) const;
  // Sends every controller, program and pitch message before the song's position.
  void restoreChannels(const MidiSong& midi);
  // The sounding song gives the synthesizer up: one that plays ends, a paused one keeps its
  // position to resume from.
  void giveWay();
  void makeCurrent(Song& song);
  void applyGain(const Song& song);

  std::mutex mutex_;
  MidiSynthMaker maker_;
  std::unique_ptr<MidiSynth> synth_;
  // The song the synthesizer plays (paused or not), or null.
  Song* current_ = nullptr;
  std::vector<float> left_;
  std::vector<float> right_;
  // Frames rendered since a voice last sounded; rendering stops once the tails have died.
  std::int64_t quietFrames_ = 0;
};

}  // namespace korvo::sound::music
