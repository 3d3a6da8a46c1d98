// The audio driver: sounds, the sound-channel slot table, music files and the CD channel.
#include "sound/audio/audio_driver.h"

#include <algorithm>

#include "backend/audio_device.h"
#include "backend/path_resolver.h"
#include "base/debug_hooks.h"
#include "base/error_detail.h"
#include "base/kv_ex.h"
#include "sound/engine/sound_engine.h"
#include "sound/cd/stream_track_output.h"
#include "sound/formats/sample_loader.h"
#include "sound/audio/player_songs.h"
#include "sound/audio/streamed_music.h"
#include "sound/streams/stream_player.h"

namespace korvo::sound {
namespace {

// What LoadSound asks for: 16-bit, mono, 2D, software-only.
constexpr std::uint32_t kLoadSoundMode = 0x2130;
constexpr std::int32_t kMixRate = 44100;
constexpr std::int32_t kSoftwareChannels = 32;
constexpr std::uint32_t kInitFlags = 1;
constexpr char kNoSoundDevice[] = "No sound device: sound is not played";
// Names that PlayMusic streams rather than loads as songs (case-sensitive, anywhere in it).
constexpr const char* kStreamedNames[] = {".raw", ".wav", ".mp2", ".mp3", ".ogg", ".wma", ".asf"};

bool streamedName(const std::string& name) {
  return std::any_of(std::begin(kStreamedNames), std::end(kStreamedNames),
                     [&](const char* part) { return name.find(part) != std::string::npos; });
}

// Why loadSample gave nothing, in a programmer's words.
std::string whyNotLoaded(const std::string& name) {
  switch (lastError()) {
    case EngineError::kFileOpen: return whyUnreadable(platform::resolvePath(name));
    case EngineError::kUnrecognised: return "not recognised (WAV, AIFF, Ogg Vorbis, MP2, MP3 or raw)";
    case EngineError::kRawEmpty: return "it holds no sound";
    case EngineError::kOutOfMemory: return "out of memory";
    case EngineError::kNotStarted: return "the sound engine did not start";
    default: return "error " + std::to_string(errorNumber(lastError())) + " of the sound engine";
  }
}

}  // namespace

AudioDriver::AudioDriver(SoundEngine& engine, cd::CdAudio::OutputMaker cdOutput, const std::string& programDir)
    : engine_(engine), slots_(kInitialSlots, 0), cd_(std::make_unique<cd::CdAudio>(std::move(cdOutput), programDir)) {
  cd_->followTimeline(engine_);
  cdValue_ = channels_.add(std::make_unique<CDChannel>(*cd_));
}

AudioDriver::~AudioDriver() {
  // Up to the clock while the channels still play: tunes stop with them, before the engine's
  // close would catch up.
  engine_.pump();
  std::vector<std::int32_t> values;
  for (const auto& [value, object] : channels_) values.push_back(value);
  for (auto it = values.rbegin(); it != values.rend(); ++it) channels_.take(*it);
  for (const auto& [handle, sound] : sounds_) engine_.freeSample(sound->sample);
  sounds_.clear();
  slots_.clear();
  musicCache_.clear();
  cd_.reset();
  engine_.close();
}

AudioChannel* AudioDriver::channel(std::int32_t value) const {
  engine_.pump();
  return channels_.find(value);
}

std::int32_t AudioDriver::loadSound(const std::string& name) {
  Sample* sample = loadSample(engine_, kSlotFree, formats::SoundSource::file(name), kLoadSoundMode);
  if (!sample) {
    if (errorDetailsWanted()) noteFailedLoad("Sound", name, whyNotLoaded(name));
    return 0;
  }
  auto sound = std::make_unique<Sound>();
  sound->sample = sample;
  engine_.getSampleDefaults(sample, sound->pitch, sound->volume, sound->pan, sound->priority);
  return sounds_.add(std::move(sound));
}

void AudioDriver::freeSound(std::int32_t handle) {
  if (std::unique_ptr<Sound> sound = sounds_.take(handle)) engine_.freeSample(sound->sample);
}

Sound* AudioDriver::requireSound(std::int32_t handle) { return sounds_.require(handle, "Sound does not exist"); }

std::int32_t AudioDriver::playSound(Sound& sound) {
  if (!sound.defaultsApplied) {
    engine_.setSampleDefaults(sound.sample, sound.pitch, sound.volume, sound.pan, sound.priority);
    sound.defaultsApplied = true;
  }
  const std::int32_t handle = engine_.playSample(kFreeChannel, sound.sample);
  if (handle < 0) return 0;
  const std::int32_t value = takeSlot();
  static_cast<SoundChannel*>(channels_.find(value))->setHandle(handle);
  return value;
}

std::int32_t AudioDriver::newSoundChannel() { return channels_.add(std::make_unique<SoundChannel>(engine_)); }

std::int32_t AudioDriver::takeSlot() {
  const std::size_t n = slots_.size();
  for (std::size_t looked = 0; looked < n; ++looked) {
    std::int32_t& slot = slots_[cursor_];
    cursor_ = (cursor_ + 1) % n;
    if (slot == 0) return slot = newSoundChannel();
    if (!channels_.find(slot)->isPlaying()) return slot;
  }
  // Every channel still sounds: double the table and use the first new slot.
  slots_.resize(2 * n, 0);
  cursor_ = n + 1;
  return slots_[n] = newSoundChannel();
}

std::int32_t AudioDriver::playMusic(const std::string& name) {
  if (auto it = musicCache_.find(name); it != musicCache_.end()) {
    AudioChannel* cached = channels_.find(it->second);
    cached->restart();
    return it->second;
  }
  std::unique_ptr<AudioChannel> made;
  if (streamedName(name)) {
    std::unique_ptr<StreamPlayback> stream = music_.openStream ? music_.openStream(name) : nullptr;
    if (!stream) return 0;
    auto channel = std::make_unique<StreamChannel>(engine_, std::move(stream));
    channel->start();
    made = std::move(channel);
  } else {
    std::unique_ptr<SongPlayback> song = music_.loadSong ? music_.loadSong(name) : nullptr;
    if (!song) return 0;
    song->play();
    made = std::make_unique<MusicChannel>(std::move(song));
  }
  const std::int32_t value = channels_.add(std::move(made));
  musicCache_[name] = value;
  return value;
}

std::int32_t AudioDriver::playCdTrack(std::int32_t track, std::int32_t mode) {
  channels_.find(cdValue_)->stop();
  cd_->setPlayMode(0, mode == 2 ? 2 : mode == 3 ? 0 : 1);
  cd_->playTrack(0, track);
  return cdValue_;
}

AudioDriver* openAudio(platform::RuntimeHost& host, SoundEngine& engine) {
  return host.open(platform::SubsystemSlot::kAudio, [&]() -> std::unique_ptr<AudioDriver> {
    engine.setOutputWindow(host.window());
    const bool started = engine.init(kMixRate, kSoftwareChannels, kInitFlags);
    // A device set-up note for whoever debugs; not the host's message(), which ends the program.
    const platform::AudioOutputKind asked = platform::chosenAudioOutput().kind;
    const bool deviceWanted = asked == platform::AudioOutputKind::kAuto || asked == platform::AudioOutputKind::kDevice;
    if (deviceWanted && (!started || engine.outputType() == output::kNoSound) && debugMode() && host.hooks())
      host.hooks()->message(kNoSoundDevice, false);
    if (!started) return nullptr;
    // Each CD drive plays its tracks through a stream of the engine.
    auto cdOutput = [&engine] { return cd::makeStreamTrackOutput(streams::streamPlayer(), engine); };
    auto driver = std::make_unique<AudioDriver>(engine, cdOutput, host.systemProperty("appdir"));
    driver->setMusicSources({&openStreamedMusic, &loadPlayerSong});
    return driver;
  });
}

void closeAudio(platform::RuntimeHost& host, AudioDriver* driver) {
  host.close(platform::SubsystemSlot::kAudio, driver);
}

}  // namespace korvo::sound
