// The offscreen display: modes, scripted events, kept frames and snapshot files.
#include "backend/headless/headless_video.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "backend/bmp_writer.h"
#include "backend/clock.h"
#include "backend/virtual_joysticks.h"

namespace korvo::platform {
namespace {

// The fixed mode list: every size at each depth.
constexpr Size kSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
constexpr std::int32_t kDepths[] = {16, 24, 32};
constexpr std::int32_t kMaxWindowSide = 16384;
// Script axis index (x, y, z, u, v, pitch, yaw, roll) to the joystick's raw slot.
constexpr int kSlotOfAxis[] = {kSlotX,       kSlotY,         kSlotZ,         kSlotSlider0,
                               kSlotSlider1, kSlotRotationX, kSlotRotationY, kSlotRotationZ};
constexpr std::int32_t kHatAxis = 8;

void applyJoystick(const JoystickChange& j) {
  VirtualJoysticks& sticks = virtualJoysticks();
  if (!j.isAxis) {
    sticks.setButton(j.port, j.index, j.down);
  } else if (j.index == kHatAxis) {
    // Hundredths of a degree, rounded half up (the angle is not negative where it counts).
    const float hundredths = j.value * 100.0f + 0.5f;
    sticks.setPov(j.port, j.value < 0 ? 0xFFFFu : static_cast<std::uint32_t>(hundredths) % 36000u);
  } else {
    sticks.setAxis(j.port, kSlotOfAxis[j.index], j.value);
  }
}

const char* env(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// The script, or none (said on standard error) when it cannot be used.
InputScript usableScript(InputScript script) {
  if (script.error.empty()) return script;
  std::fprintf(stderr, "KORVO_INPUT %s: %s\n", env("KORVO_INPUT"), script.error.c_str());
  return {};
}

}  // namespace

std::string FrameCapture::path(std::uint32_t n) const {
  const auto first = pattern.find('#');
  if (first == std::string::npos) return pattern;
  auto last = pattern.find_first_not_of('#', first);
  if (last == std::string::npos) last = pattern.size();
  std::string number = std::to_string(n);
  if (number.size() < last - first) number.insert(0, last - first - number.size(), '0');
  return pattern.substr(0, first) + number + pattern.substr(last);
}

bool parseFrameList(const std::string& text, FrameCapture& capture) {
  if (text == "all") {
    capture.all = true;
    return true;
  }
  std::size_t at = 0;
  while (at < text.size()) {
    auto comma = text.find(',', at);
    if (comma == std::string::npos) comma = text.size();
    const std::string item = text.substr(at, comma - at);
    unsigned long lo = 0, hi = 0;
    int used = 0;
    if (std::sscanf(item.c_str(), "%lu-%lu%n", &lo, &hi, &used) == 2 && used == static_cast<int>(item.size())) {
    } else if (std::sscanf(item.c_str(), "%lu%n", &lo, &used) == 1 && used == static_cast<int>(item.size())) {
      hi = lo;
    } else {
      return false;
    }
    if (lo < 1 || hi < lo || hi - lo > 100000) return false;
    for (unsigned long n = lo; n <= hi; ++n) capture.frames.insert(static_cast<std::uint32_t>(n));
    at = comma + 1;
  }
  return true;
}

InputScript inputScriptFromEnvironment() {
  const char* path = env("KORVO_INPUT");
  if (!path) return {};
  InputScript script;
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    script.error = "cannot read it: it is a folder";
    return script;
  }
  std::ifstream in(path);
  if (!in) {
    script.error = std::string("cannot read it: ") + std::strerror(errno);
    return script;
  }
  return parseInputScript(in);
}

std::int32_t parseRefreshRate(const std::string& text) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return 0;
  const int hertz = std::stoi(text);
  return hertz >= 1 && hertz <= kMaxRefreshRate ? hertz : 0;
}

HeadlessVideo::HeadlessVideo(InputScript script) : script_(std::move(script)), start_(clock().now()) {
  // The input devices enumerate joysticks once, so every port the script uses exists now.
  int ports = 0;
  for (const ScriptEvent& e : script_.events)
    if (e.joystick) ports = std::max(ports, e.joy.port + 1);
  while (virtualJoysticks().count() < ports) virtualJoysticks().add(false);
}

HeadlessVideo::HeadlessVideo() : HeadlessVideo(usableScript(inputScriptFromEnvironment())) {
  // A rate that is not accepted leaves the default (start-up says so).
  const char* hertz = env("KORVO_REFRESH");
  if (const std::int32_t rate = parseRefreshRate(hertz ? hertz : "")) refreshRate_ = rate;
  if (const char* path = env("KORVO_SNAPSHOT")) snapshotPath_ = path;
  const char* pattern = env("KORVO_SNAPSHOT_PATTERN");
  const char* frames = env("KORVO_SNAPSHOT_FRAMES");
  if (pattern && frames) {
    capture_.pattern = pattern;
    if (!parseFrameList(frames, capture_)) {
      std::fprintf(stderr, "KORVO_SNAPSHOT_FRAMES: not a frame list: %s\n", frames);
      capture_ = {};
    }
  }
}

