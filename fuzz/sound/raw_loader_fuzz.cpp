// Raw loading: the first four bytes choose the mode, the rest is the file.
#include <cstring>

#include "sound/formats/format_loaders.h"
#include "sound_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound;
  using namespace korvo::sound::formats;
  if (size < 4) return 0;
  std::uint32_t modeWord = 0;
  std::memcpy(&modeWord, data, 4);
  auto file = SoundFile::openMemory(data + 4, size - 4);
  DecodedAudio out;
  if (decodeSound(*file, modeWord | mode::kRaw, out) == EngineError::kNone &&
      out.pcm.size() > static_cast<std::size_t>(size))
    __builtin_trap();
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::mode;
  const Bytes pcm = korvo::test::pcm16({0, 1000, -1000, 32767, -32768, 5});
  // The mode word, then the data.
  const auto raw = [&](std::uint32_t modeWord) {
    Bytes b;
    korvo::test::putLe32(b, modeWord);
    korvo::test::append(b, pcm);
    return b;
  };
  seeds.add("signed16_stereo.raw", raw(k16Bits | kStereo | kSigned | kLoopNormal));
  seeds.add("unsigned8_mono.raw", raw(k8Bits | kMono | kUnsigned | kLoopOff));
  seeds.add("delta8.raw", raw(k8Bits | kMono | kSigned | kDelta));
  seeds.add("packed4.raw", raw(k8Bits | kMono | kPacked4Bit | kLoopBidi));
  seeds.add("tracker_packed.raw", raw(k16Bits | kMono | kTrackerPacked));
}
