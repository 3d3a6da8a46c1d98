// MPEG audio: detection is ours (mpeg_frames); the frames from the first accepted header to
// the end of the data are fed to the decoder library, which gives 16-bit signed PCM in the
// first frame's rate and channel count.
#include <mpg123.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/mpeg_frames.h"

namespace korvo::sound::formats {
namespace {

constexpr std::size_t kFeedBytes = 16384;

struct DecoderCloser {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Decoder = std::unique_ptr<mpg123_handle, DecoderCloser>;

Decoder openDecoder(const MpegHeader& header) {
  static std::once_flag initOnce;
  std::call_once(initOnce, [] { mpg123_init(); });
  int error = MPG123_OK;
  Decoder decoder(mpg123_new(nullptr, &error));
  if (!decoder) return nullptr;
  mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(decoder.get());
  const int channels = header.channels == 1 ? MPG123_MONO : MPG123_STEREO;
  if (mpg123_format(decoder.get(), header.rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_open_feed(decoder.get()) != MPG123_OK)
    return nullptr;
  return decoder;
}

// Takes every decoded block the decoder has ready; false when the PCM cap is passed.
bool drain(mpg123_handle* decoder, std::vector<std::uint8_t>& pcm) {
  for (;;) {
    unsigned char* block = nullptr;
    std::size_t bytes = 0;
    off_t frame = 0;
    const int result = mpg123_decode_frame(decoder, &frame, &block, &bytes);
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) return true;
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK) {
      // A damaged frame is dropped; the decoder resynchronises on the next feed.
      if (result == MPG123_ERR && mpg123_errcode(decoder) == MPG123_OUT_OF_MEM) return false;
      return true;
    }
    if (bytes != 0 && !appendPcm(pcm, block, bytes)) return false;
  }
}

}  // namespace

EngineError loadMpeg(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  MpegStart start;
  if (!findMpegStart(file, start)) return EngineError::kUnrecognised;
  Decoder decoder = openDecoder(start.header);
  if (!decoder) return EngineError::kOutOfMemory;
  out.pcm.clear();
  // Bytes read and not fed yet: the last few of a read may begin a header the clamp must see whole.
  std::vector<std::uint8_t> feed;
  StereoBoundClamp clamp(start.offset);
  file.seek(start.offset, SeekFrom::kStart);
  for (std::int64_t left = start.end - start.offset; left > 0;) {
    const std::size_t kept = feed.size();
    feed.resize(kept + static_cast<std::size_t>(std::min<std::int64_t>(left, kFeedBytes)));
    const std::size_t got = file.read(feed.data() + kept, 1, feed.size() - kept);
    feed.resize(kept + got);
    left = got == 0 ? 0 : left - static_cast<std::int64_t>(got);
    const std::size_t ready = clamp.clamp(feed.data(), feed.size(), left == 0);
    if (ready != 0 && (mpg123_feed(decoder.get(), feed.data(), ready) != MPG123_OK || !drain(decoder.get(), out.pcm)))
      return EngineError::kOutOfMemory;
    feed.erase(feed.begin(), feed.begin() + static_cast<std::ptrdiff_t>(ready));
  }
  out.cues.clear();
  return finishDecode(out, requested, start.header.rate, 16, start.header.channels, false);
}

}  // namespace korvo::sound::formats
