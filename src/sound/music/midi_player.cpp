// MIDI songs on the mixing timeline: each block sends the messages that fall in it at their
// frames, renders the synthesizer between them and adds the result into the music unit's
// block. Pausing stops the synthesizer's time with the song's, so that resuming continues the
// very sound that stopped; a song's position is its own, so a paused song resumes where it
// stopped even after another song has sounded meanwhile.
#include "sound/music/midi_player.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/debug_hooks.h"
#include "base/kv_ex.h"

namespace korvo::sound::music {
namespace {

constexpr SongFormat kMidiFormat = {SongKind::kMidi, nullptr, nullptr, nullptr};
// What a MIDI song reports as its tempo.
constexpr std::int32_t kMidiTempo = 125;
// The synthesizer's gain at full volume: General MIDI songs through a General MIDI
// SoundFont come out at about the loudness of the game's tracker music.
constexpr float kFullGain = 0.6f;
// How long the synthesizer still renders after its last voice ended (reverb and chorus).
constexpr double kTailSeconds = 2.0;
// Mix values are 16-bit sample values, whatever the mixer's format.
constexpr float kSampleScale = 32768.0f;

bool isNoteMessage(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

// Adds rendered frames into the music unit's block.
void addFrames(void* buffer, const float* left, const float* right, std::int32_t frames, std::int32_t valueBytes) {
  if (valueBytes == 8) {
    float* out = static_cast<float*>(buffer);
    for (std::int32_t i = 0; i < frames; ++i) {
      out[2 * i] += left[i] * kSampleScale;
      out[2 * i + 1] += right[i] * kSampleScale;
    }
    return;
  }
  std::int16_t* out = static_cast<std::int16_t*>(buffer);
  const auto add = [](std::int16_t& to, float value) {
    const long sum = to + std::lrint(value * kSampleScale);
    to = static_cast<std::int16_t>(std::clamp(sum, -32768L, 32767L));
  };
  for (std::int32_t i = 0; i < frames; ++i) {
    add(out[2 * i], left[i]);
    add(out[2 * i + 1], right[i]);
  }
}

void logInDebugMode(const std::string& text) {
  if (!debugMode()) return;
  if (DebugHooks* hooks = currentHooks()) hooks->log(text.c_str());
}

}  // namespace

const SongFormat& midiFormat() { return kMidiFormat; }

EngineError MidiPlayer::load(Song& song, const std::uint8_t* data, std::size_t size, std::int32_t rate) {
  auto midi = std::make_shared<MidiSong>();
  if (const EngineError code = readMidiFile(data, size, midi->sequence); code != EngineError::kNone) return code;
  bool haveSynth = false;
  {
    std::lock_guard lock(mutex_);
    haveSynth = synth_ != nullptr;
  }
  if (!haveSynth) {
    // Made without the lock: loading a SoundFont takes long, and the mix goes on meanwhile.
    std::string why;
    std::unique_ptr<MidiSynth> made = maker_(rate, why);
    if (!made) {
      logInDebugMode("MIDI file not loaded: " + why);
      return EngineError::kUnrecognised;
    }
    std::lock_guard lock(mutex_);
    if (!synth_) synth_ = std::move(made);
  }
  song.kind = SongKind::kMidi;
  song.format = &kMidiFormat;
  song.initialBpm = song.bpm = kMidiTempo;
  song.midi = std::move(midi);
  return EngineError::kNone;
}

EngineError MidiPlayer::start(Song& song, std::int32_t rate) {
  std::lock_guard lock(mutex_);
  if (!song.midi) return EngineError::kNoMidiData;
  if (!synth_ || synth_->sampleRate() != rate) {
    // The engine was started again at another rate.
    current_ = nullptr;
    synth_.reset();
    std::string why;
    synth_ = maker_(rate, why);
  }
  if (!synth_) return EngineError::kNotStarted;
  giveWay();
  synth_->reset();
  current_ = &song;
  song.midi->position = 0;
  song.midi->next = 0;
  applyGain(song);
  return EngineError::kNone;
}

void MidiPlayer::stop(Song& song) {
  std::lock_guard lock(mutex_);
  if (current_ != &song) return;
  synth_->silence();
  current_ = nullptr;
}

void MidiPlayer::resume(Song& song) {
  std::lock_guard lock(mutex_);
  // Another song sounded meanwhile: this one takes the synthesizer back.
  if (synth_ && song.midi && song.playing && current_ != &song) makeCurrent(song);
}

void MidiPlayer::applyVolume(const Song& song) {
  std::lock_guard lock(mutex_);
  if (current_ == &song) applyGain(song);
}

void MidiPlayer::forget(const Song& song) {
  std::lock_guard lock(mutex_);
  if (current_ != &song) return;
  synth_->silence();
  current_ = nullptr;
}

void MidiPlayer::giveWay() {
  if (current_ && !current_->paused) {
    current_->playing = false;
    current_->finished = true;
  }
  current_ = nullptr;
}

void MidiPlayer::makeCurrent(Song& song) {
  giveWay();
  synth_->reset();
  current_ = &song;
  restoreChannels(*song.midi);
  applyGain(song);
}

void MidiPlayer::restoreChannels(const MidiSong& midi) {
  const auto& events = midi.sequence.events;
  for (std::size_t i = 0; i < midi.next && i < events.size(); ++i) {
    if (!isNoteMessage(events[i].status)) synth_->send(events[i]);
  }
}

void MidiPlayer::applyGain(const Song& song) {
  const double decibels = midiVolumeCentibels(song.masterVolume) / 100.0;
  synth_->setGain(static_cast<float>(kFullGain * std::pow(10.0, decibels / 20.0)));
}

std::int64_t MidiPlayer::frameAt(double seconds) const { return std::llround(seconds * synth_->sampleRate()); }

void MidiPlayer::mixBlock(void* buffer, std::int32_t samples, std::int32_t valueBytes, std::int32_t rate) {
  std::lock_guard lock(mutex_);
  if (!synth_ || synth_->sampleRate() != rate || samples <= 0) return;
  Song* song = current_;
  // A paused song holds the synthesizer still, notes, reverb and all, until it resumes.
  if (song && song->paused) return;
  const bool playing = song && song->playing;
  if (!playing && quietFrames_ >= frameAt(kTailSeconds)) return;
  if (left_.size() < static_cast<std::size_t>(samples)) {
    left_.resize(static_cast<std::size_t>(samples));
    right_.resize(static_cast<std::size_t>(samples));
  }
  const std::int32_t played = playing ? playSong(*song, samples) : 0;
  synth_->render(left_.data() + played, right_.data() + played, samples - played);
  addFrames(buffer, left_.data(), right_.data(), samples, valueBytes);
  quietFrames_ = synth_->activeVoices() > 0 ? 0 : quietFrames_ + samples;
}

std::int32_t MidiPlayer::playSong(Song& song, std::int32_t frames) {
  MidiSong& midi = *song.midi;
  const std::vector<MidiEvent>& events = midi.sequence.events;
  const std::int64_t end = frameAt(midi.sequence.lengthSeconds);
  int budget = kMidiEventsPerBlock;
  bool wrapped = false;
  std::int32_t done = 0;
  while (done < frames) {
    for (; midi.next < events.size() && budget > 0 && frameAt(events[midi.next].seconds) <= midi.position;
         ++midi.next, --budget) {
      synth_->send(events[midi.next]);
    }
    if (midi.next == events.size() && midi.position >= end) {
      song.finished = true;
      if (!song.looping) {
        song.playing = false;
        current_ = nullptr;
        return done;
      }
      // A song shorter than a block starts again once a block.
      if (wrapped) return done;
      midi.position = 0;
      midi.next = 0;
      wrapped = true;
      continue;
    }
    std::int64_t until = end;
    if (midi.next < events.size()) {
      until = budget > 0 ? frameAt(events[midi.next].seconds) : midi.position + (frames - done);
    }
    const auto run = static_cast<std::int32_t>(std::min<std::int64_t>(until - midi.position, frames - done));
    synth_->render(left_.data() + done, right_.data() + done, run);
    midi.position += run;
    done += run;
  }
  return done;
}

}  // namespace korvo::sound::music
