// The sound engine: one process-wide software-mixing engine. It owns the output, the channel
// array, the sample slot table, the DSP chain that produces each mix block, and the thread (or,
// for clock-paced outputs under the virtual clock, the synchronous pump) that runs the chain.
// Failing operations return false, null or -1 and leave a code in lastError().
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sound/engine/channel.h"
#include "sound/engine/engine_error.h"
#include "sound/engine/sample.h"

namespace korvo::sound {

class OutputDriver;
class SampleStore;
struct MixerDescriptor;

// Channel handle values with a meaning of their own.
inline constexpr std::int32_t kFreeChannel = -1;
inline constexpr std::int32_t kAllChannels = -3;
inline constexpr std::int32_t kPrimaryChannel = -1000;

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

// One stage of the mix chain: gets the mix buffer position (in samples), the buffer returned
// by the previous unit and the block length, and returns the buffer for the next unit.
struct DspUnit {
  using Callback = std::function<void*(void* buffer, std::int32_t position, std::int32_t samples)>;
  std::int32_t priority = 0;
  std::atomic<bool> active{true};
  Callback callback;
};

// Priorities of the units made at init.
namespace dsp {
inline constexpr int kClear = 0;
inline constexpr int kSoundEffects = 100;
inline constexpr int kMusic = 200;
inline constexpr int kStreamSync = 299;
inline constexpr int kSpectrum = 900;
inline constexpr int kOutput = 1000;
}  // namespace dsp

// Converts tracker-compressed data (mode 0x400/0x800) into the sample; installed by the
// module loaders. Returns false when the data cannot be unpacked.
using SampleDecompressor = bool (*)(Sample& sample, const void* source, std::uint32_t mode);

class SoundEngine {
 public:
  SoundEngine();
  ~SoundEngine();
  SoundEngine(const SoundEngine&) = delete;
  SoundEngine& operator=(const SoundEngine&) = delete;

  // Before init only (else code 1).
  bool setOutput(int type);
  // The host window, for outputs that tie themselves to one; before init only (else code 1).
  bool setOutputWindow(void* window);
  void* outputWindow() const { return outputWindow_; }
  bool setMixer(int type);
  // Overrides the detected processor features (tests pick mixers with it).
  void setCpuFeatures(const CpuFeatures& features) { cpu_ = features; }

  // Starts the engine: 4000 <= mixRate <= 65535 and softwareChannels >= 1, else code 14.
  bool init(std::int32_t mixRate, std::int32_t softwareChannels, std::uint32_t flags);
  // Stops and frees everything; always allowed.
  void close();
  bool initialised() const { return initialised_.load(std::memory_order_acquire); }

  // State read by the audio commands and the music player.
  int outputType() const { return outputType_; }
  int mixerType() const { return mixerType_; }
  std::int32_t mixRate() const { return mixRate_; }
  std::int32_t blockLength() const { return blockLength_; }
  std::int32_t bufferSamples() const { return bufferSamples_; }
  std::int32_t softwareChannels() const { return softwareCount_; }
  std::uint32_t initFlags() const { return flags_; }
  const char* outputName() const;
  // Smoothed percentage of the block time spent mixing.
  float cpuUsage() const { return cpuUsage_.load(std::memory_order_relaxed); }

  // Master volume 0..255 applies to later setChannelVolume calls; pan separation to setChannelPan.
  void setMasterVolume(std::int32_t volume);
  std::int32_t masterVolume() const { return masterVolume_; }
  void setPanSeparation(float separation) { panSeparation_ = separation; }

