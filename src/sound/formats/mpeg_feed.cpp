#include "sound/formats/mpeg_feed.h"

#include <algorithm>
#include <mutex>

namespace korvo::sound::formats {
namespace {

// How far behind the bytes given the parser may be while it has found no frame there. It backs
// up at most over a frame or two it is checking; bytes further back are ready even while no
// frame is found in them (junk, a long tag), so what is held stays bounded.
constexpr std::int64_t kLookBehind = std::int64_t{1} << 20;

// Failures in a row without moving on through the input after which the parser is stuck.
constexpr int kStuckFailures = 8;

MpegHandle openHandle(int rate, int channels, bool gapless) {
  static std::once_flag initOnce;
  std::call_once(initOnce, [] { mpg123_init(); });
  int error = MPG123_OK;
  MpegHandle handle(mpg123_new(nullptr, &error));
  if (!handle) return nullptr;
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  if (!gapless) mpg123_param(handle.get(), MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  mpg123_format_none(handle.get());
  if (mpg123_format(handle.get(), rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
          MPG123_OK ||
      mpg123_open_feed(handle.get()) != MPG123_OK)
    return nullptr;
  return handle;
}

// The MPEG-1 Layer II header h with its joint-stereo bound cut to the frame's subband limit.
// The limit is 8 subbands (12 at 32 kHz) for stereo frames of 32 to 96 kbit/s; otherwise (free
// format too) it is 27 or more, past every bound (4 to 16).
std::uint32_t clampedHeader(std::uint32_t h) {
  const bool layerTwo = (h >> 16 & 0x1E) == 0x1C;  // MPEG-1, Layer II
  const std::uint32_t bitrateIndex = h >> 12 & 15;
  const bool jointStereo = (h >> 6 & 3) == 1;
  if (!layerTwo || !jointStereo || bitrateIndex < 1 || bitrateIndex > 6) return h;
  const std::uint32_t limit = (h >> 10 & 3) == 2 ? 12 : 8;
  const std::uint32_t bound = ((h >> 4 & 3) + 1) * 4;
  return bound > limit ? (h & ~0x30u) | (limit / 4 - 1) << 4 : h;
}

}  // namespace

MpegHandle newMpegHandle(int rate, int channels) { return openHandle(rate, channels, true); }

// The parser keeps no gapless trimming: with it the library decodes (and so may complain about)
// the frames before the trimmed start while it steps to the next frame.
MpegFeed::MpegFeed(int rate, int channels) : parser_(openHandle(rate, channels, false)), ended_(!parser_) {}

std::span<const std::uint8_t> MpegFeed::give(const std::uint8_t* data, std::size_t size, bool last) {
  at_ += static_cast<std::int64_t>(ready_);
  ready_ = 0;
  // What was given out is dropped once it is most of what is held: bytes held back over a long
  // stretch without frames are then moved once for as many bytes given, not for every read.
  if (const auto given = static_cast<std::size_t>(at_ - base_); given > held_.size() / 2) {
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(given));
    base_ = at_;
  }
  if (ended_) return {};
  held_.insert(held_.end(), data, data + size);
  const bool followed = (size == 0 || mpg123_feed(parser_.get(), data, size) == MPG123_OK) && findFrames();
  const std::int64_t end = base_ + static_cast<std::int64_t>(held_.size());
  std::int64_t readyEnd = safe_;
  if (!followed) ended_ = true;
  else if (last) readyEnd = end;
  else readyEnd = std::max(safe_, end - kLookBehind);
  ready_ = static_cast<std::size_t>(std::clamp(readyEnd, at_, end) - at_);
  return {held_.data() + (at_ - base_), ready_};
}

// Steps the parser over every frame it can find in what it was given, cutting each stereo bound
// that passes its limit in held_; false when it fails for good, or finds a frame whose bound must
// be cut where the bytes are no longer held.
bool MpegFeed::findFrames() {
  const std::int64_t end = base_ + static_cast<std::int64_t>(held_.size());
  for (int stuck = 0;;) {
    const off_t before = mpg123_tell_stream(parser_.get());
    const int result = mpg123_framebyframe_next(parser_.get());
    if (result == MPG123_NEED_MORE || result == MPG123_DONE) return true;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
      // A damaged frame is dropped and the parser resynchronises, unless it does not move on.
      stuck = mpg123_tell_stream(parser_.get()) == before ? stuck + 1 : 0;
      if (mpg123_errcode(parser_.get()) == MPG123_OUT_OF_MEM || stuck == kStuckFailures) return false;
      continue;
    }
    stuck = 0;
    unsigned long header = 0;
    unsigned char* body = nullptr;
    std::size_t bodyBytes = 0;
    if (mpg123_framedata(parser_.get(), &header, &body, &bodyBytes) != MPG123_OK) return false;
    const std::int64_t at = mpg123_framepos(parser_.get());
    const auto h = static_cast<std::uint32_t>(header);
    std::uint8_t* p = at >= at_ && at + 4 <= end ? &held_[static_cast<std::size_t>(at - base_)] : nullptr;
    if (p != nullptr && h == (std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3]))
      p[3] = static_cast<std::uint8_t>(clampedHeader(h));
    else if (clampedHeader(h) != h) return false;
    safe_ = std::max(safe_, at + 4 + static_cast<std::int64_t>(bodyBytes));
  }
}

}  // namespace korvo::sound::formats
