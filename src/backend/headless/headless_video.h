// The headless video backend: an offscreen display with a fixed list of modes, events from
// an input script (KORVO_INPUT; its joystick lines drive the virtual joysticks, which are
// added for every port the script names), and snapshots of what was presented: KORVO_SNAPSHOT names a
// BMP written when the backend goes (at exit); KORVO_SNAPSHOT_PATTERN with
// KORVO_SNAPSHOT_FRAMES writes chosen flips ("f###.bmp" and "1,5,10-20" or "all"). Its
// refresh (KORVO_REFRESH hertz, 60 by default) counts from when the backend started.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "backend/headless/input_script.h"
#include "backend/video_backend.h"

namespace korvo::platform {

// Which flips to write and where.
struct FrameCapture {
  std::string pattern;             // the first run of '#' becomes the zero-padded frame number
  std::set<std::uint32_t> frames;  // 1-based flip numbers
  bool all = false;
  // True when flip number n is to be written.
  bool wants(std::uint32_t n) const { return all || frames.count(n) != 0; }
  // The file name for flip n.
  std::string path(std::uint32_t n) const;
};

// Parses "1,5,10-20" or "all"; false on anything else.
bool parseFrameList(const std::string& text, FrameCapture& capture);

// A refresh shorter than the clock's millisecond cannot be kept.
inline constexpr std::int32_t kMaxRefreshRate = 1000;

// Parses a refresh rate: a whole number of hertz from 1 to kMaxRefreshRate; 0 for anything else.
std::int32_t parseRefreshRate(const std::string& text);

// The input script KORVO_INPUT names (none when unset); its error says why it cannot be used.
InputScript inputScriptFromEnvironment();

class HeadlessVideo : public VideoBackend {
 public:
  // Reads the environment: input script, snapshot and capture settings.
  HeadlessVideo();
  // A backend with a given script and no snapshots (tests).
  explicit HeadlessVideo(InputScript script);
  ~HeadlessVideo() override;

  const char* name() const override { return "headless"; }

  bool pollEvent(WindowEvent& event) override;
  bool waitEvent(WindowEvent& event, std::uint32_t ms) override;
  void setTitle(const std::string& title) override { title_ = title; }
  void setCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void warpMouse(std::int32_t x, std::int32_t y) override;
  bool grabInput(bool on) override {
    grabbed_ = on;
    return true;
  }
  Size clientSize() const override { return client_; }

  std::vector<DisplayDriver> drivers(bool all) override;
  bool openDisplay(const DisplayRequest& request) override;
  void closeDisplay() override;
  void present(const FrameView& frame, bool flip) override;
  std::int32_t refreshRate() const override { return refreshRate_; }
  std::uint32_t refreshOrigin() const override { return start_; }
  void redraw() override {
    if (open_ && !frame_.empty()) ++redraws_;
  }

  // Adds an event as if the window had seen it (tests).
  void inject(const WindowEvent& event) { injected_.push_back(event); }
  const std::string& title() const { return title_; }
  bool cursorVisible() const { return cursorVisible_; }
  bool grabbed() const { return grabbed_; }
  bool open() const { return open_; }
  const DisplayRequest& request() const { return request_; }
  // The last presented picture (0x00RRGGBB rows) and how many presents and flips were made.
  const std::vector<std::uint32_t>& lastFrame() const { return frame_; }
  Size frameSize() const { return frameSize_; }
  std::uint32_t presents() const { return presents_; }
  std::uint32_t flips() const { return flips_; }
  // How often the last frame was shown again.
  std::uint32_t redraws() const { return redraws_; }
  // Writes the last presented picture as a BMP; false when there is none or it fails.
  bool writeSnapshot(const std::string& path) const;

 private:
  std::uint32_t elapsed() const;
  // Takes the next due scripted event; joystick changes are applied on the way.
  bool nextScripted(WindowEvent& event);
  // Fills in the motion of a pointer event from the last known position.
  void track(WindowEvent& event);

  InputScript script_;
  std::size_t nextScripted_ = 0;
  std::deque<WindowEvent> injected_;
  std::uint32_t start_;
  std::string title_ = " ";
  bool cursorVisible_ = true;
  bool grabbed_ = false;
  std::int32_t pointerX_ = 0;
  std::int32_t pointerY_ = 0;
  bool open_ = false;
  bool everOpened_ = false;
  DisplayRequest request_;
  Size client_;
  std::vector<std::uint32_t> frame_;
  Size frameSize_;
  std::uint32_t presents_ = 0;
  std::uint32_t flips_ = 0;
  std::uint32_t redraws_ = 0;
  std::int32_t refreshRate_ = 60;
  std::string snapshotPath_;
  FrameCapture capture_;
};

}  // namespace korvo::platform