  // Channels. Handles: -1 (allocation only), -3 all, -1000 primary, or index | serial << 12.
  // Starts sample; returns the new handle or -1. The channel joins list (a mix list its
  // owner mixes, e.g. in a DSP unit of its own), by default the sound-effects list.
  std::int32_t playSample(std::int32_t channel, Sample* sample, bool paused = false,
                          MixList* list = nullptr);
  bool stopChannel(std::int32_t channel);
  bool setChannelPaused(std::int32_t channel, bool paused);
  bool setChannelFrequency(std::int32_t channel, std::int32_t hz);
  bool setChannelVolume(std::int32_t channel, std::int32_t volume);
  bool setChannelPan(std::int32_t channel, std::int32_t pan);
  bool setChannelSurround(std::int32_t channel, bool on);
  bool setChannelMute(std::int32_t channel, bool on);
  bool setChannelReserved(std::int32_t channel, bool on);
  bool setChannelPosition(std::int32_t channel, std::uint32_t position);
  bool isChannelPlaying(std::int32_t channel);
  bool isChannelPaused(std::int32_t channel);
  // -1 on a handle that does not resolve.
  std::int32_t channelFrequency(std::int32_t channel);
  std::int32_t channelVolume(std::int32_t channel);
  std::int32_t channelPan(std::int32_t channel);
  std::int64_t channelPosition(std::int32_t channel);
  // Peak levels 0..1 of the block now playing (init flag 8), false on a bad handle.
  bool channelLevels(std::int32_t channel, float& left, float& right);
  Sample* channelSample(std::int32_t channel);
  // The record behind a handle (null and code 14 when it does not resolve).
  Channel* resolveChannel(std::int32_t channel);

  // Samples.
  Sample* allocSample(int slot, std::uint32_t length, std::uint32_t mode, std::int32_t frequency,
                      std::int32_t volume, std::int32_t pan, std::int32_t priority);
  // Stops every channel playing it, waits for a running DSP pass, then frees it.
  void freeSample(Sample* sample);
  // Copies a whole sample's worth of data in source format srcMode, converting as needed.
  bool uploadSampleData(Sample* sample, const void* source, std::uint32_t srcMode);
  bool lockSample(Sample* sample, std::uint32_t offset, std::uint32_t length, SampleLock& lock);
  bool unlockSample(Sample* sample, const SampleLock& lock);
  bool setSampleMode(Sample* sample, std::uint32_t mode);
  bool setSampleLoopPoints(Sample* sample, std::uint32_t start, std::uint32_t end);
  // Values <= 0 keep the stored default.
  bool setSampleDefaults(Sample* sample, std::int32_t frequency, std::int32_t volume,
                         std::int32_t pan, std::int32_t priority);
  bool getSampleDefaults(const Sample* sample, std::int32_t& frequency, std::int32_t& volume,
                      std::int32_t& pan, std::int32_t& priority);
  Sample* sampleInSlot(int slot) const;
  void setSampleDecompressor(SampleDecompressor fn) { decompressor_ = fn; }
  // Called by freeSample for samples owned by a song, to clear the song's references.
  void setSongSampleHook(std::function<void(Sample*)> hook) { songSampleHook_ = std::move(hook); }

  // DSP chain: units run in ascending priority for every block.
  DspUnit* createDspUnit(DspUnit::Callback callback, std::int32_t priority, bool active);
  void freeDspUnit(DspUnit* unit);
  // The song mixer run by the music unit (priority 200) for each block; null to remove.
  void setMusicMixer(std::function<void(void* buffer, std::int32_t samples)> mixer);
  // Mixes a channel list into a mix buffer with the current mixer (music player, streams).
  void mixChannels(void* buffer, MixList& list, std::int32_t samples);
  // Mixes one channel record; the others in its list are left alone.
  void mixChannel(void* buffer, Channel& channel, std::int32_t samples);
  // Bytes per mixed output sample of the current mixer (4 for 16-bit, 8 for float stereo).
  std::int32_t mixValueBytes() const;

  // The mixer lock: held while the sound-effects unit mixes and by every change of a
  // channel's sample or list.
  std::recursive_mutex& mixerLock() { return mixerLock_; }
  // Waits (yielding) until no DSP pass runs; returns at once inside a pass's own thread.
  void waitDspIdle() const;
  // The software channel operations, for channel records kept outside the engine's array
  // (song channels): start them into a list of their own and mix it with mixChannels.
  ChannelOps* softwareOps() const { return softwareOps_.get(); }
  // The engine's idle list (channels that are not playing).
  MixList& idleList() { return idleList_; }
  // The list the sound-effects unit mixes.
  MixList& effectsList() { return effectsList_; }

