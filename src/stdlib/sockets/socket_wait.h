// Waiting on sockets by the runtime clock. A wait is bounded by the time left on its timer;
// under the virtual clock the clock advances by the time waited, and a wait that nothing
// outside this process could end (the program is single-threaded) takes no real time: it
// looks once and lets the clock run to the end of the time-out.
#pragma once

#include <cstdint>

namespace korvo::stdlib {

// Lookups and connects give up after this long.
inline constexpr std::uint32_t kLookupAndConnectBoundMs = 10000;

// A time-out running on the runtime clock from its creation.
class SocketTimer {
 public:
  explicit SocketTimer(std::uint32_t ms);
  // Milliseconds left (0 once the time is up).
  std::uint32_t remaining() const;

 private:
  std::uint32_t start_;
  std::uint32_t ms_;
};

enum class WaitResult { kReady, kTimedOut, kFailed };

// Waits until fd can be read (or written) or the timer runs out. With outsideCanAnswer
// false the wait never blocks for real under the virtual clock.
WaitResult waitReadable(int fd, SocketTimer& timer, bool outsideCanAnswer = true);
WaitResult waitWritable(int fd, SocketTimer& timer);

// Accounts for a real wait inside a library call: under the virtual clock the clock moves on
// by the real time that passed while the scope was open.
class RealWaitScope {
 public:
  RealWaitScope();
  ~RealWaitScope();
  RealWaitScope(const RealWaitScope&) = delete;
  RealWaitScope& operator=(const RealWaitScope&) = delete;

 private:
  std::int64_t startNs_;
};

}  // namespace korvo::stdlib
