// One stream: a long sound file played without loading it whole. Its "Streamer Sample" of
// two halves loops on an engine channel while the half that is not playing is filled from the
// file's decoder. The player (stream_player.h) owns streams and says who may touch which part
// of one when; a stream itself only knows how to fill its halves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sound/formats/sound_decoder.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound {
class Sample;
class SoundEngine;
}  // namespace korvo::sound

namespace korvo::sound::streams {

// The engine's stream buffer length: each half of a stream sample holds this much.
inline constexpr std::int32_t kStreamBufferMs = 200;
// The end countdown's value while the stream is not ending.
inline constexpr std::int32_t kNotEnding = -1;

// Bytes of one half for a format: the buffer length's frames in bytes, cut to whole 2048-byte
// blocks (at least one).
std::int32_t halfBytesFor(const formats::DecoderFormat& format);

class Stream {
 public:
  Stream(std::string name, std::unique_ptr<formats::SoundFile> file, std::unique_ptr<formats::SoundDecoder> reader,
         std::uint32_t modeWord);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  const std::string& name() const { return name_; }
  std::uint32_t mode() const { return mode_; }
  const formats::DecoderFormat& format() const { return reader_->format(); }
  formats::SoundDecoder& reader() { return *reader_; }
  // True when the data starts again from its beginning after its end (loop normal or bidirectional).
  bool loops() const;

  // The stream sample, made for the reader's format; false (code 12) without memory.
  bool makeSample(SoundEngine& engine);
  Sample* sample() const { return sample_; }
  std::int32_t halfBytes() const { return halfBytes_; }
  std::int32_t halfFrames() const { return halfBytes_ / format().frameBytes(); }

  // Fills both halves from where the reader stands; the next half to fill is then the first.
  void fillBoth(SoundEngine& engine, std::int32_t endTime);
  // Fills half h from the reader (zeroing what the data leaves; silence only, once ending) and
  // flips the half index. Reaching the end of data that does not loop starts the end
  // countdown at endTime.
  void fillHalf(SoundEngine& engine, int h, std::int32_t endTime);
  int halfIndex() const { return halfIndex_; }

  // The end countdown in milliseconds x 256 (kNotEnding while not ending). Counting it down
  // by elapsed says whether it has run out.
  std::int32_t endCountdown() const { return endCountdown_; }
  void resetEnding() { endCountdown_ = kNotEnding; }
  bool countDown(std::int32_t elapsed);

  // Smoothed share (percent) of the time filling takes of the time a half plays.
  float cpuUsage() const { return cpu_; }
  void addFillTime(double seconds);

  // Play state, kept by the player.
  std::int32_t channel = -1;
  bool playing = false;
  bool seeking = false;
  bool wasStarted = false;
  bool firstFillPending = false;

 private:
  // Reads up to bytes, starting the data again at its end when the stream loops.
  std::size_t readData(std::uint8_t* out, std::size_t bytes);

  std::string name_;
  // Declared before the reader, which reads from it until it goes.
  std::unique_ptr<formats::SoundFile> file_;
  std::unique_ptr<formats::SoundDecoder> reader_;
  std::uint32_t mode_;
  Sample* sample_ = nullptr;
  SoundEngine* engine_ = nullptr;
  std::int32_t halfBytes_ = 0;
  int halfIndex_ = 0;
  std::int32_t endCountdown_ = kNotEnding;
  float cpu_ = 0.0f;
};

}  // namespace korvo::sound::streams
