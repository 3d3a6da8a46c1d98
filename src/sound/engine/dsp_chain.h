// The DSP chain that produces each mix block: units run in ascending priority, each handed
// the buffer the previous one returned. A pass runs on whichever thread mixes (the mixing
// thread, or the program's thread when the engine pumps); the chain lock it holds is one of
// the engine's locks stated in sound_engine.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace korvo::sound {

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
// Stream buffers filled for the block (synchronous engines; a thread fills them otherwise).
inline constexpr int kStreamFill = 50;
inline constexpr int kSoundEffects = 100;
inline constexpr int kMusic = 200;
inline constexpr int kStreamSync = 299;
inline constexpr int kSpectrum = 900;
inline constexpr int kOutput = 1000;
}  // namespace dsp

class DspChain {
 public:
  // Adds a unit after the units of equal priority already there.
  DspUnit* create(DspUnit::Callback callback, std::int32_t priority, bool active);
  void free(DspUnit* unit);
  // Replaces a unit's callback between passes.
  void setCallback(DspUnit* unit, DspUnit::Callback callback);
  // Removes every unit (waits for a running pass first).
  void clear();

  // Runs one pass over the block at position of the mix buffer that starts at base (value
  // bytes per mix value), and updates the CPU figure for a block of blockSeconds.
  void run(void* base, std::int32_t position, std::int32_t samples, std::int32_t valueBytes, double blockSeconds);
  // Waits (yielding) until no pass runs; returns at once inside a pass's own thread.
  void waitIdle() const;
  // True on the thread whose pass is running now.
  bool insidePass() const { return passThread_.load(std::memory_order_acquire) == std::this_thread::get_id(); }
  // Smoothed percentage of the block time spent in passes.
  float cpuUsage() const { return cpuUsage_.load(std::memory_order_relaxed); }

 private:
  std::mutex chainLock_;
  std::vector<std::unique_ptr<DspUnit>> units_;
  std::atomic<bool> running_{false};
  // The thread running a pass (none between passes): its units' engine calls neither pump
  // nor wait for the pass they are part of.
  std::atomic<std::thread::id> passThread_{};
  std::atomic<float> cpuUsage_{0.0f};
};

}  // namespace korvo::sound
