// Real and virtual clocks and the process's clock.
#include "backend/clock.h"

#include <chrono>
#include <thread>

namespace korvo::platform {
namespace {

std::int64_t monotonicNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

Clock* gChosen = nullptr;
Clock* gInstalled = nullptr;

Clock& fallbackClock() {
  static VirtualClock clock;
  return clock;
}

}  // namespace

RealClock::RealClock() : startNs_(monotonicNs()) {}

std::uint32_t RealClock::now() const { return static_cast<std::uint32_t>((monotonicNs() - startNs_) / 1000000); }

void RealClock::sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Clock& clock() {
  if (gInstalled) return *gInstalled;
  return gChosen ? *gChosen : fallbackClock();
}

void setChosenClock(Clock* c) { gChosen = c; }

void setClock(Clock* c) { gInstalled = c; }

}  // namespace korvo::platform
