// The XM loader, then some forty ticks of whatever it accepts.
#include <cstdint>
#include <functional>
#include <vector>

#include "fuzz_seeds.h"
#include "module_fuzz.h"
#include "tests/sound/xm_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  korvo::fuzz::loadAndPlay(data, size);
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  using namespace korvo::sound::test;
  XmSongSpec plain;
  plain.instruments.push_back({});
  for (int r = 0; r < 4; ++r) plain.patterns[0].cells[{r * 2, r % 4}] = cell(kC4 + r, 1);
  seeds.add("plain.xm", writeXm(plain));

  // Envelopes, a looped 16-bit sample, vibrato and effects in both columns.
  XmSongSpec rich;
  rich.channels = 2;
  rich.orders = {0, 1, 0};
  rich.patterns.resize(2);
  rich.patterns[1].rows = 16;
  XmInstrumentSpec instrument;
  XmSampleSpec sample;
  sample.sixteenBit = true;
  sample.loopType = 2;
  sample.loopStart = 8;
  sample.loopLength = 32;
  sample.relativeNote = -12;
  instrument.samples = {sample, XmSampleSpec{}};
  instrument.volume = {{{0, 64}, {10, 32}, {20, 0}}, 7, 1, 0, 2};
  instrument.pan = {{{0, 0}, {30, 64}}, 1};
  instrument.fadeout = 512;
  instrument.vibratoType = 1;
  instrument.vibratoDepth = 4;
  instrument.vibratoRate = 8;
  rich.instruments = {instrument, instrument};
  rich.patterns[0].cells[{0, 0}] = cell(kC4, 1, 0x40, 0x04, 0x48);
  rich.patterns[0].cells[{1, 1}] = cell(kC4 + 7, 2, 0x80, 0x0A, 0x0F);
  rich.patterns[0].cells[{2, 0}] = cell(97);
  rich.patterns[0].cells[{3, 1}] = cell(0, 0, 0, 0x0E, 0x61);
  rich.patterns[1].cells[{0, 0}] = cell(kC4 - 12, 1, 0, 0x03, 0x10);
  rich.patterns[1].cells[{4, 1}] = cell(0, 0, 0, 0x0D, 0x02);
  seeds.add("envelopes_effects.xm", writeXm(rich));
}
