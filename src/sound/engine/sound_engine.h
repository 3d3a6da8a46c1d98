// The sound engine: one process-wide software-mixing engine. It owns the output, the channels
// (channel_table.h), the sample slot table (sample_store.h), the DSP chain that produces each
// mix block (dsp_chain.h), and the thread (or, for clock-paced outputs under the virtual
// clock, the synchronous pump) that runs the chain. Failing operations return false, null or
// -1 and leave a code in lastError().
//
// Threads and locks (the one statement of them; the classes named keep the locks):
// - The owner thread (the one that called init: the program's) makes every engine call,
//   except the calls DSP units make during a pass (song voices starting notes, the stream
//   fill unit, the CD timeline starting and ending its tracks' streams) and those of the
//   stream service on the stream thread (below).
// - Passes run on the mixing thread; with a clock-paced output under the virtual clock there
//   is no mixing thread: the thread that advances the clock (the owner, while the program
//   waits) runs them from the clock's listener, and the owner runs them in enter() (never
//   inside a pass), so that audio time advances exactly with the clock.
// - The stream service runs on the stream thread beside the mixing thread, or inside the
//   passes of a synchronous engine (the fill unit); it reads channel positions, locks and
//   unlocks stream samples and stops streams that have ended.
// The CD lock (cd::CdAudio) comes before all of these: CD operations take it on the owner
// thread holding no other lock; inside a pass the CD timeline unit only tries it.
// Locks, outermost first; a thread holding one takes only those below it:
// 0. clock listener lock (backend/clock.h): held while a virtual clock's advance runs the
//    engine's listener, which pumps.
// 1. pump lock (SoundEngine): held by pump() while it brings a clock-paced output up to the
//    clock, on the owner thread or the mixing thread.
// 2. chain lock (DspChain): held for a whole pass, and by unit creation, removal and callback
//    changes on the owner thread. freeSample and close wait for a running pass to end (outside
//    every lock) instead of taking it.
// 3. service lock (SoundEngine): held while the stream service runs, and by setStreamService.
// 4. stream lock (streams::StreamPlayer): held by the stream service for its whole
//    pass, on the owner thread by every change of the playing streams and of a stream's
//    fill state, and by every look at or change of the open streams (which the CD timeline
//    also makes inside a pass); no engine call is made while it is held.
// 5. player lock (music::MusicPlayer): held by the song scheduler for its whole block inside
//    the music unit, and on the owner thread by every change of the playing songs; the player
//    makes engine calls that pump or wait for a pass without it. The MIDI player's lock
//    (music::MidiPlayer) comes right below it: held while the music unit renders MIDI and by
//    every MIDI song operation, and it makes no engine call.
// 6. mixer lock (ChannelTable, recursive): held by the sound-effects and levels units during a
//    pass, and on the owner thread by every change of a channel's sample or mix list, of the
//    sample table, or of a sample's mode, loop or guard samples. Song voices take it on the
//    mixing thread when the scheduler starts their notes; the stream service when it reads a
//    position or refreshes a stream sample's guard samples. Uploads stay outside it.
// 7. output lock (OutputDriver::lock): held by the output unit while it copies a block into
//    the primary buffer, so that a device does not read it halfway.
// The music engine's song sample lock (music::EngineMusic) is taken alone, never with these.
// Without a lock: a channel's frequency, volume, pan and flags are single atomic stores that
// the next sub-block picks up; the last-error code is an atomic. A stream writes the half of
// its sample that is not playing without a lock: the mixer reads the other half meanwhile,
// and the mixer lock taken around each fill orders the writes before the mixer's reads.
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
#include "sound/engine/channel_table.h"
#include "sound/engine/dsp_chain.h"
#include "sound/engine/engine_error.h"
#include "sound/engine/engine_settings.h"
#include "sound/engine/sample.h"

namespace korvo::sound {

class OutputDriver;
class SampleStore;
struct MixerDescriptor;

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
  std::int32_t softwareChannels() const { return channels_.softwareCount(); }
  std::uint32_t initFlags() const { return flags_; }
  const char* outputName() const;
  // Smoothed percentage of the block time spent mixing.
  float cpuUsage() const { return chain_.cpuUsage(); }

