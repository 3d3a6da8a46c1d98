// The WAV loader, including the codec conversion of non-PCM data.
#include "sound/formats/format_loaders.h"
#include "sound_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound;
  using namespace korvo::sound::formats;
  auto file = SoundFile::openMemory(data, size);
  DecodedAudio out;
  if (loadWav(*file, 0x2130, out) == EngineError::kNone &&
      out.pcm.size() != static_cast<std::size_t>(out.frames) * out.frameBytes())
    __builtin_trap();
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) { addWavSeeds(seeds); }
