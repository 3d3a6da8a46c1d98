// Raw loading: the first four bytes choose the mode, the rest is the file.
#include <cstring>

#include "sound/formats/format_loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound::formats;
  if (size < 4) return 0;
  std::uint32_t modeWord = 0;
  std::memcpy(&modeWord, data, 4);
  auto file = SoundFile::openMemory(data + 4, size - 4);
  DecodedAudio out;
  if (decodeSound(*file, modeWord | mode::kRaw, out) == EngineError::kNone && out.pcm.size() > static_cast<std::size_t>(size)) __builtin_trap();
  return 0;
}
