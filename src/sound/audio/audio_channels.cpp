// The channel kinds' operations on the engine, a stream, a song or the CD drive.
#include "sound/audio/audio_channels.h"

#include <cmath>

#include "sound/cd/cd_audio.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

// Truncation toward zero that stays defined for any float (NaN gives 0).
std::int32_t truncated(float value) {
  if (!(std::fabs(value) < 2147483520.0f)) return std::isnan(value) ? 0 : (value < 0 ? INT32_MIN : INT32_MAX);
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::int32_t volumeFromFloat(float volume) { return truncated(volume * 255.0f); }
std::int32_t panFromFloat(float pan) { return truncated((pan + 1.0f) * 127.5f); }

void EngineChannel::setPaused(bool paused) { engine_.setChannelPaused(handle_, paused); }
void EngineChannel::setPitch(std::int32_t hz) { engine_.setChannelFrequency(handle_, hz); }
void EngineChannel::setVolume(float volume) { engine_.setChannelVolume(handle_, volumeFromFloat(volume)); }
void EngineChannel::setPan(float pan) { engine_.setChannelPan(handle_, panFromFloat(pan)); }
bool EngineChannel::isPlaying() { return engine_.isChannelPlaying(handle_); }

void SoundChannel::stop() { engine_.stopChannel(handle_); }

void StreamChannel::stop() {
  stream_->stop();
  handle_ = -1;
}
void StreamChannel::restart() {
  stop();
  start();
}

void CDChannel::stop() { cd_.stop(0); }
void CDChannel::setPaused(bool paused) { cd_.setPaused(0, paused); }
void CDChannel::setVolume(float volume) { cd_.setVolume(0, volumeFromFloat(volume)); }

}  // namespace korvo::sound
