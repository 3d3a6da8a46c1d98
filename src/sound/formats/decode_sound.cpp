// The order in which a file meets the loaders: raw when asked, else each format in turn
// while the data stays unrecognised.
#include <array>

#include "sound/formats/format_loaders.h"

namespace korvo::sound::formats {

int decodeSound(SoundFile& file, std::uint32_t mode, DecodedAudio& out) {
  using Loader = int (*)(SoundFile&, std::uint32_t, DecodedAudio&);
  static constexpr std::array<Loader, 4> kLoaders{loadMpeg, loadOgg, loadAiff, loadWav};
  int code = kLoadNotRecognised;
  if (mode & kModeRaw) {
    code = loadRaw(file, mode, out);
  } else {
    for (Loader loader : kLoaders) {
      out = DecodedAudio{};
      code = loader(file, mode, out);
      if (code != kLoadNotRecognised) break;
    }
  }
  if (code == kLoadOk && out.frames <= 0) code = kLoadBadArgument;
  if (code != kLoadOk) out = DecodedAudio{};
  return code;
}

}  // namespace korvo::sound::formats
