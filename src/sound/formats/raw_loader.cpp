// Raw PCM: the whole file is sample data in the format the caller's mode describes.
#include <bit>

#include "sound/formats/format_loaders.h"

namespace korvo::sound::formats {

static_assert(std::endian::native == std::endian::little, "16-bit items are read in file order");

// Tracker-compressed data is unpacked by the upload from the whole file.
inline constexpr std::uint32_t kModeCompressed = mode::kTrackerPacked | mode::kTrackerPacked2;

EngineError loadRaw(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  const std::int64_t bytes = file.length();
  if (bytes <= 0) return EngineError::kRawEmpty;
  if (bytes > static_cast<std::int64_t>(kMaxPcmBytes)) return EngineError::kOutOfMemory;
  out.bits = requested & mode::k16Bits ? 16 : 8;
  out.channels = requested & mode::kStereo ? 2 : 1;
  out.frames = static_cast<std::int32_t>(bytes / out.frameBytes());
  const bool compressed = (requested & kModeCompressed) != 0;
  const std::size_t keep = compressed
                               ? static_cast<std::size_t>(bytes)
                               : static_cast<std::size_t>(out.frames) * static_cast<std::size_t>(out.frameBytes());
  out.pcm.assign(keep, 0);
  file.seek(0, SeekFrom::kStart);
  const std::size_t itemSize = out.bits == 16 && !compressed ? 2 : 1;
  file.read(out.pcm.data(), itemSize, keep / itemSize);
  out.mode = requested;
  out.sourceMode = requested;
  out.rate = 44100;
  out.loopStart = 0;
  out.loopEnd = out.frames - 1;
  out.loopFound = false;
  out.cues.clear();
  return EngineError::kNone;
}

}  // namespace korvo::sound::formats
