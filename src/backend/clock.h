// The runtime's sense of time: real, or virtual (advances only while the program waits).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace korvo::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, wrapping like a 32-bit tick counter.
  virtual std::uint32_t now() const = 0;
  // Waits (or, on a virtual clock, advances) the given milliseconds.
  virtual void sleep(std::uint32_t ms) = 0;
  virtual bool isVirtual() const = 0;
};

// Monotonic wall time.
class RealClock : public Clock {
 public:
  RealClock();
  std::uint32_t now() const override;
  void sleep(std::uint32_t ms) override;
  bool isVirtual() const override { return false; }

 private:
  std::int64_t startNs_;
};

// Time that moves only when someone sleeps on it or advances it; safe to read from any thread.
// Every advance tells the clock listeners (below) once the new time stands.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(std::uint32_t start = 0) : now_(start) {}
  std::uint32_t now() const override { return now_.load(std::memory_order_acquire); }
  void sleep(std::uint32_t ms) override { advance(ms); }
  bool isVirtual() const override { return true; }
  void advance(std::uint32_t ms);

 private:
  std::atomic<std::uint32_t> now_;
};

// What keeps pace with virtual time (the sound engine's mixing) listens to the virtual clocks:
// a listener runs on the thread that advanced a clock, right after it advanced, so whatever
// was due by then happens before that thread goes on. Listeners run one at a time, and a
// removed one is never called again once removeClockListener has returned.
using ClockListener = std::function<void()>;
// Returns the id that removes the listener.
std::uint64_t addClockListener(ClockListener listener);
void removeClockListener(std::uint64_t id);

// The process's clock: the one installed over it (tests), else the one start-up chose, else
// a virtual clock.
Clock& clock();
void setChosenClock(Clock* clock);
void setClock(Clock* clock);  // null restores the chosen one

}  // namespace korvo::platform
