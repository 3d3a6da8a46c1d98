// MPEG audio: detection is ours (mpeg_frames); the frames from the first accepted header to
// the end of the data are fed to the decoder library a read block at a time (through the
// feed that keeps it quiet, mpeg_feed.h), and each frame it decodes waits in the library's own
// buffer (the decode buffer) until it has been taken. The output is 16-bit signed PCM in the
// first frame's rate and channel count.
#include <algorithm>
#include <memory>
#include <vector>

#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/mpeg_feed.h"
#include "sound/formats/mpeg_frames.h"
#include "sound/formats/riff_chunks.h"
#include "sound/formats/sound_decoder.h"

namespace korvo::sound::formats {
namespace {

// Failures in a row without moving on through the input after which the library is given more.
constexpr int kStuckFailures = 8;

// Output frames of one MPEG frame.
std::int64_t framesPerFrame(const MpegHeader& h) {
  if (h.layer == 1) return 384;
  return h.layer == 3 && h.version != 10 ? 576 : 1152;
}

// Output frames of the whole data, counted frame by frame.
std::int64_t countFrames(SoundFile& file, const MpegStart& start) {
  std::int64_t frames = 0;
  std::uint8_t bytes[4];
  for (std::int64_t at = start.offset; at + 4 <= start.end;) {
    MpegHeader h;
    if (!file.seek(at, SeekFrom::kStart) || file.read(bytes, 1, 4) != 4 || !parseMpegHeader(bytes, h)) break;
    frames += framesPerFrame(h);
    at += h.frameBytes;
  }
  return frames;
}

class MpegDecoder final : public SoundDecoder {
 public:
  MpegDecoder(SoundFile& file, const MpegStart& start) : file_(file), start_(start) {
    format_.rate = start.header.rate;
    format_.channels = start.header.channels;
    format_.bits = 16;
    format_.dataLength = start.end - start.offset;
    format_.readBlock = readBlockFor(start.header.frameBytes);
    block_.resize(static_cast<std::size_t>(format_.readBlock));
  }

  void measure(bool accurate) {
    const std::int64_t frames = accurate
                                    ? countFrames(file_, start_)
                                    : format_.dataLength * framesPerFrame(start_.header) / start_.header.frameBytes;
    format_.lengthMs = frames * 1000 / format_.rate;
  }

  // The length of data coded at byteRate bytes a second (0: unknown).
  void measureAt(std::int64_t byteRate) { format_.lengthMs = byteRate > 0 ? format_.dataLength * 1000 / byteRate : 0; }

  std::size_t read(void* out, std::size_t bytes) override {
    auto* dest = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    bytes -= bytes % static_cast<std::size_t>(format_.frameBytes());
    while (done < bytes) {
      if (pendingBytes_ != 0) {
        const std::size_t n = std::min(pendingBytes_, bytes - done);
        std::copy_n(pending_, n, dest + done);
        pending_ += n;
        pendingBytes_ -= n;
        done += n;
        continue;
      }
      if (!decodeFrame()) break;
    }
    return done;
  }

  bool seek(std::int64_t offset) override {
    if (offset < 0 || (offset != 0 && offset >= format_.dataLength)) return false;
    handle_ = newMpegHandle(start_.header.rate, start_.header.channels);
    feed_ = std::make_unique<MpegFeed>(start_.header.rate, start_.header.channels);
    pending_ = nullptr;
    pendingBytes_ = 0;
    at_ = start_.offset + offset;
    return handle_ != nullptr && feed_->valid();
  }

