// SDL joysticks on SDL's simulated devices (no joystick needed): a port reads its joystick
// again once it is unplugged and plugged back in, as a re-acquired device does.
#include <gtest/gtest.h>

#include "backend/sdl/sdl_joysticks.h"
#include "backend/sdl/sdl_virtual_joystick.h"

namespace korvo::platform {
namespace {

class SdlJoysticks : public ::testing::TestWithParam<bool> {};

TEST_P(SdlJoysticks, APortReadsItsJoystickAgainOnceItIsPluggedBackIn) {
  const bool gamepad = GetParam();
  SdlVirtualJoystick stick;
  if (!stick.plugIn(gamepad)) GTEST_SKIP() << "SDL cannot simulate a joystick here";
  auto ports = sdlJoysticks().enumerate();
  ASSERT_FALSE(ports.empty());
  JoystickPort& port = *ports.back();
  EXPECT_EQ(port.gamepad(), gamepad);
  JoystickReading reading;
  stick.setButton(0, true);
  ASSERT_TRUE(port.poll(reading));
  EXPECT_EQ(reading.buttons[0], 0x80);

  stick.unplug();
  EXPECT_FALSE(port.poll(reading));
  EXPECT_FALSE(port.acquire());

  ASSERT_TRUE(stick.plugIn(gamepad));
  ASSERT_TRUE(port.acquire());
  stick.setButton(1, true);
  ASSERT_TRUE(port.poll(reading));
  EXPECT_EQ(reading.buttons[0], 0);
  EXPECT_EQ(reading.buttons[1], 0x80);
}

INSTANTIATE_TEST_SUITE_P(ControllerAndPlainJoystick, SdlJoysticks, ::testing::Bool());

}  // namespace
}  // namespace korvo::platform
