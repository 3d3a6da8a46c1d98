// RuntimeHost: creation, the event pump, suspend and resume, messages and subsystems.
#include "host/runtime_host.h"

#include <dlfcn.h>

#include "base/kv_ex.h"
#include "backend/clock.h"

namespace korvo::platform {
namespace {

RuntimeHost* gHost = nullptr;
// Held while the host pointer changes and while another thread posts through it. Recursive,
// so that a hook called during teardown may still post.
std::recursive_mutex gHostMutex;

void hostFatal(const char* text) {
  if (gHost) gHost->fatal(text);
}

DebugHooks* hostHooks() { return gHost ? gHost->hooks() : nullptr; }

int slotIndex(SubsystemSlot slot) { return static_cast<int>(slot); }

}  // namespace

RuntimeHost::RuntimeHost(std::string commandLine, DebugHooks* hooks)
    : commandLine_(std::move(commandLine)), hooks_(hooks) {}

RuntimeHost* RuntimeHost::create(std::string commandLine, DebugHooks* hooks) {
  std::lock_guard<std::recursive_mutex> lock(gHostMutex);
  if (gHost) return nullptr;
  gHost = new RuntimeHost(std::move(commandLine), hooks);
  setFatalSink(&hostFatal);
  setHooksSource(&hostHooks);
  return gHost;
}

void RuntimeHost::destroy(RuntimeHost* host) {
  std::lock_guard<std::recursive_mutex> lock(gHostMutex);
  if (!host || host != gHost) return;
  delete host;
  gHost = nullptr;
  setFatalSink(nullptr);
  setHooksSource(nullptr);
}

RuntimeHost* RuntimeHost::current() { return gHost; }

void RuntimeHost::postToCurrent(HostMessage message) {
  std::lock_guard<std::recursive_mutex> lock(gHostMutex);
  if (gHost) gHost->post(message);
}

RuntimeHost::~RuntimeHost() {
  for (auto& [name, library] : libraries_) {
    if (library.handle) dlclose(library.handle);
  }
  libraries_.clear();
  timers_.clear();
  // Audio, then graphics, then input; files belong to their module's destroy.
  subsystems_[slotIndex(SubsystemSlot::kAudio)].reset();
  subsystems_[slotIndex(SubsystemSlot::kGraphics)].reset();
  subsystems_[slotIndex(SubsystemSlot::kInput)].reset();
  subsystems_[slotIndex(SubsystemSlot::kFiles)].reset();
  window_.reset();
  // The modules' records last: a subsystem going may still reach them (the display closes
  // its fonts and frees its images). Each leaves the list before it goes, so that its
  // destructor finds the list consistent.
  while (!records_.empty()) {
    std::unique_ptr<HostRecord> last = std::move(records_.back().second);
    records_.pop_back();
  }
}

void RuntimeHost::post(int message) {
  {
    std::lock_guard<std::mutex> lock(queueMutex_);
    queue_.push_back(message);
  }
  queueReady_.notify_all();
}

bool RuntimeHost::takeMessage(int& message, bool wait) {
  std::unique_lock<std::mutex> lock(queueMutex_);
  if (wait) {
    // A suspended program waits for a private message, or for a window event that resumes
    // it; window events are served between short waits so the window stays responsive.
    while (queue_.empty() && suspended_ && running_) {
      if (window_) {
        lock.unlock();
        window_->waitEvents(10);
        lock.lock();
      } else {
        queueReady_.wait(lock);
      }
    }
  }
  if (queue_.empty()) return false;
  message = queue_.front();
  queue_.pop_front();
  return true;
}

bool RuntimeHost::idle() {
  for (;;) {
    const bool wait = suspended_ && running_;
    if (window_ && !wait) window_->pumpEvents();
    int message = 0;
    if (!takeMessage(message, wait)) return running_;
    switch (message) {
      case kSuspendRequest:
        if (!suspended_) suspendByRequest();
        break;
      case kResumeRequest:
        if (suspended_) resumeByRequest();
        break;
      case kEndRequest:
        hooks_ = nullptr;
        running_ = false;
        break;
      default: break;
    }
  }
}

bool RuntimeHost::delay(std::int32_t ms) {
  Clock& c = clock();
  const std::uint32_t start = c.now();
  while (idle()) {
    const std::int64_t remaining = static_cast<std::int64_t>(ms) - static_cast<std::int32_t>(c.now() - start);
    if (remaining < 1) return true;
    c.sleep(static_cast<std::uint32_t>(remaining < 100 ? remaining : 100));
  }
  return false;
}

std::uint32_t RuntimeHost::milliSecs() const { return clock().now(); }

void RuntimeHost::suspendByRequest() {
  // In full screen the desktop comes forward too; its deactivation then finds us suspended.
  suspend();
  if (window_ && window_->fullScreen()) window_->yieldFocus();
}

void RuntimeHost::resumeByRequest() {
  if (window_ && window_->fullScreen()) window_->takeFocus();
  resume();
}

void RuntimeHost::suspend() {
  busy_ = true;
  for (SubsystemSlot slot : {SubsystemSlot::kAudio, SubsystemSlot::kGraphics, SubsystemSlot::kInput}) {
    if (auto& s = subsystems_[slotIndex(slot)]) s->suspend();
  }
  busy_ = false;
  suspended_ = true;
  if (window_) window_->suspended();
  if (hooks_) hooks_->suspended();
}

void RuntimeHost::resume() {
  if (window_) window_->resuming();
  busy_ = true;
  for (SubsystemSlot slot : {SubsystemSlot::kInput, SubsystemSlot::kGraphics, SubsystemSlot::kAudio}) {
    if (auto& s = subsystems_[slotIndex(slot)]) s->resume();
  }
  suspended_ = false;
  busy_ = false;
  if (hooks_) hooks_->resumed();
}

void RuntimeHost::report(const char* text, bool serious) {
  if (!hooks_) return;
  requestEnd();
  if (!suspended_) suspendByRequest();
  if (hooks_) hooks_->message(text, serious);
}

void RuntimeHost::setTitle(std::string title, std::string closePrompt) {
  title_ = std::move(title);
  closePrompt_ = std::move(closePrompt);
  if (window_) window_->setTitle(title_);
}

void RuntimeHost::setPointerVisible(bool visible) {
  if (window_) window_->setPointerVisible(visible);
}

void RuntimeHost::close(SubsystemSlot slot, HostSubsystem* which) {
  auto& s = subsystems_[slotIndex(slot)];
  if (s && s.get() == which) s.reset();
}

HostSubsystem* RuntimeHost::subsystem(SubsystemSlot slot) const { return subsystems_[slotIndex(slot)].get(); }

}  // namespace korvo::platform
