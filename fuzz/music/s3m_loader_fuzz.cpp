// The S3M loader: the signature is written over the input at offset 44; then the load and
// some forty ticks of whatever it accepts.
#include "fuzz_seeds.h"
#include "module_fuzz.h"
#include "tests/sound/s3m_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = korvo::fuzz::withSignature(data, size, 44, "SCRM");
  korvo::fuzz::loadAndPlay(bytes.data(), bytes.size());
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  S3mSongSpec spec;
  spec.samples.resize(2);
  spec.samples[1].sixteenBit = true;
  spec.samples[1].loop = true;
  spec.samples[1].loopStart = 4;
  spec.samples[1].loopEnd = 30;
  spec.defaultPans = {0x23, 0x2C};
  spec.orders = {0, 254, 1, 255};
  spec.patterns.resize(2);
  spec.patterns[0][{0, 0}] = S3mCell{kS3mC4, 1, 40, 4, 0x0F};
  spec.patterns[0][{1, 1}] = S3mCell{kS3mC4 + 0x12, 2, 255, 8, 0x44};
  spec.patterns[0][{2, 8}] = S3mCell{254};
  spec.patterns[1][{0, 0}] = S3mCell{kS3mC4, 1, 255, 19, 0xD2};
  spec.patterns[1][{1, 1}] = S3mCell{kS3mC4, 2, 255, 17, 0x43};
  spec.patterns[1][{2, 0}] = S3mCell{255, 0, 255, 3, 0x10};
  seeds.add("song.s3m", writeS3m(spec));
  spec.flags = 0x40;
  spec.stereo = false;
  seeds.add("fast_mono.s3m", writeS3m(spec));
}
