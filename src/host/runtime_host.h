// RuntimeHost: the one platform object. Owns the event pump, suspend and resume, the
// subsystems that need the window (audio, input, graphics, files), timers, the library
// cache and the small system services.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/handle_registry.h"
#include "base/debug_hooks.h"

namespace korvo::platform {

// Private host messages, posted from any thread.
enum HostMessage : int { kSuspendRequest = 1025, kResumeRequest = 1026, kEndRequest = 1027 };

// A subsystem the host owns and suspends or resumes with the application.
class HostSubsystem {
 public:
  virtual ~HostSubsystem() = default;
  virtual void suspend() {}
  virtual void resume() {}
};

enum class SubsystemSlot { kAudio, kInput, kGraphics, kFiles };

// What a module keeps for the length of a run (its handle registries). The host makes one
// of each kind when first asked and destroys them as it goes, after its subsystems, the
// last made first.
class HostRecord {
 public:
  virtual ~HostRecord() = default;
};

// Window and event source of a backend. The windowed host plugs in here; without one the
// host has no window and no platform events.
class HostWindow {
 public:
  virtual ~HostWindow() = default;
  // Serves pending window events without waiting.
  virtual void pumpEvents() = 0;
  // Waits up to ms for a window event and serves it.
  virtual void waitEvents(std::uint32_t ms) = 0;
  virtual bool fullScreen() const { return false; }
  // The open display's size in pixels; false when no display is open.
  virtual bool displaySize(std::int32_t& width, std::int32_t& height) const { return false; }
  // Grabs keyboard and mouse with relative pointer motion (direct input), or lets them go;
  // false when the grab is refused.
  virtual bool grabInput(bool on) { return false; }
  // Moves the system pointer to display pixel (x, y).
  virtual void moveCursor(std::int32_t x, std::int32_t y) {}
  virtual void setTitle(const std::string& title) {}
  virtual void setPointerVisible(bool visible) {}
  // The window's part of a suspend or resume (after and before the subsystems').
  virtual void suspended() {}
  virtual void resuming() {}
  // Gives the desktop back for a requested suspend in full screen, and takes it again.
  virtual void yieldFocus() {}
  virtual void takeFocus() {}
};

// A periodic timer measured on the runtime clock.
struct HostTimer {
  std::uint32_t start = 0;
  std::uint32_t periodMs = 0;
  std::uint32_t reported = 0;
};

class RuntimeHost {
 public:
  // Creates the process's host; null if one exists already.
  static RuntimeHost* create(std::string commandLine, DebugHooks* hooks);
  // Destroys the current host (others are ignored).
  static void destroy(RuntimeHost* host);
  // The live host or null.
  static RuntimeHost* current();
  // Posts a private message to the live host, if any. Safe from any thread, even while the
  // host is being destroyed (the runtime interface's request slots).
  static void postToCurrent(HostMessage message);

  // The event pump: false once the program must end.
  bool idle();
  // Waits ms while pumping; false when the program must end.
  bool delay(std::int32_t ms);
  std::uint32_t milliSecs() const;

  // Posted from any thread.
  void requestSuspend() { post(kSuspendRequest); }
  void requestResume() { post(kResumeRequest); }
  void requestEnd() { post(kEndRequest); }

  // Ends the program at the next pump and shows text as a serious (fatal) or plain message.
  void fatal(const char* text) { report(text, true); }
  void message(const char* text) { report(text, false); }

  bool suspended() const { return suspended_; }
  bool busy() const { return busy_; }
  // Set while a display mode changes: window events then get no handling.
  void setBusy(bool busy) { busy_ = busy; }
  bool running() const { return running_; }
  void suspend();
  void resume();
  // Suspend and resume asked for by the program or a debugger: in full screen the desktop
  // comes forward (and goes back) as well.
  void suspendByRequest();
  void resumeByRequest();
  // The debug hooks, or null after the end request was handled.
  DebugHooks* hooks() const { return hooks_; }

  const std::string& commandLine() const { return commandLine_; }
  void setTitle(std::string title, std::string closePrompt);
  const std::string& title() const { return title_; }
  const std::string& closePrompt() const { return closePrompt_; }
  std::string systemProperty(const std::string& name) const;
  // Opens a file or program the way the desktop does (ExecFile); false when nothing started.
  bool execute(const std::string& command);
  // The pointer over the window (ShowPointer, HidePointer).
  void setPointerVisible(bool visible);

  // Timers: handles are never reused; 0 when hertz gives no period.
  std::int32_t createTimer(std::int32_t hertz);
  // Periods elapsed since the previous wait; waits for at least one. 0 for a bad handle.
  std::int32_t waitTimer(std::int32_t timer);
  void freeTimer(std::int32_t timer);

  // Calls procedure of library (loaded once, kept until the host goes) with four arguments.
  std::int32_t callLibrary(const std::string& library, const std::string& procedure, void* inBank, std::int32_t inSize,
                           void* outBank, std::int32_t outSize);

  // Subsystems. open gives the new subsystem, of the type make makes, or null when the slot
  // is taken or make gives none.
  template <typename Make>
  auto open(SubsystemSlot slot, Make make) -> decltype(make().get()) {
    std::unique_ptr<HostSubsystem>& held = subsystems_[static_cast<int>(slot)];
    if (held) return nullptr;
    auto made = make();
    auto* subsystem = made.get();
    held = std::move(made);
    return subsystem;
  }
  void close(SubsystemSlot slot, HostSubsystem* which);
  HostSubsystem* subsystem(SubsystemSlot slot) const;
  // The slot's subsystem when it is a T (the one lookup by type; whoever opens a slot decides
  // what it holds).
  template <typename T>
  T* subsystemOf(SubsystemSlot slot) const {
    return dynamic_cast<T*>(subsystem(slot));
  }

  // The run's record of type T (a HostRecord), made when first asked for.
  template <typename T>
  T& record() {
    for (const auto& [key, held] : records_) {
      if (key == &kRecordKey<T>) return static_cast<T&>(*held);
    }
    records_.emplace_back(&kRecordKey<T>, std::make_unique<T>());
    return static_cast<T&>(*records_.back().second);
  }
  // The live host's record of type T, or null when no host runs.
  template <typename T>
  static T* currentRecord() {
    RuntimeHost* host = current();
    return host ? &host->record<T>() : nullptr;
  }

  // The window backend (installed by the graphics layer; may be absent).
  void setWindow(std::unique_ptr<HostWindow> window) { window_ = std::move(window); }
  HostWindow* window() const { return window_.get(); }

  ~RuntimeHost();

 private:
  RuntimeHost(std::string commandLine, DebugHooks* hooks);
  void post(int message);
  bool takeMessage(int& message, bool wait);
  void report(const char* text, bool serious);

  std::string commandLine_;
  DebugHooks* hooks_;
  std::string title_;
  std::string closePrompt_;
  bool suspended_ = false;
  bool busy_ = false;
  bool running_ = true;

  std::mutex queueMutex_;
  std::condition_variable queueReady_;
  std::deque<int> queue_;

  // One key per record type: its address tells the types apart.
  template <typename T>
  static constexpr char kRecordKey = 0;

  std::unique_ptr<HostWindow> window_;
  std::vector<std::pair<const char*, std::unique_ptr<HostRecord>>> records_;
  std::unique_ptr<HostSubsystem> subsystems_[4];
  HandleRegistry<HostTimer> timers_;
  struct Library {
    void* handle = nullptr;
    std::map<std::string, void*> procedures;
  };
  std::map<std::string, Library> libraries_;
};

}  // namespace korvo::platform
