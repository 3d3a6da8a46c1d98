// Socket waits bounded by the runtime clock.
#include "stdlib/sockets/socket_wait.h"

#include <poll.h>

#include <cerrno>
#include <chrono>

#include "backend/clock.h"

namespace korvo::stdlib {
namespace {

std::int64_t monotonicNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

// poll() for one descriptor, restarted when a signal interrupts it: 1 ready, 0 not, -1 failed.
int pollOnce(int fd, short events, int ms) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = ::poll(&p, 1, ms);
    if (n >= 0) return n > 0 ? 1 : 0;
    if (errno != EINTR) return -1;
  }
}

WaitResult wait(int fd, short events, SocketTimer& timer, bool outsideCanAnswer) {
  platform::Clock& clock = platform::clock();
  if (clock.isVirtual()) {
    const std::uint32_t left = timer.remaining();
    int ready = 0;
    if (outsideCanAnswer && left > 0) {
      RealWaitScope waited;
      ready = pollOnce(fd, events, static_cast<int>(left));
    } else {
      ready = pollOnce(fd, events, 0);
    }
    if (ready < 0) return WaitResult::kFailed;
    if (ready > 0) return WaitResult::kReady;
    // Whatever part of the time-out the real wait did not use passes at once.
    clock.sleep(timer.remaining());
    return WaitResult::kTimedOut;
  }
  for (;;) {
    const std::uint32_t left = timer.remaining();
    const int ready = pollOnce(fd, events, static_cast<int>(left));
    if (ready != 0) return ready > 0 ? WaitResult::kReady : WaitResult::kFailed;
    if (timer.remaining() == 0) return WaitResult::kTimedOut;
  }
}

}  // namespace

SocketTimer::SocketTimer(std::uint32_t ms) : start_(platform::clock().now()), ms_(ms) {}

std::uint32_t SocketTimer::remaining() const {
  const std::uint32_t spent = platform::clock().now() - start_;
  return spent >= ms_ ? 0 : ms_ - spent;
}

WaitResult waitReadable(int fd, SocketTimer& timer, bool outsideCanAnswer) {
  return wait(fd, POLLIN, timer, outsideCanAnswer);
}

WaitResult waitWritable(int fd, SocketTimer& timer) { return wait(fd, POLLOUT, timer, true); }

RealWaitScope::RealWaitScope() : startNs_(monotonicNs()) {}

RealWaitScope::~RealWaitScope() {
  platform::Clock& clock = platform::clock();
  if (!clock.isVirtual()) return;
  clock.sleep(static_cast<std::uint32_t>((monotonicNs() - startNs_) / 1000000));
}

}  // namespace korvo::stdlib
