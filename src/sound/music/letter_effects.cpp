// The lettered effects. Memories: D, K and L share the volume slide; E and F share one
// pitch slide; H and U share speed and depth. Fine (xF/Fx) and extra-fine (Ex) slides act on
// tick 0 only, plain slides on the later ticks (and on tick 0 too with fast slides).
#include "sound/music/letter_effects.h"

#include <algorithm>

#include "sound/music/effect_steps.h"
#include "sound/music/modulation.h"
#include "sound/music/pitch.h"
#include "sound/music/song_clock.h"

namespace korvo::sound::music::letters {
namespace {

constexpr std::int32_t kMaxPeriod = 1 << 20;

bool isFine(std::uint8_t p) { return (lo(p) == 0xF && hi(p) != 0) || (hi(p) == 0xF && lo(p) != 0); }

// A slide of value within 0..top by a remembered parameter: fine parts on tick 0, plain
// parts on later ticks (or on tick 0 too when fast).
void slideBy(std::int32_t& value, std::int32_t top, std::uint8_t p, bool firstTick, bool fast) {
  if (isFine(p)) {
    if (!firstTick) return;
    value += lo(p) == 0xF ? hi(p) : -lo(p);
  } else {
    if (firstTick && !fast) return;
    value += hi(p) ? hi(p) : -lo(p);
  }
  value = std::clamp(value, 0, top);
}

// E (down) and F (up): fine Fx and extra-fine Ex on tick 0, plain x 4 on later ticks.
void pitchSlide(Voice& v, std::uint8_t p, bool up, bool firstTick) {
  std::int32_t step = 0;
  if (hi(p) >= 0xE) {
    if (!firstTick) return;
    step = hi(p) == 0xF ? lo(p) * 4 : lo(p);
  } else {
    if (firstTick) return;
    step = p * 4;
  }
  v.period += up ? -step : step;
  v.period = std::min(v.period, kMaxPeriod);
  // Slid past the top of the range: the note ends.
  if (v.period < 1) {
    v.period = 1;
    v.flags |= vflag::kStop;
  }
}

void panbrello(SongChannel& c, Voice& v) {
  const std::int32_t wave = vibratoWave(c.panbrelloWave, c.panbrelloPos);
  const std::int32_t delta = wave * c.panbrelloDepth / 32;
  v.pan = std::clamp(c.pan + (c.panbrelloPos >= 0 ? delta : -delta), 0, 255);
  c.panbrelloPos = advanceWave(c.panbrelloPos, c.panbrelloSpeed);
}

void arpeggio(const Song& song, const SongChannel& c, Voice& v, const Rules& rules) {
  const std::int32_t semitones = song.tick % 3 == 1 ? hi(c.arpeggio) : song.tick % 3 == 2 ? lo(c.arpeggio) : 0;
  if (semitones == 0 || !rules.notePeriod) return;
  v.periodDelta = rules.notePeriod(song, v, c.note + semitones) - rules.notePeriod(song, v, c.note);
}

void setChannelPan(SongChannel& c, Voice& v, std::int32_t pan) {
  c.pan = std::clamp(pan, 0, 255);
  c.surround = false;
  v.pan = c.pan;
  v.flags |= vflag::kPan;
}

bool specialRow(Song& song, SongChannel& c, Voice& v, std::uint8_t p, const Rules& rules) {
  const std::int32_t y = lo(p);
  switch (hi(p)) {
    case kSetFinetune:
      if (v.sample && v.sample != &invalidSample()) v.sample->c4Rate = finetuneRate(y);
      return true;
    case kVibratoWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0xF0) | (y & 7)); return true;
    case kTremoloWave: c.waveform = static_cast<std::uint8_t>((c.waveform & 0x0F) | ((y & 7) << 4)); return true;
    case kPanbrelloWave: c.panbrelloWave = static_cast<std::uint8_t>(y & 3); return true;
    case kFineRowDelay: song.fineDelay += y; return true;
    case kFinePan: setChannelPan(c, v, y * 16); return true;
    case kSurround:
      if (y == 1) c.surround = true;
      return true;
    case kOldPan:
      if (rules.highOffset) c.offsetHigh = static_cast<std::uint32_t>(y) << 16;
      else setChannelPan(c, v, ((y + 8) % 16) * 16);
      return true;
    case kLoop: patternLoop(song, c, y); return true;
    case kRowDelay:
      if (song.patternDelay == 0) song.patternDelay = y * song.speed;
      return true;
    case kNoteCut:
    case kNoteDelay: return true;
    default: return false;
  }
}

}  // namespace

bool isNoteDelay(const Cell& c) { return c.effect == kSpecial && hi(c.param) == kNoteDelay && lo(c.param) != 0; }

