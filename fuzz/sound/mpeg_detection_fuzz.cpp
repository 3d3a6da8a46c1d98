// MPEG audio detection (tags, RIFF wrapper, header pairs), then decoding what it accepts,
// which must not write to standard error (the decoder library's complaints stay quiet).
#include <sys/mman.h>
#include <unistd.h>

#include "sound/formats/format_loaders.h"
#include "sound/formats/mpeg_frames.h"
#include "sound_seeds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvo::sound;
  using namespace korvo::sound::formats;
  auto file = SoundFile::openMemory(data, size);
  MpegStart start;
  if (findMpegStart(*file, start)) {
    if (start.offset < 0 || start.offset + 4 > start.end || start.end > static_cast<std::int64_t>(size))
      __builtin_trap();
    static const int kNoise = ::memfd_create("stderr", 0);
    const int saved = ::dup(2);
    ::ftruncate(kNoise, 0);
    ::lseek(kNoise, 0, SEEK_SET);
    ::dup2(kNoise, 2);
    DecodedAudio out;
    loadMpeg(*file, 0x2130, out);
    ::dup2(saved, 2);
    ::close(saved);
    if (::lseek(kNoise, 0, SEEK_CUR) != 0) __builtin_trap();
  }
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::test;
  const Bytes layerTwo = silentMpegFrames(3);
  seeds.add("layer2.mp2", layerTwo);
  Bytes tagged = id3Tag(20);
  append(tagged, layerTwo);
  append(tagged, Bytes{'T', 'A', 'G'});
  tagged.resize(tagged.size() + 125, ' ');
  seeds.add("id3_and_tag.mp2", tagged);
  seeds.add("riff_wrapped.wav", riffWave({riffChunk("fmt ", fmtBody(0x55, 1, 44100, 0)), riffChunk("data", layerTwo)}));
  // MPEG-1 layer III, 128 kbit/s, 44100 Hz, joint stereo: 417-byte frames of silence.
  Bytes layerThree;
  for (int i = 0; i < 3; ++i) {
    append(layerThree, Bytes{0xFF, 0xFB, 0x90, 0x64});
    layerThree.resize(layerThree.size() + 413, 0);
  }
  seeds.add("layer3.mp3", layerThree);
  // Layer II, 32 kbit/s joint stereo with the widest stereo bound: past the subband limit.
  Bytes wideBound;
  for (int i = 0; i < 3; ++i) {
    append(wideBound, Bytes{0xFF, 0xFD, 0x10, 0x70});
    for (int k = 4; k < 104; ++k) wideBound.push_back(static_cast<std::uint8_t>(k * 37 + i));
  }
  seeds.add("wide_stereo_bound.mp2", wideBound);
}