  // Master volume 0..255 applies to later setChannelVolume calls; pan separation to setChannelPan.
  void setMasterVolume(std::int32_t volume);
  std::int32_t masterVolume() const { return channels_.masterVolume(); }
  void setPanSeparation(float separation) { channels_.setPanSeparation(separation); }

  // Channels. Handles: -1 (allocation only), -3 all, -1000 primary, or index | serial << 12.
  // Starts sample; returns the new handle or -1. The channel joins list (a mix list its
  // owner mixes, e.g. in a DSP unit of its own), by default the sound-effects list.
  std::int32_t playSample(std::int32_t channel, Sample* sample, bool paused = false, MixList* list = nullptr);
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
  Channel* resolveChannel(std::int32_t channel) { return channels_.resolve(channel); }

  // Song voices (the music player): channels reserved out of free allocation, set to
  // absolute volume, whose notes the music unit starts and mixes.
  // An idle software channel reserved for a voice; its index, or -1 when none is left.
  std::int32_t reserveVoiceChannel() { return channels_.reserveVoice(); }
  // Stops the voice and gives its channel back to free allocation.
  void releaseVoiceChannel(std::int32_t channel);
  // Pan 0..255 straight to the channel: a song applies its own separation.
  void setVoicePan(std::int32_t channel, std::int32_t pan);
  // Puts the voice's mix through a resonant low-pass at cutoffHz with a peak of resonanceDb
  // there; a cutoff of 0 or less takes the filter away. Only from the music unit's passes.
  void setVoiceFilter(std::int32_t channel, float cutoffHz, float resonanceDb);
  bool voicePlaysBackward(std::int32_t channel);
  bool voicePlaying(std::int32_t channel);
  // Mixes samples output samples of the voice into buffer (the music unit's block).
  void mixVoice(void* buffer, std::int32_t channel, std::int32_t samples);

  // Samples.
  Sample* allocSample(int slot, std::uint32_t length, std::uint32_t mode, std::int32_t frequency, std::int32_t volume,
                      std::int32_t pan, std::int32_t priority);
  // Stops every channel playing it, waits for a running DSP pass, then frees it.
  void freeSample(Sample* sample);
  // Copies a whole sample's worth of data in source format srcMode, converting as needed.
  // Tracker-compressed data (0x400/0x800) is unpacked from the sourceBytes bytes at source.
  bool uploadSampleData(Sample* sample, const void* source, std::uint32_t srcMode, std::size_t sourceBytes = 0);
  bool lockSample(Sample* sample, std::uint32_t offset, std::uint32_t length, SampleLock& lock);
  bool unlockSample(Sample* sample, const SampleLock& lock);
  bool setSampleMode(Sample* sample, std::uint32_t mode);
  bool setSampleLoopPoints(Sample* sample, std::uint32_t start, std::uint32_t end);
  // Values <= 0 keep the stored default.
  bool setSampleDefaults(Sample* sample, std::int32_t frequency, std::int32_t volume, std::int32_t pan,
                         std::int32_t priority);
  bool getSampleDefaults(const Sample* sample, std::int32_t& frequency, std::int32_t& volume, std::int32_t& pan,
                         std::int32_t& priority);
  Sample* sampleInSlot(int slot) const;
  // Called by freeSample for samples owned by a song, to clear the song's references.
  void setSongSampleHook(std::function<void(Sample*)> hook) { songSampleHook_ = std::move(hook); }

  // DSP chain: units run in ascending priority for every block.
  DspUnit* createDspUnit(DspUnit::Callback callback, std::int32_t priority, bool active) {
    return chain_.create(std::move(callback), priority, active);
  }
  void freeDspUnit(DspUnit* unit) { chain_.free(unit); }
  // The song mixer run by the music unit (priority 200) for each block; null to remove.
  void setMusicMixer(std::function<void(void* buffer, std::int32_t samples)> mixer);
  // Mixes a channel list into a mix buffer with the current mixer (streams and the like).
  void mixChannels(void* buffer, MixList& list, std::int32_t samples);
  // Bytes per mixed output sample of the current mixer (4 for 16-bit, 8 for float stereo).
  std::int32_t mixValueBytes() const;
  // Waits (yielding) until no DSP pass runs; returns at once inside a pass's own thread.
  void waitDspIdle() const { chain_.waitIdle(); }

