// Small sound files for the loaders' seed corpora, made with the test builders.
#pragma once

#include "fuzz_seeds.h"
#include "tests/sound/sound_builders.h"

namespace korvo::fuzz {

// PCM and converted WAV files: depths, channels, loops, cues, extensible, µ-law, float.
inline void addWavSeeds(Seeds& seeds) {
  using namespace korvo::test;
  const Bytes pcm = pcm16({0, 1000, -1000, 32767, -32768, 5, -5, 0});
  seeds.add("pcm8_mono.wav",
            riffWave({riffChunk("fmt ", fmtBody(1, 1, 22050, 8)), riffChunk("data", {0x80, 0xFF, 0x00})}));
  seeds.add("pcm16_stereo.wav", riffWave({riffChunk("fmt ", fmtBody(1, 2, 44100, 16)), riffChunk("data", pcm)}));
  seeds.add("loop_cues.wav",
            riffWave({riffChunk("fmt ", fmtBody(1, 1, 8000, 16)), riffChunk("data", pcm),
                      riffChunk("smpl", smplBody(1, 1, 6)), riffChunk("cue ", cueBody({{1, 2}, {2, 5}})),
                      container("LIST", "adtl", false, {labl(1, "start"), labl(2, "end")})}));
  seeds.add("extensible24.wav",
            riffWave({riffChunk("fmt ", extensibleFmtBody(1, 2, 48000, 24)), riffChunk("data", Bytes(24, 0x40))}));
  seeds.add("mulaw.wav", riffWave({riffChunk("fmt ", fmtBody(7, 1, 8000, 8)), riffChunk("fact", {4, 0, 0, 0}),
                                   riffChunk("data", {0xFF, 0x80, 0x00, 0x7F})}));
  Bytes floats;
  for (std::uint32_t bits : {0x3F000000u, 0x3FC00000u, 0xBFC00000u, 0xBE800000u}) putLe32(floats, bits);
  seeds.add("float.wav", riffWave({riffChunk("fmt ", fmtBody(3, 1, 44100, 32)), riffChunk("data", floats)}));
}

// AIFF files: 8 and 16 bits, a sustain loop through markers.
inline void addAiffSeeds(Seeds& seeds) {
  using namespace korvo::test;
  seeds.add("pcm16.aiff", aiffForm({iffChunk("COMM", commBody(2, 2, 16, 44100)),
                                    iffChunk("SSND", ssndBody({0x12, 0x34, 0x80, 0x00, 0x7F, 0xFF, 0x00, 0x01}))}));
  seeds.add("pcm8_offset.aiff",
            aiffForm({iffChunk("COMM", commBody(1, 3, 8, 8000)), iffChunk("SSND", ssndBody({1, 2, 3}, 2))}));
  Bytes marks;
  putBe16(marks, 2);
  for (const auto& [id, position] : {std::pair{3u, 10u}, std::pair{7u, 60u}}) {
    putBe16(marks, id);
    putBe32(marks, position);
    marks.push_back(1);
    marks.push_back('m');
  }
  Bytes inst(8, 0);
  putBe16(inst, 1);  // sustain loop: forward, from marker 3 to marker 7
  putBe16(inst, 3);
  putBe16(inst, 7);
  inst.resize(20, 0);
  seeds.add("sustain_loop.aiff", aiffForm({iffChunk("COMM", commBody(1, 100, 8, 8000)), iffChunk("MARK", marks),
                                           iffChunk("INST", inst), iffChunk("SSND", ssndBody(Bytes(100, 0)))}));
}

}  // namespace korvo::fuzz
