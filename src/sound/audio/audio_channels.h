// The channel values the audio commands hand out: a sound playing on an engine channel, a
// streamed music file, a song of the music player, and the CD drive. Each maps the language's
// values (float volume 0..1, float pan -1..1, pitch in Hz) onto its kind of playback.
#pragma once

#include <cstdint>
#include <memory>

namespace korvo::sound {

class SoundEngine;
namespace cd {
class CdAudio;
}  // namespace cd

// trunc(v × 255): the engine's 0..255 volume (clamped by the engine).
std::int32_t volumeFromFloat(float volume);
// trunc((p + 1) × 127.5): -1 full left, 0 centre (127), 1 full right.
std::int32_t panFromFloat(float pan);

// What the program holds as a channel value (the runtime's Channel).
class AudioChannel {
 public:
  virtual ~AudioChannel() = default;
  virtual void stop() = 0;
  virtual void setPaused(bool paused) = 0;
  virtual void setPitch(std::int32_t hz) = 0;
  virtual void setVolume(float volume) = 0;
  virtual void setPan(float pan) = 0;
  // Position and velocity; only sound channels could use them, and no command reaches them.
  virtual void set3DPosition(const float* position, const float* velocity) {}
  virtual bool isPlaying() = 0;
  // Starts again from the beginning (music and stream kinds).
  virtual void restart() {}
};

// Playback on an engine channel: pause, pitch, volume, pan and state go to the channel the
// handle names.
class EngineChannel : public AudioChannel {
 public:
  explicit EngineChannel(SoundEngine& engine) : engine_(engine) {}
  void setHandle(std::int32_t handle) { handle_ = handle; }
  std::int32_t handle() const { return handle_; }

  void setPaused(bool paused) override;
  void setPitch(std::int32_t hz) override;
  void setVolume(float volume) override;
  void setPan(float pan) override;
  bool isPlaying() override;

 protected:
  SoundEngine& engine_;
  std::int32_t handle_ = -1;
};

// A sample playing on an engine channel; the handle is the newest PlaySound put in it.
class SoundChannel final : public EngineChannel {
 public:
  using EngineChannel::EngineChannel;
  void stop() override;
};

// A music file played as a stream by the engine.
class StreamPlayback {
 public:
  virtual ~StreamPlayback() = default;
  // Starts the stream on a free engine channel; the channel handle, or -1.
  virtual std::int32_t play() = 0;
  virtual void stop() = 0;
};

class StreamChannel final : public EngineChannel {
 public:
  StreamChannel(SoundEngine& engine, std::unique_ptr<StreamPlayback> stream)
      : EngineChannel(engine), stream_(std::move(stream)) {}
  // Plays the stream on a free engine channel.
  void start() { handle_ = stream_->play(); }
  void stop() override;
  void restart() override;

 private:
  std::unique_ptr<StreamPlayback> stream_;
};

// A song of the music player (tracker modules, MIDI).
class SongPlayback {
 public:
  virtual ~SongPlayback() = default;
  virtual void play() = 0;
  virtual void stop() = 0;
  virtual void setPaused(bool paused) = 0;
  virtual void setMasterVolume(std::int32_t volume) = 0;
  virtual bool finished() = 0;
};

class MusicChannel final : public AudioChannel {
 public:
  explicit MusicChannel(std::unique_ptr<SongPlayback> song) : song_(std::move(song)) {}
  void stop() override { song_->stop(); }
  void setPaused(bool paused) override { song_->setPaused(paused); }
  void setPitch(std::int32_t) override {}
  void setVolume(float volume) override { song_->setMasterVolume(volumeFromFloat(volume)); }
  void setPan(float) override {}
  bool isPlaying() override { return !song_->finished(); }
  void restart() override { song_->play(); }

 private:
  std::unique_ptr<SongPlayback> song_;
};

// The CD channel: drive 0, the default drive; always counts as playing.
class CDChannel final : public AudioChannel {
 public:
  explicit CDChannel(cd::CdAudio& cd) : cd_(cd) {}
  void stop() override;
  void setPaused(bool paused) override;
  void setPitch(std::int32_t) override {}
  void setVolume(float volume) override;
  void setPan(float) override {}
  bool isPlaying() override { return true; }

 private:
  cd::CdAudio& cd_;
};

}  // namespace korvo::sound
