// Songs from loading to freeing, the scheduler, and voices. The player's lock is held by the
// scheduler for a whole block, so changing the playing list from the program's thread waits
// for a running pass. Engine calls that may wait for the mixer (freeing samples) are made
// without the lock.
#include "sound/music/music_player.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "sound/formats/sound_file.h"
#include "sound/music/formats.h"
#include "sound/music/midi_player.h"
#include "sound/music/pitch.h"

namespace korvo::sound::music {
namespace {

// Tried in this order while none recognises the file; MIDI comes after them all.
constexpr std::array<SongLoader, 4> kLoaders = {&loadMod, &loadS3m, &loadXm, &loadIt};

// Bytes read per step of reading a whole song file.
constexpr std::size_t kReadChunk = 64 * 1024;

// The buffer grows with the bytes that actually arrive, never to the length a file claims
// (program callbacks report lengths of their own).
void readWhole(formats::SoundFile& file, std::vector<std::uint8_t>& bytes) {
  for (;;) {
    const std::size_t at = bytes.size();
    bytes.resize(at + kReadChunk);
    const std::size_t got = file.read(bytes.data() + at, 1, kReadChunk);
    bytes.resize(at + got);
    if (got == 0) return;
  }
}

void freeSamples(Song& song, SampleSink& sink) {
  for (auto& s : song.ownedSamples) {
    if (s->pcm >= 0) sink.freeSample(s->pcm);
    s->pcm = -1;
  }
}

}  // namespace

MusicPlayer::MusicPlayer(MusicEngine& engine, MidiPlayer* midi) : engine_(engine), midi_(midi) {
  engine_.setSampleFreedHandler([this](std::int32_t pcm) { forgetSample(pcm); });
}

MusicPlayer::~MusicPlayer() {
  engine_.setScheduler({});
  while (!songs_.empty()) freeSong(songs_.back().get());
  engine_.setSampleFreedHandler({});
}

Song* MusicPlayer::loadSong(const std::string& path) {
  if (const std::int32_t code = engine_.readiness()) {
    engine_.setError(code);
    return nullptr;
  }
  // Through the engine's file layer, so a program's file callbacks serve songs as well.
  const std::unique_ptr<formats::SoundFile> file = formats::SoundFile::open(path);
  if (!file) {
    engine_.setError(errorNumber(EngineError::kFileOpen));
    return nullptr;
  }
  std::vector<std::uint8_t> bytes;
  try {
    readWhole(*file, bytes);
  } catch (const std::bad_alloc&) {
    engine_.setError(errorNumber(EngineError::kOutOfMemory));
    return nullptr;
  }
  return load(bytes.data(), bytes.size());
}

Song* MusicPlayer::loadSongFromMemory(const std::uint8_t* data, std::size_t size) {
  if (const std::int32_t code = engine_.readiness()) {
    engine_.setError(code);
    return nullptr;
  }
  return load(data, size);
}

Song* MusicPlayer::load(const std::uint8_t* data, std::size_t size) {
  EngineError code = EngineError::kUnrecognised;
  const auto attempt = [&](const auto& loader) -> Song* {
    auto song = std::make_unique<Song>();
    try {
      code = loader(*song);
    } catch (const std::bad_alloc&) {
      code = EngineError::kOutOfMemory;
    }
    if (code != EngineError::kNone) {
      freeSamples(*song, engine_);
      return nullptr;
    }
    engine_.setError(errorNumber(EngineError::kNone));
    songs_.push_back(std::move(song));
    return songs_.back().get();
  };
  for (SongLoader loader : kLoaders) {
    if (code != EngineError::kUnrecognised) break;
    Song* song = attempt([&](Song& s) {
      ByteReader reader(data, size);
      return loader(s, reader, engine_);
    });
    if (song) return song;
  }
  if (code == EngineError::kUnrecognised && midi_ && looksLikeMidi(data, size)) {
    Song* song = attempt([&](Song& s) { return midi_->load(s, data, size, engine_.mixRate()); });
    if (song) return song;
  }
  engine_.setError(errorNumber(code));
  return nullptr;
}

void MusicPlayer::forgetSample(std::int32_t pcm) {
  if (pcm < 0) return;
  // Under the scheduler's lock: no tick can be reading the tables being changed.
  std::lock_guard lock(mutex_);
  SongSample* invalid = &invalidSample();
  for (const auto& song : songs_) {
    for (const auto& owned : song->ownedSamples) {
      SongSample* gone = owned.get();
      if (gone->pcm != pcm) continue;
      gone->pcm = -1;
      std::replace(song->samples.begin(), song->samples.end(), gone, invalid);
      for (Instrument& in : song->instruments) std::replace(in.samples.begin(), in.samples.end(), gone, invalid);
      for (Voice& v : pool_) {
        if (v.sample == gone) v.sample = invalid;
      }
    }
  }
}

void MusicPlayer::freeSong(Song* song) {
  if (!song) return;
  stopSong(song);
  engine_.waitMixIdle();
  freeSamples(*song, engine_);
  std::lock_guard lock(mutex_);
  if (song->midi && midi_) midi_->forget(*song);
  std::erase_if(songs_, [song](const std::unique_ptr<Song>& s) { return s.get() == song; });
}

void MusicPlayer::unlink(Song& song) {
  for (Song** at = &playing_; *at; at = &(*at)->nextPlaying) {
    if (*at == &song) {
      *at = song.nextPlaying;
      break;
    }
  }
  song.nextPlaying = nullptr;
}

void MusicPlayer::releaseVoices(Song& song) {
  for (SongChannel& c : song.channels) {
    for (Voice* v = c.voices; v;) {
      Voice* next = v->next;
      engine_.releaseChannel(v->channel);
      *v = Voice{};
      v = next;
    }
    c.voices = nullptr;
  }
}

bool MusicPlayer::playSong(Song* song) {
  if (!song) return false;
  stopSong(song);
  const std::int32_t voices = engine_.voiceChannels();
  // A restarted engine has forgotten its music unit: every start puts the scheduler back.
  engine_.setScheduler([this](void* buffer, std::int32_t samples) { mixBlock(buffer, samples); });
  std::lock_guard lock(mutex_);
  while (static_cast<std::int32_t>(pool_.size()) < voices) pool_.emplace_back();
  song->paused = false;
  song->globalVolume = song->initialGlobalVolume;
  song->speed = song->initialSpeed;
  song->order = song->row = song->tick = song->patternDelay = song->fineDelay = 0;
  song->nextOrder = song->nextRow = -1;
  song->finished = song->endAtNextRow = false;
  song->samplesLeft = 0;
  song->samplesPlayed = 0;
  song->randomState = kRandomSeed;
  song->positions.fill(AudiblePosition{});
  song->positionCursor = 0;
  if (song->kind == SongKind::kMidi) {
    const EngineError code = midi_ ? midi_->start(*song, engine_.mixRate()) : EngineError::kNotStarted;
    if (code != EngineError::kNone) {
      engine_.setError(errorNumber(code));
      return false;
    }
    song->playing = true;
    return true;
  }
  if (song->format->start && !song->format->start(*song)) return false;
  song->mixRate = engine_.mixRate();
  setTempo(*song, song->initialBpm);
  std::fill(song->channels.begin(), song->channels.end(), SongChannel{});
  for (std::size_t i = 0; i < song->channels.size(); ++i) {
    if (i < song->channelPans.size()) song->channels[i].pan = song->channelPans[i];
    if (i < song->channelVolumes.size()) song->channels[i].volume = song->channelVolumes[i];
  }
  song->playing = true;
  song->nextPlaying = playing_;
  playing_ = song;
  return true;
}

void MusicPlayer::stopSong(Song* song) {
  if (!song) return;
  {
    std::lock_guard lock(mutex_);
    unlink(*song);
    song->playing = false;
    song->finished = true;
    if (song->kind == SongKind::kMidi && midi_) midi_->stop(*song);
  }
  releaseVoices(*song);
}

void MusicPlayer::setSongPaused(Song* song, bool paused) {
  if (!song) return;
  std::lock_guard lock(mutex_);
  song->paused = paused;
  if (song->kind == SongKind::kMidi && midi_ && !paused) midi_->resume(*song);
}

void MusicPlayer::setSongMasterVolume(Song* song, std::int32_t volume) {
  if (!song) return;
  std::lock_guard lock(mutex_);
  song->masterVolume = std::clamp(volume, 0, 256);
  if (song->kind == SongKind::kMidi && midi_) midi_->applyVolume(*song);
}

bool MusicPlayer::isSongFinished(const Song* song) const {
  if (!song) return true;
  std::lock_guard lock(mutex_);
  return song->finished;
}

AudiblePosition MusicPlayer::audiblePosition(const Song* song, std::int64_t samples) const {
  std::lock_guard lock(mutex_);
  AudiblePosition best;
  AudiblePosition oldest;
  for (const AudiblePosition& p : song->positions) {
    if (p.samples < 0) continue;
    if (oldest.samples < 0 || p.samples < oldest.samples) oldest = p;
    if (p.samples <= samples && p.samples > best.samples) best = p;
  }
  return best.samples >= 0 ? best : oldest;
}

void MusicPlayer::mixBlock(void* buffer, std::int32_t samples) {
  std::lock_guard lock(mutex_);
  for (Song* s = playing_; s;) {
    Song* next = s->nextPlaying;
    if (s->mixRate != engine_.mixRate()) {
      s->mixRate = engine_.mixRate();
      setTempo(*s, s->bpm);
    }
    if (s->playing && !s->paused && s->format->tick && s->tempoScale != 0.0f) {
      runSong(*s, static_cast<std::uint8_t*>(buffer), samples);
    }
    s = next;
  }
  if (midi_) midi_->mixBlock(buffer, samples, engine_.mixValueBytes(), engine_.mixRate());
}

void MusicPlayer::runSong(Song& song, std::uint8_t* buffer, std::int32_t samples) {
  const std::size_t valueBytes = static_cast<std::size_t>(engine_.mixValueBytes());
  std::int32_t done = 0;
  while (done < samples) {
    if (song.samplesLeft == 0) {
      song.format->tick(song, *this);
      song.samplesLeft = song.samplesPerTick;
      if (!song.playing) {
        // A song that does not loop has passed its end.
        unlink(song);
        releaseVoices(song);
        return;
      }
    }
    const std::int32_t count = std::min(song.samplesLeft, samples - done);
    std::uint8_t* at = buffer + static_cast<std::size_t>(done) * valueBytes;
    for (SongChannel& c : song.channels) {
      for (Voice* v = c.voices; v; v = v->next) engine_.mix(at, v->channel, count);
    }
    song.samplesLeft -= count;
    done += count;
  }
  AudiblePosition& p = song.positions[static_cast<std::size_t>(song.positionCursor)];
  p.samples = song.samplesPlayed;
  p.row = song.row;
  p.order = song.order;
  song.positionCursor = (song.positionCursor + 1) % kPositionRing;
  song.samplesPlayed += samples;
}

Voice* MusicPlayer::takeVoice() {
  const std::int32_t ch = engine_.reserveChannel();
  if (ch < 0) return nullptr;
  if (ch >= static_cast<std::int32_t>(pool_.size())) {
    engine_.releaseChannel(ch);
    return nullptr;
  }
  Voice& v = pool_[static_cast<std::size_t>(ch)];
  v = Voice{};
  v.channel = ch;
  v.inUse = true;
  v.volumeEnv.output = 64;
  v.panEnv.output = 32;
  v.pitchEnv.output = 32;
  return &v;
}

Voice& MusicPlayer::voiceFor(Song&, SongChannel& channel) {
  if (channel.voices) return *channel.voices;
  Voice* v = takeVoice();
  if (!v) return blankDummy();
  channel.voices = v;
  return *v;
}

Voice* MusicPlayer::addVoice(SongChannel& channel) {
  Voice* v = takeVoice();
  if (!v) return nullptr;
  v->next = channel.voices;
  channel.voices = v;
  return v;
}

void MusicPlayer::dropVoice(SongChannel& channel, Voice& voice) {
  for (Voice** at = &channel.voices; *at; at = &(*at)->next) {
    if (*at == &voice) {
      *at = voice.next;
      break;
    }
  }
  if (voice.channel >= 0) engine_.releaseChannel(voice.channel);
  voice = Voice{};
}

void MusicPlayer::applyVoice(const Song& song, Voice& v) {
  const std::uint32_t flags = v.flags;
  v.flags = 0;
  if (v.channel < 0) return;
  if (flags & vflag::kTrigger) {
    const std::int32_t pcm = v.sample ? v.sample->pcm : -1;
    v.handle = engine_.startNote(v.channel, pcm, v.startOffset);
    v.startOffset = 0;
  }
  if (flags & vflag::kVolume) engine_.setVolume(v.channel, song.format->volume(song, v));
  if (flags & vflag::kPan) {
    const std::int32_t room = (128 - std::abs(v.pan - 128)) / 32;
    const std::int32_t p = v.pan + room * (v.panEnv.output - 32);
    const auto pan = static_cast<std::int32_t>(std::trunc((p - 128) * song.panSeparation + 128));
    engine_.setPan(v.channel, std::clamp(pan, 0, 255));
  }
  if (flags & vflag::kFrequency) {
    const std::int32_t hz = periodFrequency((song.flags & kLinearPeriods) != 0, v.period + v.periodDelta);
    engine_.setFrequency(v.channel, engine_.playsBackward(v.channel) ? -hz : hz);
  }
  if (flags & vflag::kFilter) engine_.setFilter(v.channel, v.filterHz, v.filterDb);
  if (flags & vflag::kStop) {
    engine_.stopNote(v.channel);
    v.startOffset = 0;
  }
}

}  // namespace korvo::sound::music