  // The stream service: fills the buffers of playing streams and counts down their endings,
  // told the time that has passed in milliseconds x 256. With a mixing thread the engine's
  // stream thread runs it every 10 ms; a synchronous engine runs it in every pass before the
  // sound effects are mixed, with the block's duration, so streams fill at the same point of
  // the audio on every run. Kept across init and close; empty to remove.
  using StreamService = std::function<void(std::int32_t elapsed)>;
  void setStreamService(StreamService service);

  // Brings a clock-paced output (no sound, WAV file) up to the clock: mixes and plays block
  // by block. Engine operations on the owner thread do this first (except from inside a DSP
  // pass, which cannot start another); tests may call it.
  void pump();
  // Mixes blocks until the block cursor reaches the block that holds playFrame.
  void mixUpTo(std::int64_t playFrame);

 private:
  bool startOutput();
  bool startMixer();
  void stopMixer();
  bool createPrimaryBuffer();
  void startMixingThread();
  void stopMixingThread();
  void mixingThreadMain();
  // Runs the DSP chain for the block at the cursor and advances it.
  void mixNextBlock();
  void* outputUnit(void* buffer, std::int32_t position, std::int32_t samples);
  void startStreamThread();
  void stopStreamThread();
  void runStreamService(std::int32_t elapsed);
  void* levelsUnit(void* buffer, std::int32_t samples);
  // Applies fn to the channel(s) of a handle after the entry checks; false when it does not
  // resolve.
  template <typename Fn>
  bool forChannels(std::int32_t channel, Fn fn);
  // fn's value for the channel of a handle, or fallback.
  template <typename T, typename Fn>
  T readChannel(std::int32_t channel, T fallback, Fn fn);
  // Every operation on the owner thread starts here: the error is cleared and a synchronous
  // engine is pumped up to the clock.
  void enter();

  // Configuration.
  int requestedOutput_ = output::kAuto;
  void* outputWindow_ = nullptr;
  int outputType_ = output::kAuto;
  int requestedMixer_ = mixer::kQualityAutodetect;
  int mixerType_ = mixer::kQualityAutodetect;
  CpuFeatures cpu_;
  std::int32_t mixRate_ = 44100;
  std::int32_t bufferLengthMs_ = 50;
  std::uint32_t flags_ = 0;
  std::atomic<bool> initialised_{false};
  std::thread::id owner_;

  // The output and the mix buffer the chain fills block by block.
  std::unique_ptr<OutputDriver> output_;
  std::int32_t outputChannels_ = 2;
  const MixerDescriptor* mixer_ = nullptr;
  std::int32_t rampLength_ = 128;
  std::int32_t blockLength_ = 0;
  std::int32_t bufferSamples_ = 0;
  std::unique_ptr<std::uint8_t[]> mixStorage_;
  void* mixBuffer_ = nullptr;
  std::int16_t* primaryData_ = nullptr;
  Sample* primarySample_ = nullptr;

  ChannelTable channels_;
  DspChain chain_;
  DspUnit* musicUnit_ = nullptr;
  std::function<void(void*, std::int32_t)> musicMixer_;

  // The stream service and who runs it: the stream thread, or the fill unit of a synchronous
  // engine.
  std::mutex serviceLock_;
  StreamService streamService_;
  std::thread streamThread_;
  std::atomic<bool> stopStreams_{false};

  std::unique_ptr<SampleStore> samples_;
  std::function<void(Sample*)> songSampleHook_;

  // When blocks are mixed: by the mixing thread, or (synchronous_) by pump on the owner thread.
  std::thread mixingThread_;
  std::atomic<bool> stopThread_{false};
  bool synchronous_ = false;
  std::mutex pumpLock_;
  // The virtual clock's listener that pumps a synchronous engine (0: none).
  std::uint64_t clockListener_ = 0;
  std::int32_t blockCursor_ = 0;
  std::int64_t playedFrames_ = 0;
};

// The process's engine.
SoundEngine& soundEngine();

}  // namespace korvo::sound
