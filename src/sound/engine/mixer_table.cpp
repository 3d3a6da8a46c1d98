// The mixer descriptors, the processor features and the mixer choice.
#include "sound/engine/mixer.h"

#include <array>

namespace korvo::sound {
namespace {

constexpr MixerDescriptor kFloat{"AUDREX_MIXER_QUALITY_FPU", &clearFloat, &mixChannelFloat, &clipCopyFloat, 32, false};
constexpr MixerDescriptor kInt16P5{
    "AUDREX_MIXER_QUALITY_MMXP5", &clearInt16, &mixChannelInt16, &clipCopyInt16, 16, false};
constexpr MixerDescriptor kInt16P6{
    "AUDREX_MIXER_QUALITY_MMXP6", &clearInt16, &mixChannelInt16, &clipCopyInt16, 16, false};

constexpr MixerDescriptor named(const char* name, bool mono = false) {
  return MixerDescriptor{name, nullptr, nullptr, nullptr, 16, mono};
}

constexpr std::array<MixerDescriptor, mixer::kCount> kMixers{
    named("AUDREX_MIXER_AUTODETECT"),
    named("AUDREX_MIXER_BLENDMODE"),
    named("AUDREX_MIXER_MMXP5"),
    named("AUDREX_MIXER_MMXP6"),
    named("AUDREX_MIXER_QUALITY_AUTODETECT"),
    kFloat,
    kInt16P5,
    kInt16P6,
    named("AUDREX_MIXER_MONO", true),
    named("AUDREX_MIXER_QUALITY_MONO", true),
    named("AUDREX_MIXER_C"),
    named("AUDREX_MIXER_QUALITY_C"),
    named("AUDREX_MIXER_QUALITY_C_CUBIC"),
    named("AUDREX_MIXER_QUALITY_C_SPLINE"),
};

}  // namespace

CpuFeatures detectCpuFeatures() {
  CpuFeatures f;
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  f.cpuid = true;
  // Any processor with SSE2 has MMX and is at least as capable as family 6.
  const bool sse2 = __builtin_cpu_supports("sse2");
  f.mmx = sse2 || __builtin_cpu_supports("mmx");
  f.family6 = sse2;
#endif
  return f;
}

const MixerDescriptor* mixerDescriptor(int type) {
  if (type < 0 || type >= mixer::kCount) return nullptr;
  return &kMixers[static_cast<std::size_t>(type)];
}

int selectMixer(int type, const CpuFeatures& features) {
  const bool mmx = features.cpuid && features.mmx;
  const bool family6 = features.cpuid && features.family6;
  if (type == mixer::kAutodetect) type = 3;
  if (type == mixer::kQualityAutodetect) type = mixer::kQualityInt16Family6;
  if (type == 3 && !family6) type = 2;
  if ((type == 2 || type == 3) && !mmx) type = 1;
  if (type == mixer::kQualityInt16Family6 && !family6) type = mixer::kQualityInt16;
  if ((type == mixer::kQualityInt16 || type == mixer::kQualityInt16Family6) && !mmx) type = mixer::kQualityFloat;
  return type;
}

void mixList(const MixerDescriptor& mixer, void* buffer, MixList& list, std::int32_t samples, std::int32_t rampLength) {
  for (Channel* c = list.head(); c; c = c->next) mixer.mixChannel(buffer, *c, samples, rampLength);
}

}  // namespace korvo::sound
