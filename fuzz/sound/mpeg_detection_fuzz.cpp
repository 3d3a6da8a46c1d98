// MPEG audio detection (tags, RIFF wrapper, header pairs), then decoding what it accepts.
#include "sound/formats/format_loaders.h"
#include "sound/formats/mpeg_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound::formats;
  auto file = SoundFile::openMemory(data, size);
  MpegStart start;
  if (findMpegStart(*file, start)) {
    if (start.offset < 0 || start.offset + 4 > start.end || start.end > static_cast<std::int64_t>(size)) __builtin_trap();
    DecodedAudio out;
    loadMpeg(*file, 0x2130, out);
  }
  return 0;
}
