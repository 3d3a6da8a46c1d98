// Real and virtual clocks and the process's clock.
#include "backend/clock.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace korvo::platform {
namespace {

std::int64_t monotonicNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

Clock* gChosen = nullptr;
Clock* gInstalled = nullptr;

// Held while listeners run, so that one being removed is not running any more.
std::mutex gListenerLock;
std::vector<std::pair<std::uint64_t, ClockListener>> gListeners;
std::uint64_t gNextListener = 1;

Clock& fallbackClock() {
  static VirtualClock clock;
  return clock;
}

}  // namespace

RealClock::RealClock() : startNs_(monotonicNs()) {}

std::uint32_t RealClock::now() const { return static_cast<std::uint32_t>((monotonicNs() - startNs_) / 1000000); }

void RealClock::sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void VirtualClock::advance(std::uint32_t ms) {
  now_.fetch_add(ms, std::memory_order_acq_rel);
  std::lock_guard lock(gListenerLock);
  for (const auto& [id, listener] : gListeners) listener();
}

std::uint64_t addClockListener(ClockListener listener) {
  std::lock_guard lock(gListenerLock);
  gListeners.emplace_back(gNextListener, std::move(listener));
  return gNextListener++;
}

void removeClockListener(std::uint64_t id) {
  std::lock_guard lock(gListenerLock);
  std::erase_if(gListeners, [id](const auto& entry) { return entry.first == id; });
}

Clock& clock() {
  if (gInstalled) return *gInstalled;
  return gChosen ? *gChosen : fallbackClock();
}

void setChosenClock(Clock* c) { gChosen = c; }

void setClock(Clock* c) { gInstalled = c; }

}  // namespace korvo::platform