HeadlessVideo::~HeadlessVideo() {
  if (!snapshotPath_.empty() && !writeSnapshot(snapshotPath_))
    std::fprintf(stderr, "KORVO_SNAPSHOT: cannot write %s\n", snapshotPath_.c_str());
}

std::uint32_t HeadlessVideo::elapsed() const { return clock().now() - start_; }

bool HeadlessVideo::nextScripted(WindowEvent& event) {
  while (nextScripted_ < script_.events.size() && script_.events[nextScripted_].time <= elapsed()) {
    const ScriptEvent& e = script_.events[nextScripted_++];
    if (!e.joystick) {
      event = e.event;
      return true;
    }
    applyJoystick(e.joy);
  }
  return false;
}

void HeadlessVideo::track(WindowEvent& event) {
  if (event.type != WindowEventType::kMouseMove) return;
  // A jump across the whole int range is as far as a motion goes.
  const auto motion = [](std::int32_t to, std::int32_t from) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{to} - from, INT32_MIN, INT32_MAX));
  };
  event.dx = motion(event.x, pointerX_);
  event.dy = motion(event.y, pointerY_);
  pointerX_ = event.x;
  pointerY_ = event.y;
}

bool HeadlessVideo::pollEvent(WindowEvent& event) {
  if (!injected_.empty()) {
    event = injected_.front();
    injected_.pop_front();
  } else if (!nextScripted(event)) {
    return false;
  }
  track(event);
  return true;
}

bool HeadlessVideo::waitEvent(WindowEvent& event, std::uint32_t ms) {
  if (pollEvent(event)) return true;
  // Sleep only until the next scripted event when that comes sooner.
  std::uint32_t wait = ms;
  if (nextScripted_ < script_.events.size()) {
    const std::uint32_t due = script_.events[nextScripted_].time - elapsed();
    if (due < wait) wait = due;
  }
  clock().sleep(wait);
  return pollEvent(event);
}

void HeadlessVideo::warpMouse(std::int32_t x, std::int32_t y) {
  // The pointer jumps: the window sees the new position, with no motion.
  pointerX_ = x;
  pointerY_ = y;
  WindowEvent e;
  e.type = WindowEventType::kMouseMove;
  e.x = x;
  e.y = y;
  injected_.push_back(e);
}

std::vector<DisplayDriver> HeadlessVideo::drivers(bool) {
  DisplayDriver driver{"Offscreen Display", {}};
  for (const Size& s : kSizes)
    for (std::int32_t depth : kDepths) driver.modes.push_back({s.width, s.height, depth});
  return {driver};
}

bool HeadlessVideo::openDisplay(const DisplayRequest& r) {
  if (open_ || r.width <= 0 || r.height <= 0 || r.width > kMaxWindowSide || r.height > kMaxWindowSide) return false;
  if (r.kind == DisplayKind::kFullScreen) {
    bool found = false;
    const std::vector<DisplayDriver> list = drivers(false);
    for (const DisplayMode& m : list.front().modes)
      found = found || (m.width == r.width && m.height == r.height && (r.depth == 0 || m.depth == r.depth));
    if (!found || r.driver != 0) return false;
    client_ = {r.width, r.height};
  } else if (r.kind == DisplayKind::kScaledWindow && everOpened_) {
    // A scaled window keeps the client area it has.
  } else {
    client_ = {r.width, r.height};
  }
  request_ = r;
  open_ = everOpened_ = true;
  return true;
}

void HeadlessVideo::closeDisplay() { open_ = false; }

void HeadlessVideo::present(const FrameView& f, bool flip) {
  if (!open_ || !f.pixels) return;
  frameSize_ = {f.width, f.height};
  frame_.resize(static_cast<std::size_t>(f.width) * f.height);
  for (std::int32_t y = 0; y < f.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(reinterpret_cast<const std::uint8_t*>(f.pixels) +
                                                             static_cast<std::ptrdiff_t>(y) * f.pitch);
    std::memcpy(&frame_[static_cast<std::size_t>(y) * f.width], row, sizeof(std::uint32_t) * f.width);
  }
  ++presents_;
  if (!flip) return;
  ++flips_;
  if (!capture_.pattern.empty() && capture_.wants(flips_)) {
    const std::string path = capture_.path(flips_);
    if (!writeSnapshot(path)) std::fprintf(stderr, "KORVO_SNAPSHOT_PATTERN: cannot write %s\n", path.c_str());
  }
}

bool HeadlessVideo::writeSnapshot(const std::string& path) const {
  if (frame_.empty()) return false;
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  const std::int32_t w = frameSize_.width;
  return writeBmp24(out, w, frameSize_.height, [&](std::int32_t y, std::uint32_t* row) {
    std::memcpy(row, &frame_[static_cast<std::size_t>(y) * w], sizeof(std::uint32_t) * w);
  });
}

}  // namespace korvo::platform
