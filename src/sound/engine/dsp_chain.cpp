// DSP units in priority order, the pass over one block, and the CPU figure.
#include "sound/engine/dsp_chain.h"

#include <algorithm>
#include <chrono>

namespace korvo::sound {
namespace {

// Weight of the newest block in the smoothed CPU figure.
constexpr float kCpuSmoothing = 0.05f;

}  // namespace

DspUnit* DspChain::create(DspUnit::Callback callback, std::int32_t priority, bool active) {
  auto unit = std::make_unique<DspUnit>();
  unit->priority = priority;
  unit->active.store(active, std::memory_order_relaxed);
  unit->callback = std::move(callback);
  DspUnit* raw = unit.get();
  std::lock_guard lock(chainLock_);
  auto at = std::upper_bound(units_.begin(), units_.end(), priority,
                             [](std::int32_t p, const std::unique_ptr<DspUnit>& u) { return p < u->priority; });
  units_.insert(at, std::move(unit));
  return raw;
}

void DspChain::free(DspUnit* unit) {
  std::lock_guard lock(chainLock_);
  std::erase_if(units_, [unit](const std::unique_ptr<DspUnit>& u) { return u.get() == unit; });
}

void DspChain::setCallback(DspUnit* unit, DspUnit::Callback callback) {
  std::lock_guard lock(chainLock_);
  unit->callback = std::move(callback);
}

void DspChain::clear() {
  waitIdle();
  std::lock_guard lock(chainLock_);
  units_.clear();
}

void DspChain::waitIdle() const {
  while (running_.load(std::memory_order_acquire) && !insidePass()) std::this_thread::yield();
}

void DspChain::run(void* base, std::int32_t position, std::int32_t samples, std::int32_t valueBytes,
                   double blockSeconds) {
  const auto begun = std::chrono::steady_clock::now();
  running_.store(true, std::memory_order_release);
  {
    std::lock_guard lock(chainLock_);
    passThread_.store(std::this_thread::get_id(), std::memory_order_release);
    void* buffer = static_cast<std::uint8_t*>(base) + static_cast<std::size_t>(position) * valueBytes;
    for (const auto& unit : units_) {
      if (unit->active.load(std::memory_order_relaxed)) buffer = unit->callback(buffer, position, samples);
    }
    passThread_.store(std::thread::id{}, std::memory_order_release);
  }
  running_.store(false, std::memory_order_release);
  const double spent = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
  const float percent = static_cast<float>(100.0 * spent / blockSeconds);
  const float old = cpuUsage_.load(std::memory_order_relaxed);
  cpuUsage_.store(old + (percent - old) * kCpuSmoothing, std::memory_order_relaxed);
}

}  // namespace korvo::sound
