// Ogg Vorbis through vorbisfile, reading via the engine's file layer. Decoded as 16-bit signed
// little-endian PCM. The stream is read front to back: opened as seekable, vorbisfile starts
// a chain whose first link is a single page at the second link.
#include <vorbis/vorbisfile.h>

#include <array>

#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"

namespace korvo::sound::formats {
namespace {

SoundFile& fileOf(void* source) { return *static_cast<SoundFile*>(source); }

std::size_t readCallback(void* buffer, std::size_t size, std::size_t count, void* source) {
  return fileOf(source).read(buffer, size, count);
}
// The file belongs to the caller, who closes it.
int closeCallback(void*) { return 0; }

const ov_callbacks kFileCallbacks{readCallback, nullptr, closeCallback, nullptr};

}  // namespace

EngineError loadOgg(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  file.seek(0, SeekFrom::kStart);
  OggVorbis_File vorbis;
  if (ov_open_callbacks(&file, &vorbis, nullptr, 0, kFileCallbacks) != 0) return EngineError::kUnrecognised;
  const vorbis_info* info = ov_info(&vorbis, -1);
  if (!info || (info->channels != 1 && info->channels != 2) || !plausibleRate(info->rate)) {
    ov_clear(&vorbis);
    return EngineError::kUnrecognised;
  }
  const int channels = info->channels;
  const int rate = static_cast<int>(info->rate);
  out.pcm.clear();
  std::array<char, 16384> block{};
  EngineError code = EngineError::kNone;
  for (;;) {
    int link = 0;
    const long bytes = ov_read(&vorbis, block.data(), static_cast<int>(block.size()), 0, 2, 1, &link);
    if (bytes == OV_HOLE) continue;
    if (bytes <= 0) break;
    // A chained stream that changes its layout ends the sound where the change comes.
    const vorbis_info* now = ov_info(&vorbis, link);
    if (!now || now->channels != channels || now->rate != rate) break;
    if (!appendPcm(out.pcm, block.data(), static_cast<std::size_t>(bytes))) {
      code = EngineError::kOutOfMemory;
      break;
    }
  }
  ov_clear(&vorbis);
  out.cues.clear();
  return code != EngineError::kNone ? code : finishDecode(out, requested, rate, 16, channels, false);
}

}  // namespace korvo::sound::formats
