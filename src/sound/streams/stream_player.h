// The streams of one sound engine: opening a file (or a decoder of the caller's) as a
// stream, playing, stopping, seeking and closing it, and the stream service the engine runs
// to keep the playing ones filled (sound_engine.h says on which thread, and states the stream
// lock kept here among the engine's locks). Failing operations leave the engine's code:
// 2 engine not started, 5 the channel did not start, 9 the file did not open, 10 no reader
// took the data, 12 out of memory, 14 no name, not a stream, or a position past the end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/formats/sound_decoder.h"
#include "sound/streams/stream.h"

namespace korvo::sound {
class SoundEngine;
}  // namespace korvo::sound

namespace korvo::sound::streams {

class StreamPlayer {
 public:
  // Installs the player's service in the engine.
  explicit StreamPlayer(SoundEngine& engine);
  // Closes every stream still open and removes the service.
  ~StreamPlayer();
  StreamPlayer(const StreamPlayer&) = delete;
  StreamPlayer& operator=(const StreamPlayer&) = delete;

  // Opens a named file or memory (mode bit 0x8000 in the engine's own form), detects its
  // format and fills both halves, so that play can start at once. The mode's loop bits say
  // whether the data starts again at its end; bit 0x10000 takes the whole file as raw PCM in
  // the mode's format, bit 0x20000 counts MPEG frames for the length. Names the decoders do
  // not take go to the media decoder (files only, no network names); null on failure.
  Stream* openStream(const formats::SoundSource& source, std::uint32_t modeWord);
  // A stream that plays what decoder gives (a CD track, a movie's sound): its format, its
  // reads, its seeks.
  Stream* openStream(std::unique_ptr<formats::SoundDecoder> decoder, std::uint32_t modeWord, std::string name);

  // Starts the stream on channel (kFreeChannel: a free one); the channel handle, or -1. A
  // stream already playing keeps its channel (started again there if it fell silent); a
  // stream played before starts again from its beginning.
  std::int32_t playStream(std::int32_t channel, Stream* stream, bool paused = false);
  // Stops and unreserves its channel; the next play starts from the beginning.
  bool stopStream(Stream* stream);
  // Stops it and frees its sample, reader and file.
  bool closeStream(Stream* stream);
  // Goes on from offset (below the data's length, in the reader's units), cut to a whole read
  // block: both halves are filled from there and the channel plays from the first.
  bool setStreamPosition(Stream* stream, std::int64_t offset);

  // Milliseconds of the whole data; -1 for what is not a stream.
  std::int64_t streamLength(Stream* stream);
  // The channel handle while playing, else -1.
  std::int32_t streamChannel(Stream* stream);
  // Smoothed percent of the time filling takes, for one stream and for all playing ones.
  float streamCpuUsage(Stream* stream);
  float cpuUsage() const { return cpuUsage_.load(std::memory_order_relaxed); }

 private:
  // The service pass: fills halves that have become due, counts endings down, stops streams
  // whose end countdown ran out.
  void service(std::int32_t elapsed);
  // Finishes the open of a stream whose reader is made.
  Stream* adopt(std::unique_ptr<Stream> stream);
  // The stream when it is one of the open ones (else code 14).
  Stream* find(Stream* stream);
  // Its channel while it is playing, else -1.
  std::int32_t channelIfPlaying(Stream& stream);
  // Unlinks it and gives its channel back; under the stream lock (the service's own pass).
  void endLocked(Stream& stream);
  // Milliseconds x 256 from the end of a stream's data until it is stopped: its two halves,
  // then what the output holds and one block.
  std::int32_t endTime() const;

  SoundEngine& engine_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Stream>> open_;
  std::vector<Stream*> playing_;
  std::atomic<float> cpuUsage_{0.0f};
};

// The process's stream player, on the process's sound engine.
StreamPlayer& streamPlayer();

}  // namespace korvo::sound::streams
