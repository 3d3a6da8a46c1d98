// IT notes and voices: the note map of instrument mode, new-note actions that leave the old
// voice sounding beside the new one, duplicate checks, pans and volumes at note start, and
// the per-tick life of every voice (envelopes, fade, auto-vibrato) until it falls silent.
#include <algorithm>
#include <cmath>

#include "sound/music/it_format.h"
#include "sound/music/it_player.h"
#include "sound/music/modulation.h"
#include "sound/music/pitch.h"

namespace korvo::sound::music::it {
namespace {

// Notes are an octave above the period table's: C-5 at the sample's C5 rate plays that rate.
constexpr std::int32_t kTableOffset = 12;
// Filter: the scaled cutoff at which it is open, the range of its cutoff in Hz, and the
// resonance peak per step (24 dB over the 128 steps).
constexpr std::int32_t kOpenFilter = 254;
constexpr std::int32_t kLowestCutoff = 120;
constexpr std::int32_t kHighestCutoff = 20000;
constexpr float kResonanceDb = 24.0f / 128.0f;

const Instrument* instrumentAt(const Song& song, std::int32_t index) {
  if (!(song.formatFlags & kInstrumentMode)) return nullptr;
  if (index < 0 || index >= static_cast<std::int32_t>(song.instruments.size())) return nullptr;
  return &song.instruments[static_cast<std::size_t>(index)];
}

SongSample* sampleNumber(const Song& song, std::int32_t number) {
  if (number < 1 || number > static_cast<std::int32_t>(song.samples.size())) return &invalidSample();
  return song.samples[static_cast<std::size_t>(number - 1)];
}

// Sets a voice going: off releases the key, fade fades without releasing it, cut silences.
void applyAction(Voice& v, NoteAction action) {
  switch (action) {
    case NoteAction::kCut:
      v.volume = 0;
      v.flags |= vflag::kStop | vflag::kVolume;
      break;
    case NoteAction::kOff: v.keyOff = true; break;
    case NoteAction::kFade: v.fading = true; break;
    case NoteAction::kContinue: break;
  }
}

bool duplicateOf(const Voice& v, DuplicateCheck check, std::int32_t note, const SongSample* sample,
                 const Instrument* in) {
  if (v.instrument != in) return false;
  switch (check) {
    case DuplicateCheck::kNote: return v.note == note;
    case DuplicateCheck::kSample: return v.sample == sample;
    case DuplicateCheck::kInstrument: return true;
    case DuplicateCheck::kOff: return false;
  }
  return false;
}

// The voice the new note plays on: the channel's voice, or a new one when the old note is
// to go on sounding.
Voice& voiceForNote(Song& song, MusicPlayer& player, SongChannel& c, std::int32_t note, const SongSample* sample,
                    const Instrument* in) {
  if (in && in->duplicateCheck != DuplicateCheck::kOff) {
    for (Voice* v = c.voices; v; v = v->next) {
      if (duplicateOf(*v, in->duplicateCheck, note, sample, in)) applyAction(*v, in->duplicateAction);
    }
  }
  Voice* current = c.voices;
  if (!current || !current->sample || !player.voiceSounds(*current)) return player.voiceFor(song, c);
  const NoteAction action = c.newNoteAction >= 0
                                ? static_cast<NoteAction>(c.newNoteAction)
                                : (current->instrument ? current->instrument->newNoteAction : NoteAction::kCut);
  if (action == NoteAction::kCut) return *current;
  Voice* fresh = player.addVoice(c);
  if (!fresh) return *current;
  applyAction(*current, action);
  current->background = true;
  return *fresh;
}

void startEnvelopes(Voice& v, const Instrument* in, const Voice& old) {
  const auto restart = [&](const Envelope* e, EnvelopeState& state, const EnvelopeState& was, std::int32_t out) {
    if (e && (e->type & kEnvCarry) && &v == &old) return;
    if (e && (e->type & kEnvCarry)) {
      state = was;
      return;
    }
    resetEnvelope(state, out);
  };
  restart(in ? &in->volumeEnvelope : nullptr, v.volumeEnv, old.volumeEnv, 64);
  restart(in ? &in->panEnvelope : nullptr, v.panEnv, old.panEnv, 32);
  restart(in ? &in->pitchEnvelope : nullptr, v.pitchEnv, old.pitchEnv, 32);
}

// A value in -range..range from the song's generator.
std::int32_t swing(Song& song, std::int32_t range) {
  if (range <= 0) return 0;
  std::uint32_t& s = song.randomState;
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return static_cast<std::int32_t>(s % static_cast<std::uint32_t>(2 * range + 1)) - range;
}

std::int32_t startPan(const SongChannel& c, const Instrument* in, const SongSample& s, std::int32_t note) {
  std::int32_t pan = c.pan;
  if (in && in->defaultPan >= 0) pan = in->defaultPan;
  if (s.panOn) pan = s.pan;
  if (in) pan += (note - in->pitchPanCentre) * in->pitchPanSeparation * 4 / 8;
  return std::clamp(pan, 0, 255);
}

void startNote(Song& song, MusicPlayer& player, SongChannel& c, std::int32_t fileNote) {
  const Instrument* in = instrumentAt(song, c.instrument);
  std::int32_t note = fileNote;
  SongSample* sample = nullptr;
  if (song.formatFlags & kInstrumentMode) {
    if (!in) return;
    note = in->noteMap[static_cast<std::size_t>(fileNote)];
    sample = sampleNumber(song, in->keymap[static_cast<std::size_t>(fileNote)]);
  } else {
    sample = sampleNumber(song, c.instrument + 1);
  }
  Voice* before = c.voices;
  const Voice old = before ? *before : Voice{};
  Voice& v = voiceForNote(song, player, c, note, sample, in);
  const bool sameVoice = &v == before;
  v.sample = sample;
  v.instrument = in;
  v.note = note;
  c.note = note;
  c.period = notePeriod(song, *sample, note);
  v.period = c.period;
  v.startOffset = 0;
  v.fadeout = 65536;
  v.keyOff = false;
  v.fading = false;
  v.background = false;
  v.autoVibratoPos = 0;
  v.autoVibratoSweep = 0;
  startEnvelopes(v, in, sameVoice ? v : old);
  if (!sameVoice || old.sample != sample) v.volume = sample->volume;
  v.pan = startPan(c, in, *sample, note);
  v.sampleVolume = sample->globalVolume * (in ? in->globalVolume : 128) / 128;
  // The instrument's random variations: volume by up to its percentage, pan by up to its
  // amount either way.
  if (in) {
    v.sampleVolume = std::clamp(v.sampleVolume * (100 + swing(song, in->randomVolume)) / 100, 0, 64);
    v.pan = std::clamp(v.pan + swing(song, in->randomPan) * 4, 0, 255);
  }
  // The channel's filter goes on to the new voice unless the instrument sets its own.
  v.cutoff = in && in->filterCutoff >= 0 ? in->filterCutoff : old.cutoff;
  v.resonance = in && in->filterResonance >= 0 ? in->filterResonance : old.resonance;
  v.flags |= vflag::kTrigger | vflag::kLevels;
}

// The cutoff 0..127, scaled by the filter envelope (which runs from closed to the cutoff;
// without one the cutoff stands), gives 0..254 steps of 1/48 octave above 130 Hz. Fully open
// without resonance is no filter at all.
void updateFilter(Voice& v) {
  const Instrument* in = v.instrument;
  const bool envelope = in && in->pitchIsFilter && in->pitchEnvelope.on();
  const std::int32_t modifier = envelope ? (v.pitchEnv.output - 32) * 8 : 256;
  const std::int32_t steps = v.cutoff * (modifier + 256) / 256;
  std::int32_t hz = 0;
  if (steps < kOpenFilter || v.resonance > 0) {
    hz = std::clamp(static_cast<std::int32_t>(110.0 * std::exp2(0.25 + steps / 48.0)), kLowestCutoff, kHighestCutoff);
  }
  const float db = static_cast<float>(v.resonance) * kResonanceDb;
  if (hz == v.filterHz && db == v.filterDb) return;
  v.filterHz = hz;
  v.filterDb = db;
  v.flags |= vflag::kFilter;
}

void stepVoice(const Song& song, Voice& v) {
  const Instrument* in = v.instrument;
  if (in) {
    if (in->volumeEnvelope.on()) stepEnvelope(in->volumeEnvelope, v.volumeEnv, v.keyOff);
    if (in->panEnvelope.on()) stepEnvelope(in->panEnvelope, v.panEnv, v.keyOff);
    if (in->pitchEnvelope.on()) stepEnvelope(in->pitchEnvelope, v.pitchEnv, v.keyOff);
    // The key released with no envelope to hold the note, or a volume envelope that loops
    // or has ended: the note fades.
    const Envelope& e = in->volumeEnvelope;
    if (v.keyOff && (!e.on() || (e.type & kEnvLoop) || v.volumeEnv.ended)) v.fading = true;
    if (v.fading) v.fadeout = std::max(v.fadeout - in->fadeout, 0);
    if (in->pitchEnvelope.on() && !in->pitchIsFilter) {
      const std::int32_t halfSemitones = v.pitchEnv.output - 32;
      v.periodDelta += (song.flags & kLinearPeriods)
                           ? -halfSemitones * 32
                           : static_cast<std::int32_t>(v.period * (std::exp2(-halfSemitones / 24.0) - 1.0));
    }
  } else if (v.keyOff || v.fading) {
    // Without instruments the key off ends the note.
    v.fadeout = 0;
  }
  if (v.sample) stepAutoVibrato(v.sample->vibrato, v);
  updateFilter(v);
  v.flags |= vflag::kLevels;
}

bool silent(const MusicPlayer& player, const Voice& v) {
  if (!player.voiceSounds(v) || v.fadeout == 0) return true;
  return v.instrument && v.instrument->volumeEnvelope.on() && v.volumeEnv.ended && v.volumeEnv.output == 0;
}

}  // namespace

std::int32_t notePeriod(const Song& song, const SongSample& s, std::int32_t note) {
  const double rate = s.c4Rate > 0 ? s.c4Rate : 8363;
  if (song.flags & kLinearPeriods) {
    return 7680 - (note - kTableOffset) * 64 - static_cast<std::int32_t>(std::lround(std::log2(rate / 8363.0) * 768));
  }
  return static_cast<std::int32_t>(amigaPeriod(note - kTableOffset, 0) * 8363.0 / rate);
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  const std::uint8_t vol = cell.volume ? cell.volume - 1 : 0xFF;
  const bool slide = cell.effect == 7 || cell.effect == 12 || (vol >= 193 && vol <= 202);
  if (cell.instrument) c.instrument = cell.instrument - 1;
  const bool realNote = cell.note >= 1 && cell.note <= kNotes;
  if (realNote && slide && c.voices && c.voices->sample) {
    c.period = notePeriod(song, *c.voices->sample, cell.note - 1);
    c.note = cell.note - 1;
  } else if (realNote) {
    startNote(song, player, c, cell.note - 1);
  }
  Voice& v = player.currentVoice(c);
  v.volumeDelta = 0;
  v.periodDelta = 0;
  v.flags |= vflag::kLevels;
  // An instrument byte restores the sample's volume.
  if (cell.instrument && v.sample) v.volume = v.sample->volume;
  switch (cell.note) {
    case kNoteOff: v.keyOff = true; break;
    case kNoteCut: applyAction(v, NoteAction::kCut); break;
    case kNoteFade: v.fading = true; break;
    default: break;
  }
  return v;
}

void noteActions(MusicPlayer& player, SongChannel& c, std::int32_t x) {
  if (x <= 2) {
    for (Voice* v = c.voices; v;) {
      Voice* next = v->next;
      if (v->background) {
        if (x == 0) player.dropVoice(c, *v);
        else applyAction(*v, x == 1 ? NoteAction::kOff : NoteAction::kFade);
      }
      v = next;
    }
  } else if (x <= 6) {
    c.newNoteAction = x - 3;
  }
}

void finishChannel(const Song& song, MusicPlayer& player, SongChannel& c) {
  for (Voice* v = c.voices; v;) {
    Voice* next = v->next;
    if (v->background && silent(player, *v) && !(v->flags & vflag::kTrigger)) {
      player.dropVoice(c, *v);
    } else {
      if (!v->background) v->channelVolume = c.volume;
      stepVoice(song, *v);
      player.applyVoice(song, *v);
    }
    v = next;
  }
}

std::int32_t voiceVolume(const Song& song, const Voice& v) {
  const std::int64_t volume = std::clamp(v.volume + v.volumeDelta, 0, 64);
  const std::int64_t product = volume * v.channelVolume * v.sampleVolume * v.volumeEnv.output * v.fadeout *
                               song.globalVolume * song.masterVolume;
  return static_cast<std::int32_t>(std::min<std::int64_t>((product * 255) >> 56, 255));
}

}  // namespace korvo::sound::music::it
