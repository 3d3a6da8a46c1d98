// Who fills streams: the engine's stream thread every 10 ms beside the mixing thread, or, in a
// synchronous engine, the fill unit at the start of each pass (set up in startMixer). What
// filling means is the service's business; the engine only runs it.
#include <chrono>
#include <mutex>

#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

constexpr auto kStreamInterval = std::chrono::milliseconds(10);
// The interval in milliseconds x 256.
constexpr std::int32_t kStreamIntervalTime = 10 * 256;

}  // namespace

void SoundEngine::setStreamService(StreamService service) {
  std::lock_guard lock(serviceLock_);
  streamService_ = std::move(service);
}

void SoundEngine::runStreamService(std::int32_t elapsed) {
  std::lock_guard lock(serviceLock_);
  if (streamService_) streamService_(elapsed);
}

void SoundEngine::startStreamThread() {
  stopStreams_.store(false, std::memory_order_release);
  streamThread_ = std::thread([this] {
    while (!stopStreams_.load(std::memory_order_acquire)) {
      runStreamService(kStreamIntervalTime);
      std::this_thread::sleep_for(kStreamInterval);
    }
  });
}

void SoundEngine::stopStreamThread() {
  if (!streamThread_.joinable()) return;
  stopStreams_.store(true, std::memory_order_release);
  streamThread_.join();
}

}  // namespace korvo::sound
