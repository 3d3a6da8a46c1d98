// Real and virtual clocks and the process-wide choice between them.
#include "backend/clock.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "backend/backend_choice.h"

namespace korvo::platform {
namespace {

std::int64_t monotonicNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

Clock* gInstalled = nullptr;

Clock& defaultClock() {
  static RealClock real;
  static VirtualClock virt;
  static Clock* chosen = [] () -> Clock* {
    const char* env = std::getenv("KORVO_CLOCK");
    if (env && std::strcmp(env, "real") == 0) return &real;
    if (env && std::strcmp(env, "virtual") == 0) return &virt;
    return chosenVideoBackend() == VideoBackendKind::kHeadless ? static_cast<Clock*>(&virt) : &real;
  }();
  return *chosen;
}

}  // namespace

RealClock::RealClock() : startNs_(monotonicNs()) {}

std::uint32_t RealClock::now() const {
  return static_cast<std::uint32_t>((monotonicNs() - startNs_) / 1000000);
}

void RealClock::sleep(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

Clock& clock() { return gInstalled ? *gInstalled : defaultClock(); }

void setClock(Clock* c) { gInstalled = c; }

}  // namespace korvo::platform
