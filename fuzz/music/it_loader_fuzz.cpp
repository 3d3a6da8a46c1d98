// The IT loader: the signature is written over the input's first bytes; then the load and
// some forty ticks of whatever it accepts.
#include "fuzz_seeds.h"
#include "module_fuzz.h"
#include "tests/sound/it_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto bytes = korvo::fuzz::withSignature(data, size, 0, "IMPM");
  korvo::fuzz::loadAndPlay(bytes.data(), bytes.size());
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  ItSongSpec spec;
  spec.orders = {0, 254, 1, 255};
  spec.patterns.resize(2);
  ItInstrumentSpec& in = spec.instruments[0];
  in.newNoteAction = 1;
  in.duplicateCheck = 1;
  in.fadeout = 64;
  in.volume = {{{64, 0}, {32, 10}, {0, 20}}, 0x5, 0, 0, 1, 1};
  in.pan = {{{-32, 0}, {32, 30}}, 0x3, 0, 1};
  in.pitch = {{{0, 0}, {-20, 12}}, 0x81};
  in.cutoff = 0x80 | 60;
  spec.instruments.push_back(ItInstrumentSpec{});
  spec.samples.push_back(ItSampleSpec{});
  spec.samples[0].compressed = true;
  spec.samples[1].compressed = true;
  spec.samples[1].sixteenBit = true;
  spec.samples[1].secondVariant = true;
  spec.patterns[0].cells[{0, 0}] = itNote(kItC5);
  spec.patterns[0].cells[{1, 0}] = itNote(kItC5 + 4, 2, 19, 0x71);
  spec.patterns[0].cells[{2, 1}] = itNote(255, 0);
  spec.patterns[0].cells[{3, 2}] = itNote(kItC5, 1, 26, 0x40);
  spec.patterns[1].cells[{0, 0}] = itNote(kItC5, 1, 7, 0x20);
  spec.patterns[1].cells[{1, 1}] = itEffect(3, 0x05);
  spec.patterns[1].cells[{2, 3}] = itNote(kItC5, 2, 17, 0x41);
  seeds.add("instruments.it", writeIt(spec));
  spec.flags = 0;
  seeds.add("samples.it", writeIt(spec));
}
