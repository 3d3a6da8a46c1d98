// Streams from open to close. The stream lock keeps the service's pass and the program's
// changes apart: the program changes the playing list, a stream's play state and its seeking
// flag under it, and fills or seeks only streams the service does not touch (not playing yet,
// or flagged as seeking). The list of open streams is under it too: CD tracks open and close
// streams from a mix pass, on the mixing thread. It never calls the engine while holding the
// lock, so the engine's pump, which runs the service in a synchronous engine, cannot meet it
// held.
#include "sound/streams/stream_player.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "sound/engine/sound_engine.h"
#include "sound/streams/media_decoder.h"

namespace korvo::sound::streams {
namespace {

EngineError fail(EngineError code) {
  setError(code);
  return code;
}

// The mode as a stream keeps it: 16-bit clears 8-bit, stereo clears mono, one channel at a time.
std::uint32_t streamMode(std::uint32_t modeWord) {
  if (modeWord & mode::k16Bits) modeWord &= ~mode::k8Bits;
  if (modeWord & mode::kStereo) modeWord &= ~mode::kMono;
  return modeWord | mode::kOneAtATime;
}

}  // namespace

StreamPlayer::StreamPlayer(SoundEngine& engine) : engine_(engine) {
  engine_.setStreamService([this](std::int32_t elapsed) { service(elapsed); });
}

StreamPlayer::~StreamPlayer() {
  engine_.setStreamService({});
  while (!open_.empty()) closeStream(open_.back().get());
}

Stream* StreamPlayer::openStream(const formats::SoundSource& source, std::uint32_t modeWord) {
  if (!engine_.initialised()) {
    fail(EngineError::kNotStarted);
    return nullptr;
  }
  const std::uint32_t m = streamMode(modeWord);
  std::unique_ptr<formats::SoundFile> file;
  std::string name = source.inMemory() ? formats::kMemoryFileName : withoutFileScheme(source.name);
  if (source.inMemory()) {
    if (source.size == 0) {
      fail(EngineError::kInvalidArgument);
      return nullptr;
    }
    file = formats::SoundFile::openMemory(source.data, source.size);
  } else if (name.empty()) {
    fail(EngineError::kInvalidArgument);
    return nullptr;
  } else if (!isNetworkName(name)) {
    file = formats::SoundFile::open(name);
    if (!file) {
      fail(EngineError::kFileOpen);
      return nullptr;
    }
  }
  formats::DecoderResult opened{nullptr, EngineError::kUnrecognised};
  if (file) opened = formats::openStreamDecoder(*file, m);
  if (opened.code == EngineError::kUnrecognised && !source.inMemory()) {
    // The media decoder reads the file itself.
    file.reset();
    opened = openMediaDecoder(name);
  }
  if (!opened.decoder) {
    fail(opened.code);
    return nullptr;
  }
  return adopt(std::make_unique<Stream>(std::move(name), std::move(file), std::move(opened.decoder), m));
}

Stream* StreamPlayer::openStream(std::unique_ptr<formats::SoundDecoder> decoder, std::uint32_t modeWord,
                                 std::string name) {
  if (!engine_.initialised()) {
    fail(EngineError::kNotStarted);
    return nullptr;
  }
  if (!decoder) {
    fail(EngineError::kInvalidArgument);
    return nullptr;
  }
  return adopt(std::make_unique<Stream>(std::move(name), nullptr, std::move(decoder), streamMode(modeWord)));
}

Stream* StreamPlayer::adopt(std::unique_ptr<Stream> stream) {
  if (!stream->makeSample(engine_)) {
    fail(EngineError::kOutOfMemory);
    return nullptr;
  }
  stream->fillBoth(engine_, endTime());
  Stream* s = stream.get();
  {
    std::lock_guard lock(mutex_);
    open_.push_back(std::move(stream));
  }
  setError(EngineError::kNone);
  return s;
}

Stream* StreamPlayer::find(Stream* stream) {
  bool open = false;
  {
    std::lock_guard lock(mutex_);
    open = std::any_of(open_.begin(), open_.end(), [stream](const auto& s) { return s.get() == stream; });
  }
  if (!open) fail(EngineError::kInvalidArgument);
  return open ? stream : nullptr;
}

std::int32_t StreamPlayer::endTime() const {
  const std::int64_t output =
      std::int64_t{engine_.bufferSamples() + engine_.blockLength()} * 256000 / engine_.mixRate();
  return static_cast<std::int32_t>(2 * kStreamBufferMs * 256 + output);
}

std::int32_t StreamPlayer::channelIfPlaying(Stream& s) {
  std::lock_guard lock(mutex_);
  return s.playing ? s.channel : -1;
}

std::int32_t StreamPlayer::playStream(std::int32_t channel, Stream* stream, bool paused) {
  Stream* s = find(stream);
  if (!s) return -1;
  if (!engine_.initialised()) {
    fail(EngineError::kNotStarted);
    return -1;
  }
  // A playing stream whose channel fell silent starts again there. The service may end the
  // stream meanwhile (a pass can run inside any engine call): then what was started on its
  // old channel is stopped, and the stream starts afresh below.
  for (std::int32_t current = channelIfPlaying(*s); current >= 0; current = channelIfPlaying(*s)) {
    if (engine_.isChannelPlaying(current)) return current;
    const std::int32_t again = engine_.playSample(current, s->sample(), paused);
    {
      std::lock_guard lock(mutex_);
      if (s->playing && s->channel == current) {
        if (again >= 0) s->channel = again;
        return again;
      }
    }
    if (again >= 0) engine_.stopChannel(again);
  }
  if (s->wasStarted) {
    s->reader().seek(0);
    s->firstFillPending = true;
  }
  if (s->firstFillPending) {
    s->resetEnding();
    s->fillBoth(engine_, endTime());
    s->firstFillPending = false;
  }
  const std::int32_t handle = engine_.playSample(channel, s->sample(), true);
  if (handle < 0) {
    stopStream(s);
    fail(EngineError::kStartFailed);
    return -1;
  }
  engine_.setChannelReserved(handle, true);
  {
    std::lock_guard lock(mutex_);
    s->channel = handle;
    s->playing = true;
    s->wasStarted = true;
    playing_.push_back(s);
  }
  if (!paused) engine_.setChannelPaused(handle, false);
  return handle;
}

bool StreamPlayer::stopStream(Stream* stream) {
  Stream* s = find(stream);
  if (!s) return false;
  std::int32_t channel = -1;
  {
    std::lock_guard lock(mutex_);
    std::erase(playing_, s);
    s->playing = false;
    channel = std::exchange(s->channel, -1);
  }
  if (channel >= 0) {
    engine_.stopChannel(channel);
    engine_.setChannelReserved(channel, false);
  }
  s->firstFillPending = true;
  s->resetEnding();
  return true;
}

void StreamPlayer::endLocked(Stream& s) {
  engine_.stopChannel(s.channel);
  engine_.setChannelReserved(s.channel, false);
  std::erase(playing_, &s);
  s.playing = false;
  s.channel = -1;
  s.firstFillPending = true;
  s.resetEnding();
}

bool StreamPlayer::closeStream(Stream* stream) {
  if (!stopStream(stream)) return false;
  std::unique_ptr<Stream> closed;
  {
    std::lock_guard lock(mutex_);
    const auto it = std::find_if(open_.begin(), open_.end(), [stream](const auto& s) { return s.get() == stream; });
    closed = std::move(*it);
    open_.erase(it);
  }
  // Freeing its sample is an engine call: outside the lock.
  closed.reset();
  return true;
}

bool StreamPlayer::setStreamPosition(Stream* stream, std::int64_t offset) {
  Stream* s = find(stream);
  if (!s) return false;
  const formats::DecoderFormat& f = s->format();
  if (offset < 0 || offset >= f.dataLength) {
    fail(EngineError::kInvalidArgument);
    return false;
  }
  std::int32_t channel = -1;
  {
    std::lock_guard lock(mutex_);
    s->seeking = true;
    channel = s->channel;
  }
  const bool paused = channel >= 0 && engine_.isChannelPaused(channel);
  if (channel >= 0) engine_.setChannelPaused(channel, true);
  const bool moved = s->reader().seek(offset - offset % f.readBlock);
  if (moved) {
    s->resetEnding();
    s->fillBoth(engine_, endTime());
    s->firstFillPending = false;
    if (channel >= 0) engine_.setChannelPosition(channel, 0);
  }
  {
    std::lock_guard lock(mutex_);
    s->seeking = false;
  }
  if (channel >= 0) engine_.setChannelPaused(channel, paused);
  if (!moved) fail(EngineError::kInvalidArgument);
  return moved;
}

std::int64_t StreamPlayer::streamLength(Stream* stream) {
  Stream* s = find(stream);
  return s ? s->format().lengthMs : -1;
}

std::int32_t StreamPlayer::streamChannel(Stream* stream) {
  Stream* s = find(stream);
  return s ? channelIfPlaying(*s) : -1;
}

float StreamPlayer::streamCpuUsage(Stream* stream) {
  Stream* s = find(stream);
  if (!s) return 0.0f;
  std::lock_guard lock(mutex_);
  return s->cpuUsage();
}

void StreamPlayer::service(std::int32_t elapsed) {
  std::lock_guard lock(mutex_);
  float total = 0.0f;
  for (std::size_t i = 0; i < playing_.size();) {
    Stream& s = *playing_[i];
    bool ended = false;
    if (!s.seeking) {
      // The half the channel has left is filled while it plays the other.
      const std::int64_t position = engine_.channelPosition(s.channel);
      if (engine_.channelFrequency(s.channel) > 0 && position >= 0 && position / s.halfFrames() != s.halfIndex()) {
        const auto start = std::chrono::steady_clock::now();
        s.fillHalf(engine_, s.halfIndex(), endTime());
        s.addFillTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      }
      ended = s.countDown(elapsed);
    }
    total += s.cpuUsage();
    if (ended) endLocked(s);
    else ++i;
  }
  cpuUsage_.store(total, std::memory_order_relaxed);
}

StreamPlayer& streamPlayer() {
  static StreamPlayer player(soundEngine());
  return player;
}

}  // namespace korvo::sound::streams
