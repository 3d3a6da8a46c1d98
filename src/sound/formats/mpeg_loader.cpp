// MPEG audio: detection is ours (mpeg_frames); the frames from the first accepted header to
// the end of the data go to the decoder library through the feed that keeps it quiet
// (mpeg_feed), which gives 16-bit signed PCM in the first frame's rate and channel count.
#include <algorithm>
#include <vector>

#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/mpeg_feed.h"
#include "sound/formats/mpeg_frames.h"

namespace korvo::sound::formats {
namespace {

constexpr std::size_t kFeedBytes = 16384;

// Failures in a row without moving on through the input after which the decoder waits for more.
constexpr int kStuckFailures = 8;

// Takes every decoded block the decoder has ready; false when the PCM cap is passed or memory
// runs out. A damaged frame is dropped and the decoder resynchronises on what follows.
bool drain(mpg123_handle* decoder, std::vector<std::uint8_t>& pcm) {
  for (int stuck = 0; stuck < kStuckFailures;) {
    unsigned char* block = nullptr;
    std::size_t bytes = 0;
    off_t frame = 0;
    const off_t before = mpg123_tell_stream(decoder);
    const int result = mpg123_decode_frame(decoder, &frame, &block, &bytes);
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) return true;
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK) {
      if (mpg123_errcode(decoder) == MPG123_OUT_OF_MEM) return false;
      stuck = mpg123_tell_stream(decoder) == before ? stuck + 1 : 0;
      continue;
    }
    stuck = 0;
    if (bytes != 0 && !appendPcm(pcm, block, bytes)) return false;
  }
  return true;
}

}  // namespace

EngineError decodeMpegData(SoundFile& file, std::int64_t from, std::int64_t end, int rate, int channels,
                           std::vector<std::uint8_t>& pcm) {
  MpegHandle decoder = newMpegHandle(rate, channels);
  MpegFeed feed(rate, channels);
  if (!decoder || !feed.valid()) return EngineError::kOutOfMemory;
  std::vector<std::uint8_t> block(kFeedBytes);
  file.seek(from, SeekFrom::kStart);
  for (std::int64_t left = end - from; left > 0 && !feed.ended();) {
    const std::size_t got =
        file.read(block.data(), 1, static_cast<std::size_t>(std::min<std::int64_t>(left, kFeedBytes)));
    left = got == 0 ? 0 : left - static_cast<std::int64_t>(got);
    const std::span<const std::uint8_t> ready = feed.give(block.data(), got, left == 0);
    if (!ready.empty() &&
        (mpg123_feed(decoder.get(), ready.data(), ready.size()) != MPG123_OK || !drain(decoder.get(), pcm)))
      return EngineError::kOutOfMemory;
  }
  return EngineError::kNone;
}

EngineError loadMpeg(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  MpegStart start;
  if (!findMpegStart(file, start)) return EngineError::kUnrecognised;
  out.pcm.clear();
  const int rate = start.header.rate, channels = start.header.channels;
  const EngineError code = decodeMpegData(file, start.offset, start.end, rate, channels, out.pcm);
  out.cues.clear();
  return code != EngineError::kNone ? code : finishDecode(out, requested, rate, 16, channels, false);
}

}  // namespace korvo::sound::formats
