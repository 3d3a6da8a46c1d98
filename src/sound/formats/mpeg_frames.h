// MPEG audio frame headers and the detection of MPEG audio in a file: leading ID3 or TAG
// blocks are skipped, a RIFF wrapper is opened to its data, and a stream is accepted only
// where two consecutive valid frame headers stand within the first 4096 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

struct MpegHeader {
  int version = 0;  // 10 for MPEG-1, 20 for MPEG-2, 25 for MPEG-2.5
  int layer = 0;    // 1..3
  int bitrate = 0;  // kbit/s
  int rate = 0;     // Hz
  int channels = 0;
  int frameBytes = 0;
};

// Parses the four header bytes at p; false unless they form a usable header (free-format
// bit rates are refused: their frame size cannot be known from the header).
bool parseMpegHeader(const std::uint8_t* p, MpegHeader& header);

struct MpegStart {
  MpegHeader header;       // of the first frame
  std::int64_t offset = 0;  // of the first frame
  std::int64_t end = 0;     // of the MPEG data (the file's end, or the RIFF data's)
};

// Where the MPEG audio in file begins; false when the file is not MPEG audio.
bool findMpegStart(SoundFile& file, MpegStart& start);

// Follows the frames of MPEG data on its way to the decoder library and rewrites the
// joint-stereo bound of a Layer II frame that passes the frame's subband limit down to that
// limit. The library cuts it there itself, but says so on standard error whatever its quiet
// flag; the decoded sound is the same. Frames are followed from header to header; where the
// chain breaks, every header-like run of bytes is treated as a frame, as the library's
// resynchronisation may.
class StereoBoundClamp {
 public:
  // first: the stream offset of the first frame, where the data given begins.
  explicit StereoBoundClamp(std::int64_t first) : position_(first), next_(first) {}
  // Rewrites what needs it in data (the stream's next size bytes, after those ready before);
  // returns how many of them are ready for the decoder. The rest (at most three bytes, that
  // may begin a header) must be given again at the front of the next call; at the end of the
  // data (last) everything is ready.
  std::size_t clamp(std::uint8_t* data, std::size_t size, bool last);

 private:
  std::int64_t position_;  // stream offset of data[0]
  std::int64_t next_;      // stream offset of the next frame, while the chain holds
  bool lost_ = false;
};

}  // namespace korvo::sound::formats
