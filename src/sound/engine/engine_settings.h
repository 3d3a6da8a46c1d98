// What the engine is started with: output and mixer types, init flags, and the processor
// features that pick the mixer.
#pragma once

#include <cstdint>

namespace korvo::sound {

// Output types. -1 chooses at init: KORVO_AUDIO, else the audio device, else no sound.
namespace output {
inline constexpr int kAuto = -1;
inline constexpr int kNoSound = 0;
inline constexpr int kDevice = 2;
inline constexpr int kWavFile = 9;
}  // namespace output

// Mixer types (indices into the mixer table). Only 5, 6 and 7 mix.
namespace mixer {
inline constexpr int kAutodetect = 0;
inline constexpr int kQualityAutodetect = 4;
inline constexpr int kQualityFloat = 5;
inline constexpr int kQualityInt16 = 6;
inline constexpr int kQualityInt16Family6 = 7;
inline constexpr int kCount = 14;
}  // namespace mixer

// init flags.
namespace initflag {
inline constexpr std::uint32_t kMidi = 0x1;
inline constexpr std::uint32_t kGlobalFocus = 0x2;
inline constexpr std::uint32_t kPrimaryModeFlag = 0x4;
inline constexpr std::uint32_t kLevels = 0x8;
}  // namespace initflag

// Processor features that pick the mixer.
struct CpuFeatures {
  bool cpuid = false;
  bool mmx = false;
  bool family6 = false;
};
// The features of this machine (SSE2 and later count as MMX and family 6).
CpuFeatures detectCpuFeatures();

}  // namespace korvo::sound
