// MPEG data on its way to the decoder library. The library is told to be quiet, but its Layer II
// decoder says "Truncating stereo boundary to sideband limit." on standard error whatever its
// flags, for a joint-stereo frame whose stereo bound passes the frame's subband limit, and then
// decodes the frame as if the bound were the limit. So the bound of such a frame is rewritten to
// the limit before the decoding handle gets it: the sound is the same and nothing is printed.
// Which bytes are frames is the library's decision alone (it resynchronises after damage,
// measures free-format frames, skips tags and info frames), and a guess of ours can step over a
// frame it decodes; so a second handle, given the bytes first, only parses them (parsing never
// prints) and says where each frame begins.
#pragma once

#include <mpg123.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace korvo::sound::formats {

struct MpegHandleCloser {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using MpegHandle = std::unique_ptr<mpg123_handle, MpegHandleCloser>;

// A quiet handle of the decoder library, fed by us, that gives 16-bit signed PCM at rate in
// channels (1 or 2) only; null when memory runs out or the library takes no such format.
MpegHandle newMpegHandle(int rate, int channels);

class MpegFeed {
 public:
  // For a decoding handle made by newMpegHandle(rate, channels).
  MpegFeed(int rate, int channels);

  // False when the parser could not be made (out of memory).
  bool valid() const { return parser_ != nullptr; }

  // Takes the stream's next size bytes (last: nothing follows them) and returns the bytes now
  // ready for the decoding handle, in stream order after those returned before; they stay
  // valid until the next call. Once the parser has failed for good (ended()), nothing more is
  // ever ready: the frames it could not follow are not decoded.
  std::span<const std::uint8_t> give(const std::uint8_t* data, std::size_t size, bool last);

  bool ended() const { return ended_; }

 private:
  bool findFrames();

  MpegHandle parser_;
  std::vector<std::uint8_t> held_;  // bytes given to the parser, from the stream offset base_
  std::int64_t base_ = 0;
  std::int64_t at_ = 0;    // stream offset of the first byte not given to the decoder yet
  std::size_t ready_ = 0;  // bytes from at_ returned by the last give
  std::int64_t safe_ = 0;  // stream offset up to which the frames are all found
  bool ended_ = false;
};

}  // namespace korvo::sound::formats
