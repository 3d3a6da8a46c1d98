// The order in which a file meets the loaders: raw when asked, else each format in turn
// while the data stays unrecognised.
#include <array>

#include "sound/formats/format_loaders.h"

namespace korvo::sound::formats {

EngineError decodeSound(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  using Loader = EngineError (*)(SoundFile&, std::uint32_t, DecodedAudio&);
  static constexpr std::array<Loader, 4> kLoaders{loadMpeg, loadOgg, loadAiff, loadWav};
  EngineError code = EngineError::kUnrecognised;
  if (requested & mode::kRaw) {
    code = loadRaw(file, requested, out);
  } else {
    for (Loader loader : kLoaders) {
      out = DecodedAudio{};
      code = loader(file, requested, out);
      if (code != EngineError::kUnrecognised) break;
    }
  }
  if (code == EngineError::kNone && out.frames <= 0) code = EngineError::kInvalidArgument;
  if (code != EngineError::kNone) out = DecodedAudio{};
  return code;
}

}  // namespace korvo::sound::formats
