// A joystick that SDL simulates, plugged in and out and pressed at will: the SDL joystick
// source can be tried without a device.
#pragma once

namespace korvo::platform {

class SdlVirtualJoystick {
 public:
  ~SdlVirtualJoystick();
  // Attaches a joystick of 2 axes and 4 buttons (a game controller when gamepad is set);
  // false when SDL cannot.
  bool plugIn(bool gamepad);
  void unplug();
  // Holds or lets go button 0..3.
  void setButton(int button, bool down);

 private:
  int device_ = -1;
};

}  // namespace korvo::platform
