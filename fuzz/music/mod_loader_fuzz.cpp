// The MOD loader: the first byte picks one of the signatures, written over the input at
// offset 1080; then the load and some forty ticks of whatever it accepts.
#include <array>

#include "fuzz_seeds.h"
#include "module_fuzz.h"
#include "tests/sound/mod_writer.h"

namespace {
constexpr std::array<const char*, 6> kSignatures = {"M.K.", "M!K!", "FLT4", "6CHN", "8CHN", "12CH"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const auto bytes = korvo::fuzz::withSignature(data + 1, size - 1, 1080, kSignatures[data[0] % kSignatures.size()]);
  korvo::fuzz::loadAndPlay(bytes.data(), bytes.size());
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  const auto seed = [&](const char* name, std::uint8_t signature, const ModSongSpec& spec) {
    Bytes b = {signature};
    const auto mod = writeMod(spec);
    b.insert(b.end(), mod.begin(), mod.end());
    seeds.add(name, b);
  };
  ModSongSpec plain;
  plain.samples.resize(2);
  plain.samples[1].loopStart = 8;
  plain.samples[1].loopLength = 32;
  plain.patterns[0][{0, 0}] = ModCell{1, kModC};
  plain.patterns[0][{1, 1}] = ModCell{2, kModCUp, 0x4, 0x44};
  plain.patterns[0][{2, 2}] = ModCell{1, kModC, 0xE, 0xD2};
  plain.patterns[0][{3, 3}] = ModCell{2, kModC, 0x3, 0x20};
  seed("plain.mod", 0, plain);
  ModSongSpec effects = plain;
  effects.orders = {0, 1, 0};
  effects.patterns.resize(2);
  effects.gap = 40;
  effects.patterns[1][{0, 0}] = ModCell{1, kModC, 0x0, 0x37};
  effects.patterns[1][{1, 0}] = ModCell{0, 0, 0xE, 0x61};
  effects.patterns[1][{2, 1}] = ModCell{1, kModCUp, 0x9, 0x01};
  effects.patterns[1][{3, 0}] = ModCell{0, 0, 0xD, 0x10};
  seed("effects.mod", 0, effects);
}
