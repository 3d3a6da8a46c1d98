// The AIFF loader.
#include "sound/formats/format_loaders.h"
#include "sound_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound;
  using namespace korvo::sound::formats;
  auto file = SoundFile::openMemory(data, size);
  DecodedAudio out;
  if (loadAiff(*file, 0x2130, out) == EngineError::kNone &&
      (out.pcm.size() > size || (out.loopFound && (out.loopStart >= out.loopEnd || out.loopEnd >= out.frames))))
    __builtin_trap();
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) { addAiffSeeds(seeds); }
