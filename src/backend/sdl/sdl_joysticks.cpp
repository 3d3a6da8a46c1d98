// SDL joysticks: enumeration, the game controller layout and the readings.
#include "backend/sdl/sdl_joysticks.h"

#include <SDL.h>

#include <array>
#include <cstring>
#include <utility>

namespace korvo::platform {
namespace {

// SDL's axis interval.
constexpr AxisRange kSdlRange{-32768, 65535};

// Hat direction bits to hundredths of a degree, clockwise from up.
std::uint32_t povOfHat(Uint8 hat) {
  static constexpr std::pair<Uint8, std::uint32_t> kDirections[] = {
      {SDL_HAT_UP, 0},       {SDL_HAT_RIGHTUP, 4500},   {SDL_HAT_RIGHT, 9000}, {SDL_HAT_RIGHTDOWN, 13500},
      {SDL_HAT_DOWN, 18000}, {SDL_HAT_LEFTDOWN, 22500}, {SDL_HAT_LEFT, 27000}, {SDL_HAT_LEFTUP, 31500},
  };
  for (auto [bits, pov] : kDirections) {
    if (hat == bits) return pov;
  }
  return 0xFFFFFFFFu;
}

// Regains a device after it was unplugged. Plugged in again, a joystick comes back as a new
// device: the first one with the same GUID that is not open yet takes the handle's place.
// False while it stays away.
template <typename Handle>
bool reacquire(Handle*& handle, const SDL_JoystickGUID& guid, SDL_Joystick* (*joystickOf)(Handle*),
               Handle* (*open)(int), void (*close)(Handle*)) {
  if (SDL_JoystickGetAttached(joystickOf(handle))) return true;
  SDL_JoystickUpdate();
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    const SDL_JoystickGUID g = SDL_JoystickGetDeviceGUID(i);
    if (std::memcmp(g.data, guid.data, sizeof g.data) != 0) continue;
    if (SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(i))) continue;
    if (Handle* reopened = open(i)) {
      close(handle);
      handle = reopened;
      return true;
    }
  }
  return false;
}

SDL_Joystick* itself(SDL_Joystick* j) { return j; }

// Controller buttons in joystick button order (button 1 first).
constexpr SDL_GameControllerButton kControllerButtons[] = {
    SDL_CONTROLLER_BUTTON_A,
    SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
    SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
    SDL_CONTROLLER_BUTTON_BACK,
    SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_LEFTSTICK,
    SDL_CONTROLLER_BUTTON_RIGHTSTICK,
    SDL_CONTROLLER_BUTTON_GUIDE,
    SDL_CONTROLLER_BUTTON_MISC1,
    SDL_CONTROLLER_BUTTON_PADDLE1,
    SDL_CONTROLLER_BUTTON_PADDLE2,
    SDL_CONTROLLER_BUTTON_PADDLE3,
    SDL_CONTROLLER_BUTTON_PADDLE4,
    SDL_CONTROLLER_BUTTON_TOUCHPAD,
};

class ControllerPort : public JoystickPort {
 public:
  explicit ControllerPort(SDL_GameController* c)
      : controller_(c), guid_(SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(c))) {}
  ~ControllerPort() override { SDL_GameControllerClose(controller_); }
  bool gamepad() const override { return true; }
  std::optional<AxisRange> range(int) const override { return kSdlRange; }
  bool acquire() override {
    return reacquire(controller_, guid_, &SDL_GameControllerGetJoystick, &SDL_GameControllerOpen,
                     &SDL_GameControllerClose);
  }

  bool poll(JoystickReading& r) override {
    if (!acquire()) return false;
    SDL_GameControllerUpdate();
    auto axis = [this](SDL_GameControllerAxis a) { return std::int32_t{SDL_GameControllerGetAxis(controller_, a)}; };
    r.axes.fill(0);
    r.axes[kSlotX] = axis(SDL_CONTROLLER_AXIS_LEFTX);
    r.axes[kSlotY] = axis(SDL_CONTROLLER_AXIS_LEFTY);
    // Both triggers share Z, pulling it opposite ways, as on pads read as joysticks.
    r.axes[kSlotZ] = axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) - axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    r.axes[kSlotRotationX] = axis(SDL_CONTROLLER_AXIS_RIGHTX);
    r.axes[kSlotRotationY] = axis(SDL_CONTROLLER_AXIS_RIGHTY);
    auto held = [this](SDL_GameControllerButton b) { return SDL_GameControllerGetButton(controller_, b) != 0; };
    Uint8 hat = 0;
    if (held(SDL_CONTROLLER_BUTTON_DPAD_UP)) hat |= SDL_HAT_UP;
    if (held(SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) hat |= SDL_HAT_RIGHT;
    if (held(SDL_CONTROLLER_BUTTON_DPAD_DOWN)) hat |= SDL_HAT_DOWN;
    if (held(SDL_CONTROLLER_BUTTON_DPAD_LEFT)) hat |= SDL_HAT_LEFT;
    r.pov = povOfHat(hat);
    r.buttons.fill(0);
    for (std::size_t i = 0; i < std::size(kControllerButtons); ++i)
      r.buttons[i] = held(kControllerButtons[i]) ? 0x80 : 0;
    return true;
  }

 private:
  SDL_GameController* controller_;
  SDL_JoystickGUID guid_;
};

class JoystickOnlyPort : public JoystickPort {
 public:
  explicit JoystickOnlyPort(SDL_Joystick* j) : joystick_(j), guid_(SDL_JoystickGetGUID(j)) {}
  ~JoystickOnlyPort() override { SDL_JoystickClose(joystick_); }
  bool gamepad() const override { return false; }
  std::optional<AxisRange> range(int) const override { return kSdlRange; }
  bool acquire() override { return reacquire(joystick_, guid_, &itself, &SDL_JoystickOpen, &SDL_JoystickClose); }

  bool poll(JoystickReading& r) override {
    if (!acquire()) return false;
    SDL_JoystickUpdate();
    // Axes fill the slots in order; missing ones rest at the centre.
    const int axes = SDL_JoystickNumAxes(joystick_);
    for (int s = 0; s < kJoystickSlots; ++s) r.axes[s] = s < axes ? SDL_JoystickGetAxis(joystick_, s) : 0;
    r.pov = SDL_JoystickNumHats(joystick_) > 0 ? povOfHat(SDL_JoystickGetHat(joystick_, 0)) : 0xFFFFFFFFu;
    const int buttons = SDL_JoystickNumButtons(joystick_);
    r.buttons.fill(0);
    for (int b = 0; b < 31 && b < buttons; ++b) r.buttons[b] = SDL_JoystickGetButton(joystick_, b) ? 0x80 : 0;
    return true;
  }

 private:
  SDL_Joystick* joystick_;
  SDL_JoystickGUID guid_;
};

class SdlJoysticks : public JoystickSource {
 public:
  std::vector<std::unique_ptr<JoystickPort>> enumerate() override {
    std::vector<std::unique_ptr<JoystickPort>> ports;
    if (!started_) started_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!started_) return ports;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
      // A device that will not open is skipped, as if it were not there.
      if (SDL_IsGameController(i)) {
        if (SDL_GameController* c = SDL_GameControllerOpen(i)) ports.push_back(std::make_unique<ControllerPort>(c));
      } else if (SDL_Joystick* j = SDL_JoystickOpen(i)) {
        ports.push_back(std::make_unique<JoystickOnlyPort>(j));
      }
    }
    return ports;
  }

 private:
  bool started_ = false;
};

}  // namespace

JoystickSource& sdlJoysticks() {
  static SdlJoysticks source;
  return source;
}

}  // namespace korvo::platform
