// Filling a stream's halves. A half is written through the engine's sample lock and handed
// back with the unlock, which refreshes the guard samples after the loop end under the mixer
// lock: the mixer interpolating across the wrap from the second half into the first reads
// the first half's new frames.
#include "sound/streams/stream.h"

#include <algorithm>
#include <cstring>

#include "sound/engine/sound_engine.h"

namespace korvo::sound::streams {
namespace {

constexpr std::int32_t kBlockBytes = 2048;
constexpr const char* kSampleName = "Streamer Sample";
// Weight of the newest measurement in the smoothed CPU figure.
constexpr float kCpuSmoothing = 0.1f;

}  // namespace

std::int32_t halfBytesFor(const formats::DecoderFormat& format) {
  const std::int64_t bytes = std::int64_t{kStreamBufferMs} * format.rate / 1000 * format.frameBytes();
  return static_cast<std::int32_t>(std::max<std::int64_t>(kBlockBytes, bytes / kBlockBytes * kBlockBytes));
}

Stream::Stream(std::string name, std::unique_ptr<formats::SoundFile> file,
               std::unique_ptr<formats::SoundDecoder> reader, std::uint32_t modeWord)
    : name_(std::move(name)), file_(std::move(file)), reader_(std::move(reader)), mode_(modeWord) {
  halfBytes_ = halfBytesFor(reader_->format());
}

Stream::~Stream() {
  if (engine_ && sample_) engine_->freeSample(sample_);
}

bool Stream::loops() const { return (mode_ & (mode::kLoopNormal | mode::kLoopBidi)) != 0; }

bool Stream::makeSample(SoundEngine& engine) {
  const formats::DecoderFormat& f = format();
  const std::uint32_t m = mode::kLoopNormal | mode::k2D | (f.bits == 16 ? mode::k16Bits : mode::k8Bits) |
                          (f.channels == 2 ? mode::kStereo : mode::kMono);
  sample_ = engine.allocSample(kSlotOutside, static_cast<std::uint32_t>(2 * halfFrames()), m, f.rate, 255,
                               f.channels == 2 ? kNoPan : 128, 255);
  if (!sample_) return false;
  sample_->name = kSampleName;
  engine_ = &engine;
  return true;
}

void Stream::fillBoth(SoundEngine& engine, std::int32_t endTime) {
  fillHalf(engine, 0, endTime);
  fillHalf(engine, 1, endTime);
}

void Stream::fillHalf(SoundEngine& engine, int h, std::int32_t endTime) {
  SampleLock lock;
  const auto offset = static_cast<std::uint32_t>(h * halfBytes_);
  if (!engine.lockSample(sample_, offset, static_cast<std::uint32_t>(halfBytes_), lock) ||
      lock.len1 != static_cast<std::uint32_t>(halfBytes_))
    return;
  auto* out = static_cast<std::uint8_t*>(lock.ptr1);
  std::size_t done = 0;
  if (endCountdown_ == kNotEnding) {
    done = readData(out, static_cast<std::size_t>(halfBytes_));
    if (done < static_cast<std::size_t>(halfBytes_)) endCountdown_ = endTime;
  }
  // Silence is 0 in the sample's signed data, 8- or 16-bit.
  std::memset(out + done, 0, static_cast<std::size_t>(halfBytes_) - done);
  engine.unlockSample(sample_, lock);
  halfIndex_ = 1 - h;
}

std::size_t Stream::readData(std::uint8_t* out, std::size_t bytes) {
  std::size_t done = reader_->read(out, bytes);
  while (done < bytes && loops()) {
    // Data that gives nothing right after a rewind would loop for ever: it has ended.
    if (!reader_->seek(0)) break;
    const std::size_t got = reader_->read(out + done, bytes - done);
    if (got == 0) break;
    done += got;
  }
  return done;
}

bool Stream::countDown(std::int32_t elapsed) {
  if (endCountdown_ <= 0) return endCountdown_ == 0;
  endCountdown_ = std::max(0, endCountdown_ - elapsed);
  return endCountdown_ == 0;
}

void Stream::addFillTime(double seconds) {
  const double halfSeconds = static_cast<double>(halfFrames()) / format().rate;
  const auto percent = static_cast<float>(seconds / halfSeconds * 100.0);
  cpu_ += (percent - cpu_) * kCpuSmoothing;
}

}  // namespace korvo::sound::streams
