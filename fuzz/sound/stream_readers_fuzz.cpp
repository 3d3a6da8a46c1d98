// The stream readers, reading a file through a program's file callbacks that return short
// reads: byte 0 picks the mode (raw and its format, counted MPEG length, seeks), bytes 1..4
// seed the sizes of the callbacks' reads and of the reader's reads, the rest is the file.
// Every read must stay within what was asked, in whole frames, and the data must end.
#include <algorithm>
#include <cstring>

#include "sound/engine/sample.h"
#include "sound/formats/sound_decoder.h"
#include "sound_seeds.h"
#include "tests/sound/test_encoders.h"

namespace {

using namespace korvo::sound;

struct Source {
  const std::uint8_t* data = nullptr;
  std::int64_t size = 0;
  std::int64_t at = 0;
  std::uint32_t state = 1;

  // 1..limit, from the input's seed.
  std::uint32_t next(std::uint32_t limit) {
    state = state * 1664525u + 1013904223u;
    return 1 + (state >> 8) % limit;
  }
} gSource;

void* openSource(const char*) { return &gSource; }
void closeSource(void*) {}
std::int64_t readSource(void* buffer, std::int64_t size, void*) {
  const std::int64_t n = std::min<std::int64_t>({size, gSource.size - gSource.at, std::int64_t{gSource.next(700)}});
  std::memcpy(buffer, gSource.data + gSource.at, static_cast<std::size_t>(std::max<std::int64_t>(0, n)));
  gSource.at += std::max<std::int64_t>(0, n);
  return n;
}
bool seekSource(void*, std::int64_t offset, int origin) {
  const std::int64_t base = origin == 0 ? 0 : origin == 1 ? gSource.at : gSource.size;
  if (base + offset < 0 || base + offset > gSource.size) return false;
  gSource.at = base + offset;
  return true;
}
std::int64_t tellSource(void*) { return gSource.at; }

const formats::FileCallbacks kCallbacks{openSource, closeSource, readSource, seekSource, tellSource};

// Output read from one input is bounded, so that a long stream of tiny frames stays quick.
constexpr std::size_t kMaxOutput = 8u << 20;

}  // namespace

// vorbisfile's seekable open of a damaged chain fails without freeing a list of serial numbers
// it made on the way (a few bytes per such file, inside the library). The leak checker's stacks
// end in the library, which keeps no frame pointers, so what it allocates is left to it; every
// other leak still fails.
extern "C" const char* __lsan_default_suppressions() { return "leak:libvorbisfile.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::uint8_t flags = data[0];
  gSource = Source{data + 5, static_cast<std::int64_t>(size - 5), 0, 1};
  std::memcpy(&gSource.state, data + 1, 4);
  std::uint32_t modeWord = 0;
  if (flags & 1) modeWord |= mode::kRaw;
  modeWord |= flags & 2 ? mode::k16Bits : mode::k8Bits;
  modeWord |= flags & 4 ? mode::kStereo : mode::kMono;
  if (flags & 8) modeWord |= mode::kUnsigned;
  if (flags & 16) modeWord |= mode::kAccurateLength;

  formats::setFileCallbacks(&kCallbacks);
  auto file = formats::SoundFile::open("fuzz input");
  formats::DecoderResult opened = formats::openStreamDecoder(*file, modeWord);
  if (opened.decoder) {
    formats::SoundDecoder& reader = *opened.decoder;
    const formats::DecoderFormat f = reader.format();
    if ((f.channels != 1 && f.channels != 2) || (f.bits != 8 && f.bits != 16) || f.readBlock < formats::kMinReadBlock ||
        f.dataLength < 0)
      __builtin_trap();
    std::vector<std::uint8_t> buffer(9000);
    std::size_t total = 0;
    bool seeked = false;
    while (total < kMaxOutput) {
      const std::size_t ask = gSource.next(static_cast<std::uint32_t>(buffer.size()));
      const std::size_t got = reader.read(buffer.data(), ask);
      if (got > ask || got % static_cast<std::size_t>(f.frameBytes()) != 0) __builtin_trap();
      if (got == 0) {
        // Once more from a read block inside the data, when asked to.
        if (!(flags & 32) || seeked || f.dataLength <= f.readBlock) break;
        seeked = true;
        const std::int64_t blocks = f.dataLength / f.readBlock;
        reader.seek(static_cast<std::int64_t>(
                        gSource.next(static_cast<std::uint32_t>(std::min<std::int64_t>(blocks, 1 << 20))) - 1) *
                    f.readBlock);
      }
      total += got;
    }
  }
  opened.decoder.reset();
  file.reset();
  formats::setFileCallbacks(nullptr);
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::test;
  // The flags byte and the seed, then the file.
  const auto input = [](std::uint8_t flags, const Bytes& file) {
    Bytes b{flags, 0x5A, 0x17, 0x33, 0x01};
    append(b, file);
    return b;
  };
  const Pcm stereo = testTune(22050, 2, 3000);
  const Pcm mono = testTune(8000, 1, 2000);
  seeds.add("pcm16_stereo.wav", input(32, encodeWav(stereo)));
  seeds.add("pcm8.wav",
            input(0, riffWave({riffChunk("fmt ", fmtBody(1, 1, 22050, 8)), riffChunk("data", Bytes(3000, 0x90))})));
  seeds.add("pcm24.wav",
            input(32, riffWave({riffChunk("fmt ", fmtBody(1, 2, 48000, 24)), riffChunk("data", Bytes(6000, 0x40))})));
  seeds.add("mulaw.wav",
            input(32, riffWave({riffChunk("fmt ", fmtBody(7, 1, 8000, 8)), riffChunk("fact", {0xA0, 0x0F, 0, 0}),
                                riffChunk("data", Bytes(4000, 0x7F))})));
  seeds.add("pcm16.aiff", input(32, aiffForm({iffChunk("COMM", commBody(1, 2000, 16, 8000)),
                                              iffChunk("SSND", ssndBody(Bytes(4000, 0x22)))})));
  seeds.add("unsigned16_stereo.raw", input(1 | 2 | 4 | 8 | 32, Bytes(5000, 0x81)));
  seeds.add("tune.ogg", input(32, encodeVorbis(stereo)));
  Bytes chained = encodeVorbis(mono, 1);
  append(chained, encodeVorbis(stereo, 2));
  seeds.add("chained.ogg", input(0, chained));
  seeds.add("tune.mp3", input(32, encodeMp3(stereo, 64)));
  Bytes tagged = id3Tag(100);
  append(tagged, encodeMp3(mono, 32));
  seeds.add("tagged_counted.mp3", input(16 | 32, tagged));
}