  // Brings a clock-paced output (no sound, WAV file) up to the clock: mixes and plays block
  // by block. Engine operations on the owner thread do this first (except from inside a DSP
  // pass, which cannot start another); tests may call it.
  void pump();
  // Mixes blocks until the block cursor reaches the block that holds playFrame.
  void mixUpTo(std::int64_t playFrame);

 private:
  void resetState();
  bool startOutput();
  bool startMixer();
  void stopMixer();
  bool createChannels();
  bool createPrimaryBuffer();
  void startMixingThread();
  void stopMixingThread();
  void mixingThreadMain();
  void runChain(std::int32_t block);
  // Runs the DSP chain for the block at the cursor and advances it.
  void mixNextBlock();
  void* outputUnit(void* buffer, std::int32_t position, std::int32_t samples);
  void* levelsUnit(void* buffer, std::int32_t samples);
  Channel* allocateChannel(Sample* sample);
  void takeChannel(Channel& c, Sample* sample);
  void applyVolume(Channel& c, std::int32_t volume);
  void applyPan(Channel& c, std::int32_t pan);
  void silence(Channel& c);
  // Applies fn to the channel(s) of a handle; false when it does not resolve.
  template <typename Fn>
  bool forChannels(std::int32_t channel, Fn fn);
  // fn's value for the channel of a handle, or fallback.
  template <typename T, typename Fn>
  T readChannel(std::int32_t channel, T fallback, Fn fn);
  void enter();
  // True on the thread whose DSP pass is running now.
  bool insideChain() const { return chainThread_.load(std::memory_order_acquire) == std::this_thread::get_id(); }

  // Configuration and state (see the data model of the engine).
  int requestedOutput_ = output::kAuto;
  void* outputWindow_ = nullptr;
  int outputType_ = output::kAuto;
  int requestedMixer_ = mixer::kQualityAutodetect;
  int mixerType_ = mixer::kQualityAutodetect;
  CpuFeatures cpu_;
  std::int32_t mixRate_ = 44100;
  std::int32_t bufferLengthMs_ = 50;
  std::int32_t blockLength_ = 0;
  std::int32_t bufferSamples_ = 0;
  std::uint32_t flags_ = 0;
  std::int32_t masterVolume_ = 255;
  float panSeparation_ = 1.0f;
  std::atomic<bool> initialised_{false};
  std::thread::id owner_;

  std::unique_ptr<OutputDriver> output_;
  const MixerDescriptor* mixer_ = nullptr;
  std::int32_t rampLength_ = 128;
  std::unique_ptr<std::uint8_t[]> mixStorage_;
  void* mixBuffer_ = nullptr;
  std::int32_t blockCursor_ = 0;
  std::recursive_mutex mixerLock_;
  std::atomic<bool> dspRunning_{false};
  std::mutex chainMutex_;
  // The thread running the chain (none between passes): its units' engine calls neither pump
  // nor wait for the pass they are part of.
  std::atomic<std::thread::id> chainThread_{};
  std::vector<std::unique_ptr<DspUnit>> units_;
  std::function<void(void*, std::int32_t)> musicMixer_;
  std::atomic<float> cpuUsage_{0.0f};

  std::unique_ptr<SampleStore> samples_;
  SampleDecompressor decompressor_ = nullptr;
  std::function<void(Sample*)> songSampleHook_;
  std::vector<std::unique_ptr<Channel>> channels_;
  std::int32_t softwareCount_ = 0;
  std::int32_t extraCount_ = 0;
  std::unique_ptr<Channel> primary_;
  Sample* primarySample_ = nullptr;
  std::unique_ptr<ChannelOps> softwareOps_;
  MixList idleList_;
  MixList effectsList_;

  std::thread mixingThread_;
  std::atomic<bool> stopThread_{false};
  // Clock-paced outputs under the virtual clock are pumped on the owner thread instead.
  bool synchronous_ = false;
  std::mutex pumpMutex_;
  std::int64_t playedFrames_ = 0;
  std::int16_t* primaryData_ = nullptr;
  std::int32_t outputChannels_ = 2;
  MixList primaryList_;
};

// The process's engine.
SoundEngine& soundEngine();

}  // namespace korvo::sound
