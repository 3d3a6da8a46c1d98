// MPEG audio frame headers and the detection of MPEG audio in a file: leading ID3 or TAG
// blocks are skipped, a RIFF wrapper is opened to its data, and a stream is accepted only
// where two consecutive valid frame headers stand within the first 4096 bytes.
#pragma once

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
  MpegHeader header;        // of the first frame
  std::int64_t offset = 0;  // of the first frame
  std::int64_t end = 0;     // of the MPEG data (the file's end, or the RIFF data's)
};

// Where the MPEG audio in file begins; false when the file is not MPEG audio.
bool findMpegStart(SoundFile& file, MpegStart& start);

}  // namespace korvo::sound::formats
