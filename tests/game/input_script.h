// Input scripts for the game's menus and editor, written as a sequence of actions: each key
// press or click is held long enough for a frame to see it and followed by a pause.
#pragma once

#include <string>

namespace korvo::testing {

class InputScript {
 public:
  explicit InputScript(int start = 1000) : time_(start) {}

  // A key held for holdMs, then a pause of afterMs.
  InputScript& press(int key, int afterMs = 150, int holdMs = 50) {
    line("key down " + std::to_string(key));
    time_ += holdMs;
    line("key up " + std::to_string(key));
    time_ += afterMs;
    return *this;
  }
  InputScript& presses(int key, int count) {
    for (int i = 0; i < count; ++i) press(key);
    return *this;
  }
  InputScript& keyDown(int key) { return event("key down " + std::to_string(key)); }
  InputScript& keyUp(int key) { return event("key up " + std::to_string(key)); }
  InputScript& move(int x, int y) { return event("mouse move " + std::to_string(x) + " " + std::to_string(y)); }
  InputScript& mouseDown(int button = 1) { return event("mouse down " + std::to_string(button)); }
  InputScript& mouseUp(int button = 1) { return event("mouse up " + std::to_string(button)); }
  // A click of the left button at x, y.
  InputScript& click(int x, int y, int afterMs = 150) {
    move(x, y);
    mouseDown();
    time_ += 50;
    mouseUp();
    time_ += afterMs;
    return *this;
  }
  InputScript& wheel(int notches) { return event("wheel " + std::to_string(notches)); }
  InputScript& joyPress(int port, int button) {
    line("joy " + std::to_string(port) + " down " + std::to_string(button));
    time_ += 50;
    line("joy " + std::to_string(port) + " up " + std::to_string(button));
    time_ += 150;
    return *this;
  }
  InputScript& wait(int ms) {
    time_ += ms;
    return *this;
  }
  InputScript& quit() { return event("quit"); }
  const std::string& text() const { return text_; }
  int time() const { return time_; }

 private:
  // An event, then a frame's worth of time before the next one.
  InputScript& event(const std::string& what) {
    line(what);
    time_ += 50;
    return *this;
  }
  void line(const std::string& what) { text_ += std::to_string(time_) + " " + what + "\n"; }

  int time_;
  std::string text_;
};

}  // namespace korvo::testing
