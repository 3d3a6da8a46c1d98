// The mixer table: fourteen descriptors of which three mix (the float quality mixer and the
// two 16-bit integer quality mixers), and the choice among them from the processor.
#pragma once

#include <cstdint>

#include "sound/engine/channel.h"
#include "sound/engine/engine_settings.h"

namespace korvo::sound {

struct MixerDescriptor {
  const char* name;
  // Null for descriptors that cannot mix.
  void (*clear)(void* buffer, std::int32_t samples);
  // Mixes one channel over samples output samples; rampLength = mix rate * 128 / 44100.
  void (*mixChannel)(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength);
  // Converts samples stereo mix values into 16-bit stereo output.
  void (*clipCopy)(std::int16_t* dest, const void* source, std::int32_t samples);
  std::int32_t bitsPerValue;
  bool mono;
};

// The descriptor of a mixer type, or null out of range.
const MixerDescriptor* mixerDescriptor(int type);
// The type actually used for a requested type on a processor with features.
int selectMixer(int requested, const CpuFeatures& features);
// Mixes every channel of list.
void mixList(const MixerDescriptor& mixer, void* buffer, MixList& list, std::int32_t samples, std::int32_t rampLength);

// The two mixing implementations (also used directly by the tests and the benchmark).
void clearInt16(void* buffer, std::int32_t samples);
void mixChannelInt16(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength);
void clipCopyInt16(std::int16_t* dest, const void* source, std::int32_t samples);
void clearFloat(void* buffer, std::int32_t samples);
void mixChannelFloat(void* buffer, Channel& channel, std::int32_t samples, std::int32_t rampLength);
void clipCopyFloat(std::int16_t* dest, const void* source, std::int32_t samples);

}  // namespace korvo::sound