bool rowEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell, const Rules& rules) {
  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kSpeed:
      if (p) song.speed = p;
      return true;
    case kJump: jumpToOrder(song, p); return true;
    case kBreak: breakToRow(song, rules.hexBreak ? p : hi(p) * 10 + lo(p), 255); return true;
    case kVolumeSlide:
    case kVibratoSlide:
    case kTonePortaSlide:
      if (p) c.volumeSlide = p;
      slideBy(v.volume, 64, c.volumeSlide, true, rules.fastSlides);
      if (cell.effect == kTonePortaSlide) c.tonePortaTarget = c.period;
      return true;
    case kPortaDown:
    case kPortaUp:
      if (p) c.portaUp = p;
      pitchSlide(v, c.portaUp, cell.effect == kPortaUp, true);
      return true;
    case kTonePorta: startTonePortamento(c, p); return true;
    case kVibrato:
    case kFineVibrato:
      if (hi(p)) c.vibratoSpeed = hi(p);
      if (lo(p)) c.vibratoDepth = lo(p);
      return true;
    case kTremor:
      if (p) {
        c.tremorOn = hi(p) + 1;
        c.tremorOff = lo(p) + 1;
      }
      tremor(c, v);
      return true;
    case kArpeggio:
      if (p) c.arpeggio = p;
      return true;
    case kChannelVolume:
      if (p <= 64) c.volume = p;
      return true;
    case kChannelSlide:
      if (p) c.channelVolumeSlide = p;
      slideBy(c.volume, 64, c.channelVolumeSlide, true, false);
      return true;
    case kOffset: sampleOffset(c, v, p, c.offsetHigh); return true;
    case kPanSlide:
      if (p) c.panSlide = p;
      // Left is up in the parameter's upper half: the slide runs on a 0..64 scale.
      if (isFine(c.panSlide)) {
        std::int32_t pan = (255 - c.pan) / 4;
        slideBy(pan, 64, c.panSlide, true, false);
        setChannelPan(c, v, 255 - pan * 4);
      }
      return true;
    case kRetrigger:
      if (p) {
        c.retrigVolume = hi(p);
        c.retrigInterval = lo(p);
      }
      return true;
    case kTremolo:
      if (hi(p)) c.tremoloSpeed = hi(p);
      if (lo(p)) c.tremoloDepth = lo(p);
      return true;
    case kSpecial: return specialRow(song, c, v, p, rules);
    case kTempo:
      if (p >= 0x20) setTempo(song, p);
      else if (p) c.tempoSlide = p;
      return true;
    case kGlobalVolume:
      if (p <= rules.globalTop) song.globalVolume = p;
      return true;
    case kGlobalSlide:
      if (p) c.globalVolumeSlide = p;
      slideBy(song.globalVolume, rules.globalTop, c.globalVolumeSlide, true, false);
      return true;
    case kPan: setChannelPan(c, v, rules.halfPan ? p * 2 : p); return true;
    case kPanbrello:
      if (hi(p)) c.panbrelloSpeed = hi(p);
      if (lo(p)) c.panbrelloDepth = lo(p);
      return true;
    default: return false;
  }
}

bool tickEffect(Song& song, SongChannel& c, Voice& v, const Cell& cell, const Rules& rules) {
  const std::uint8_t p = cell.param;
  switch (cell.effect) {
    case kVolumeSlide: slideBy(v.volume, 64, c.volumeSlide, false, false); return true;
    case kVibratoSlide:
      vibrato(c, v);
      slideBy(v.volume, 64, c.volumeSlide, false, false);
      return true;
    case kTonePortaSlide:
      tonePortamento(c, v);
      slideBy(v.volume, 64, c.volumeSlide, false, false);
      return true;
    case kPortaDown:
    case kPortaUp: pitchSlide(v, c.portaUp, cell.effect == kPortaUp, false); return true;
    case kTonePorta: tonePortamento(c, v); return true;
    case kVibrato:
    case kFineVibrato:
      vibrato(c, v);
      if (cell.effect == kFineVibrato) v.periodDelta /= 4;
      return true;
    case kTremor: tremor(c, v); return true;
    case kArpeggio: arpeggio(song, c, v, rules); return true;
    case kChannelSlide: slideBy(c.volume, 64, c.channelVolumeSlide, false, false); return true;
    case kPanSlide:
      if (!isFine(c.panSlide)) {
        std::int32_t pan = (255 - c.pan) / 4;
        slideBy(pan, 64, c.panSlide, false, false);
        setChannelPan(c, v, 255 - pan * 4);
      }
      return true;
    case kRetrigger:
      if (c.retrigInterval && ++c.retrigCounter >= c.retrigInterval) {
        c.retrigCounter = 0;
        v.volume = retriggerVolume(v.volume, c.retrigVolume);
        retrigger(v);
      }
      return true;
    case kTremolo: tremolo(c, v); return true;
    case kSpecial:
      if (hi(p) == kNoteCut && song.tick == std::max(lo(p), 1)) v.volume = 0;
      return hi(p) != kNoteActions;
    case kTempo:
      if (p < 0x20 && c.tempoSlide)
        setTempo(song, std::clamp(song.bpm + (hi(c.tempoSlide) ? lo(c.tempoSlide) : -lo(c.tempoSlide)), 32, 255));
      return true;
    case kGlobalSlide: slideBy(song.globalVolume, rules.globalTop, c.globalVolumeSlide, false, false); return true;
    case kPanbrello: panbrello(c, v); return true;
    default: return false;
  }
}

}  // namespace korvo::sound::music::letters
