// XM rows (tick 0): notes and instruments start or slide, the volume column's first-tick
// part, key off, and the first-tick part of the effects that are XM's own or that XM gives
// another meaning than MOD (slide memories, pans, fine slides, finetune).
#include <algorithm>

#include "sound/music/channel_steps.h"
#include "sound/music/modulation.h"
#include "sound/music/pitch.h"
#include "sound/music/xm_player.h"

namespace korvo::sound::music::xm {
namespace {

bool isSlide(const Cell& c) { return c.effect == kTonePorta || c.effect == kTonePortaVolSlide || c.volume >= 0xF0; }

const Instrument* instrumentAt(const Song& song, std::int32_t index) {
  if (index < 0 || index >= static_cast<std::int32_t>(song.instruments.size())) return nullptr;
  return &song.instruments[static_cast<std::size_t>(index)];
}

SongSample* sampleFor(const Instrument* in, std::int32_t note) {
  if (!in || note < 0 || note >= kKeymapNotes) return &invalidSample();
  const std::uint8_t slot = in->keymap[static_cast<std::size_t>(note)];
  if (slot >= kInstrumentSamples || !in->samples[slot]) return &invalidSample();
  return in->samples[slot];
}

void volumeColumnFirstTick(SongChannel& c, Voice& v, std::uint8_t vol) {
  const std::int32_t x = vol & 0x0F;
  switch (vol >> 4) {
    case 0x1:
    case 0x2:
    case 0x3:
    case 0x4: v.volume = vol - 0x10; break;
    case 0x5:
      if (vol == 0x50) v.volume = 64;
      break;
    case 0x6:
    case 0x8: v.volume = std::max(v.volume - x, 0); break;
    case 0x7:
    case 0x9: v.volume = std::min(v.volume + x, 64); break;
    case 0xA: c.vibratoSpeed = x; break;
    case 0xB: c.vibratoDepth = x; break;
    case 0xC:
      v.pan = x * 16;
      v.flags |= vflag::kPan;
      break;
    case 0xD:
      v.pan = std::max(v.pan - x, 0);
      v.flags |= vflag::kPan;
      break;
    case 0xE:
      v.pan = std::min(v.pan + x, 255);
      v.flags |= vflag::kPan;
      break;
    case 0xF: startTonePortamento(c, x * 16); break;
    default: break;
  }
}

void resetForInstrument(SongChannel& c, Voice& v, const SongSample& sample) {
  v.volume = sample.volume;
  v.pan = sample.pan;
  resetEnvelope(v.volumeEnv, 64);
  resetEnvelope(v.panEnv, 32);
  v.fadeout = 65536;
  v.keyOff = false;
  v.autoVibratoPos = 0;
  v.autoVibratoSweep = 0;
  restartWaves(c);
  v.flags |= vflag::kVolume | vflag::kPan;
}

void extendedFirstTick(SongChannel& c, Voice& v, std::int32_t x, std::int32_t y) {
  switch (x) {
    case kFinePortaUp:
      if (y) c.finePortaUp = static_cast<std::uint8_t>(y);
      v.period -= c.finePortaUp * 4;
      break;
    case kFinePortaDown:
      if (y) c.finePortaDown = static_cast<std::uint8_t>(y);
      v.period += c.finePortaDown * 4;
      break;
    case kFinetune:
      if (v.sample && v.sample != &invalidSample()) v.sample->finetune = y;
      break;
    case kFinePan: v.pan = y * 16; break;
    case kFineVolumeUp:
      if (y) c.fineVolumeUp = static_cast<std::uint8_t>(y);
      v.volume = std::min(v.volume + c.fineVolumeUp, 64);
      break;
    case kFineVolumeDown:
      if (y) c.fineVolumeDown = static_cast<std::uint8_t>(y);
      v.volume = std::max(v.volume - c.fineVolumeDown, 0);
      break;
    default: break;
  }
}

}  // namespace

void stepVoiceEnvelopes(Voice& v) {
  const Instrument* in = v.instrument;
  if (!in) return;
  if (in->volumeEnvelope.on()) stepEnvelope(in->volumeEnvelope, v.volumeEnv, v.keyOff);
  else if (v.keyOff) v.volumeEnv.output = 0;
  if (in->panEnvelope.on()) stepEnvelope(in->panEnvelope, v.panEnv, v.keyOff);
  if (v.keyOff) v.fadeout = std::max(v.fadeout - in->fadeout, 0);
}

Voice& startCell(Song& song, MusicPlayer& player, SongChannel& c, const Cell& cell) {
  const bool slide = isSlide(cell);
  const bool realNote = cell.note >= 1 && cell.note <= 96;
  if (cell.instrument && !slide) c.instrument = cell.instrument - 1;
  if (realNote && !slide) c.note = cell.note - 1;
  if (cell.instrument && song.callbacks.instrument)
    song.callbacks.instrument(song, cell.instrument - 1, song.callbacks.user);

  // A channel takes a voice (and an engine channel) with its first note or instrument.
  Voice& v = (realNote || cell.instrument) ? player.voiceFor(song, c) : player.currentVoice(c);
  const Instrument* in = instrumentAt(song, c.instrument);
  SongSample* sample = slide && v.sample ? v.sample : sampleFor(in, c.note);

  settleTremolo(c, v, cell, kTremolo);
  v.flags = 0;

  if (realNote) {
    const std::int32_t note = std::clamp(sample->relativeNote + cell.note - 1, 0, kMaxNote);
    c.period = notePeriod(linear(song), note, sample->finetune);
    if (!slide) {
      c.realNote = note;
      v.sample = sample;
      v.instrument = in;
      v.period = c.period;
      v.startOffset = 0;
      v.flags |= vflag::kTrigger;
    }
  }
  v.periodDelta = 0;
  v.flags |= vflag::kLevels;

  if (cell.instrument) {
    if (!slide) v.instrument = in;
    resetForInstrument(c, v, *sample);
  }
  volumeColumnFirstTick(c, v, cell.volume);

  if (cell.note == kKeyOff || cell.effect == kKeyOffEffect) v.keyOff = true;
  stepVoiceEnvelopes(v);
  return v;
}

void rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell) {
  if (digits::rowEffect(song, c, v, cell)) return;
  const std::uint8_t p = cell.param;
  const std::int32_t x = hi(p);
  const std::int32_t y = lo(p);
  switch (cell.effect) {
    case kVibrato:
      if (p > 15) c.vibratoSpeed = x;
      if (y) c.vibratoDepth = y;
      v.periodDelta = vibratoDelta(c.vibratoDepth, c.waveform & 0x0F, c.vibratoPos);
      break;
    case kTonePortaVolSlide:
      c.tonePortaTarget = c.period;
      if (p) c.volumeSlide = p;
      break;
    case kVibratoVolSlide:
      if (p) c.volumeSlide = p;
      v.periodDelta = vibratoDelta(c.vibratoDepth, c.waveform & 0x0F, c.vibratoPos);
      break;
    case kSetPan:
      v.pan = p;
      v.flags |= vflag::kPan;
      break;
    case kVolumeSlide:
      if (p) c.volumeSlide = p;
      break;
    case kExtended: extendedFirstTick(c, v, x, y); break;
    case kGlobalVolume: song.globalVolume = std::min<std::int32_t>(p, 64); break;
    case kGlobalVolumeSlide:
      if (p) c.globalVolumeSlide = p;
      break;
    case kEnvelopePosition:
      if (v.instrument && v.instrument->volumeEnvelope.on())
        setEnvelopePosition(v.instrument->volumeEnvelope, v.volumeEnv, p);
      break;
    case kPanSlide:
      if (p) c.panSlide = p;
      break;
    case kMultiRetrig:
      if (p) {
        c.retrigVolume = x;
        c.retrigInterval = y;
      }
      break;
    case kTremor:
      if (p) {
        c.tremorOn = x + 1;
        c.tremorOff = y + 1;
      }
      tremor(c, v);
      break;
    case kExtraFinePorta:
      if (x == 1) {
        if (y) c.extraFineUp = static_cast<std::uint8_t>(y);
        v.period -= c.extraFineUp;
      } else if (x == 2) {
        if (y) c.extraFineDown = static_cast<std::uint8_t>(y);
        v.period += c.extraFineDown;
      }
      break;
    case kUserEffect:
      if (song.callbacks.effect) song.callbacks.effect(song, p, song.callbacks.user);
      break;
    default: break;
  }
}

void finishChannel(const Song& song, MusicPlayer& player, SongChannel& c) {
  for (Voice* v = c.voices; v; v = v->next) {
    if (v->instrument) stepAutoVibrato(v->instrument->vibrato, *v);
    player.applyVoice(song, *v);
  }
}

}  // namespace korvo::sound::music::xm