 private:
  // Makes the next decoded frame pending; false at the end of the data.
  bool decodeFrame() {
    if (!handle_) return false;
    for (int stuck = 0;;) {
      unsigned char* audio = nullptr;
      std::size_t size = 0;
      off_t frame = 0;
      const off_t before = mpg123_tell_stream(handle_.get());
      const int result = mpg123_decode_frame(handle_.get(), &frame, &audio, &size);
      if (result == MPG123_OK && size != 0) {
        pending_ = audio;
        pendingBytes_ = size;
        return true;
      }
      if (result == MPG123_OK || result == MPG123_NEW_FORMAT) continue;
      if (result == MPG123_ERR) {
        if (mpg123_errcode(handle_.get()) == MPG123_OUT_OF_MEM) return false;
        // A damaged frame is dropped and the library resynchronises on what follows, in the
        // data it has while it moves on through it.
        stuck = mpg123_tell_stream(handle_.get()) == before ? stuck + 1 : 0;
        if (stuck < kStuckFailures) continue;
      }
      stuck = 0;
      if (!feed()) return false;
    }
  }

  // Gives the library the next read block (what of it the feed has made ready); false when
  // nothing is left to give.
  bool feed() {
    if (feed_->ended()) return false;
    const std::int64_t left = start_.end - at_;
    std::size_t got = 0;
    // The file is the decoder's alone: it moves only after a seek (or detection).
    if (left > 0 && (file_.tell() == at_ || file_.seek(at_, SeekFrom::kStart))) {
      got = file_.read(block_.data(), 1, static_cast<std::size_t>(std::min<std::int64_t>(left, format_.readBlock)));
      at_ += static_cast<std::int64_t>(got);
    }
    const std::span<const std::uint8_t> ready = feed_->give(block_.data(), got, got == 0 || at_ >= start_.end);
    if (!ready.empty() && mpg123_feed(handle_.get(), ready.data(), ready.size()) != MPG123_OK) return false;
    return !ready.empty() || got != 0;
  }

  SoundFile& file_;
  MpegStart start_;
  MpegHandle handle_;
  std::unique_ptr<MpegFeed> feed_;
  std::vector<std::uint8_t> block_;
  std::int64_t at_ = 0;
  const std::uint8_t* pending_ = nullptr;
  std::size_t pendingBytes_ = 0;
};

std::unique_ptr<MpegDecoder> startDecoder(SoundFile& file, MpegStart& start, EngineError& code) {
  code = EngineError::kUnrecognised;
  if (!findMpegStart(file, start)) return nullptr;
  auto decoder = std::make_unique<MpegDecoder>(file, start);
  code = decoder->seek(0) ? EngineError::kNone : EngineError::kOutOfMemory;
  return code == EngineError::kNone ? std::move(decoder) : nullptr;
}

}  // namespace

DecoderResult openMpegWaveDecoder(SoundFile& file, const RiffWave& wave) {
  if ((wave.channels != 1 && wave.channels != 2) || !plausibleRate(wave.rate))
    return {nullptr, EngineError::kUnrecognised};
  MpegStart data;
  data.offset = wave.dataOffset;
  data.end = wave.dataOffset + wave.dataSize;
  data.header = {10,
                 3,
                 static_cast<int>(wave.byteRate / 125),
                 static_cast<int>(wave.rate),
                 wave.channels,
                 std::max<int>(1, wave.blockAlign)};
  auto decoder = std::make_unique<MpegDecoder>(file, data);
  // The library takes no such output format.
  if (!decoder->seek(0)) return {nullptr, EngineError::kUnrecognised};
  decoder->measureAt(wave.byteRate);
  return {std::move(decoder), EngineError::kNone};
}

DecoderResult openMpegDecoder(SoundFile& file, bool accurateLength) {
  MpegStart start;
  EngineError code = EngineError::kNone;
  std::unique_ptr<MpegDecoder> decoder = startDecoder(file, start, code);
  if (decoder) decoder->measure(accurateLength);
  return {std::move(decoder), code};
}

EngineError loadMpeg(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  MpegStart start;
  EngineError code = EngineError::kNone;
  std::unique_ptr<MpegDecoder> decoder = startDecoder(file, start, code);
  if (!decoder) return code;
  code = drainDecoder(*decoder, out.pcm);
  out.cues.clear();
  if (code != EngineError::kNone) return code;
  return finishDecode(out, requested, start.header.rate, 16, start.header.channels, false);
}

}  // namespace korvo::sound::formats
