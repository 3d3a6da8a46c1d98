// Input devices through the commands: the press queue, characters, the mouse axes and
// speeds, joysticks from virtual ports, waiting for keys and direct input.
#include <gtest/gtest.h>

#include <vector>

#include "base/command_registry.h"
#include "startup/runtime_modules.h"
#include "backend/clock.h"
#include "backend/virtual_joysticks.h"
#include "media/input/input_commands.h"
#include "media/input/input_system.h"
#include "media/input/key_chars.h"

namespace korvo {
namespace {

using platform::InputSystem;
using platform::RuntimeHost;

class InputCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock);
    platform::virtualJoysticks().clear();
    // Port 0: a game controller ranging -1000..1000; port 1: a plain joystick.
    platform::virtualJoysticks().add(true, -1000, 2000);
    platform::virtualJoysticks().add(false);
    host = RuntimeHost::create("", nullptr);
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(createInputModule());
    input = platform::commandInput();
    ASSERT_NE(input, nullptr);
  }
  void TearDown() override {
    destroyInputModule();
    RuntimeHost::destroy(host);
    platform::virtualJoysticks().clear();
    platform::setClock(nullptr);
  }
  platform::VirtualClock clock{5000};
  RuntimeHost* host = nullptr;
  InputSystem* input = nullptr;
};

TEST_F(InputCommands, ThirtyThreePressesAreCountedButOnlyThirtyTwoQueued) {
  // Letters q..p, a..l, z..m give a known character order.
  std::vector<std::int32_t> keys;
  for (std::int32_t k = 0x10; k <= 0x19; ++k) keys.push_back(k);
  for (std::int32_t k = 0x1E; k <= 0x26; ++k) keys.push_back(k);
  for (std::int32_t k = 0x2C; k <= 0x32; ++k) keys.push_back(k);
  const std::string letters = "qwertyuiopasdfghjklzxcvbnm";
  for (int i = 0; i < 33; ++i) input->keyDown(keys[i % keys.size()]), input->keyUp(keys[i % keys.size()]);
  EXPECT_EQ(cmd::KeyHit(0x10), 2);  // pressed at 0 and 26
  EXPECT_EQ(cmd::KeyHit(0x10), 0);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(cmd::GetKey(), letters[i % 26]) << i;
  EXPECT_EQ(cmd::GetKey(), 0);

  for (int i = 0; i < 33; ++i) input->keyDown(0x39);
  EXPECT_EQ(cmd::KeyHit(0x39), 33);
  EXPECT_EQ(cmd::KeyDown(0x39), 1);
  input->keyUp(0x39);
  EXPECT_EQ(cmd::KeyDown(0x39), 0);
  cmd::FlushKeys();
  EXPECT_EQ(cmd::GetKey(), 0);
}

TEST_F(InputCommands, KeysOutsideTheTablesAreIgnored) {
  input->keyDown(-1);
  input->keyDown(256);
  EXPECT_EQ(cmd::KeyDown(256), 0);
  EXPECT_EQ(cmd::KeyHit(-7), 0);
  EXPECT_EQ(cmd::GetKey(), 0);
}

TEST_F(InputCommands, CharactersFollowTheUsLayoutAndShiftOnly) {
  input->keyDown(58);  // Caps Lock held or toggled never matters
  input->keyDown(30);
  EXPECT_EQ(cmd::GetKey(), 0);
  EXPECT_EQ(cmd::GetKey(), 97);
  input->keyDown(platform::kKeyLeftShift);
  input->keyDown(30);
  input->keyDown(0x03);
  EXPECT_EQ(cmd::GetKey(), 0);  // the Shift key itself has no character
  EXPECT_EQ(cmd::GetKey(), 65);
  EXPECT_EQ(cmd::GetKey(), '@');
  input->keyUp(platform::kKeyLeftShift);
  input->keyDown(platform::kKeyRightControl);
  input->keyDown(0x2E);
  EXPECT_EQ(cmd::GetKey(), 0);
  EXPECT_EQ(cmd::GetKey(), 3);  // Control+C
  input->keyUp(platform::kKeyRightControl);

  const std::pair<std::int32_t, std::int32_t> kFixed[] = {{203, 31}, {205, 30}, {200, 28}, {208, 29}, {199, 1},
                                                          {207, 2},  {210, 3},  {211, 4},  {201, 5},  {209, 6}};
  for (auto [key, code] : kFixed) {
    input->keyDown(key);
    EXPECT_EQ(cmd::GetKey(), code) << key;
  }
  // Extended keys fall back to their base scan code: keypad Enter and keypad slash.
  EXPECT_EQ(platform::keyToChar(156, {}), 13);
  EXPECT_EQ(platform::keyToChar(181, {}), '/');
  EXPECT_EQ(platform::keyToChar(0x47, {}), 0);  // keypad 7: Num Lock never applies
}

TEST_F(InputCommands, WheelAndSpeedsAfterMoveMouse) {
  input->addWheel(120);
  EXPECT_EQ(cmd::MouseZ(), 1);
  EXPECT_EQ(cmd::MouseZSpeed(), 1);
  EXPECT_EQ(cmd::MouseZSpeed(), 0);
  input->addWheel(-240);
  EXPECT_EQ(cmd::MouseZ(), -1);
  EXPECT_EQ(cmd::MouseZSpeed(), -2);

  input->mouseMoved(300, 200, 0, 0);
  EXPECT_EQ(cmd::MouseXSpeed(), 300);
  cmd::MoveMouse(100, 100);
  EXPECT_EQ(cmd::MouseX(), 100);
  input->mouseMoved(110, 95, 10, -5);
  EXPECT_EQ(cmd::MouseXSpeed(), 10);
  EXPECT_EQ(cmd::MouseYSpeed(), -5);
  EXPECT_EQ(cmd::MouseXSpeed(), 0);

  // From a move to the far end of the int range, the way back is as fast as a speed goes.
  cmd::MoveMouse(INT32_MIN, INT32_MAX);
  input->mouseMoved(5, 0, 0, 0);
  EXPECT_EQ(cmd::MouseXSpeed(), INT32_MAX);
  EXPECT_EQ(cmd::MouseYSpeed(), -INT32_MAX);
  // The far ends read as themselves, not wrapped round to the other end.
  cmd::MoveMouse(INT32_MAX, INT32_MIN);
  EXPECT_EQ(cmd::MouseX(), INT32_MAX);
  EXPECT_EQ(cmd::MouseY(), INT32_MIN);
}

TEST_F(InputCommands, MouseButtonsQueueInPressOrder) {
  input->mouseDown(2);
  input->mouseDown(1);
  input->mouseUp(2);
  EXPECT_EQ(cmd::MouseDown(1), 1);
  EXPECT_EQ(cmd::MouseDown(2), 0);
  EXPECT_EQ(cmd::MouseHit(2), 1);
  EXPECT_EQ(cmd::GetMouse(), 2);
  EXPECT_EQ(cmd::GetMouse(), 1);
  EXPECT_EQ(cmd::GetMouse(), 0);
  input->mouseDown(3);
  cmd::FlushMouse();
  EXPECT_EQ(cmd::GetMouse(), 0);
  EXPECT_EQ(cmd::MouseDown(3), 1);
}

TEST_F(InputCommands, JoystickTypesAndMissingPorts) {
  EXPECT_EQ(cmd::JoyType(0), 1);
  EXPECT_EQ(cmd::JoyType(1), 2);
  EXPECT_EQ(cmd::JoyType(5), 0);
  EXPECT_EQ(cmd::JoyType(-1), 0);
  EXPECT_EQ(cmd::JoyX(7), 0.0f);
  EXPECT_EQ(cmd::JoyDown(1, 9), 0);
  EXPECT_EQ(cmd::WaitJoy(9), 0);
}

TEST_F(InputCommands, AxesDirectionsAndHat) {
  auto& joy = platform::virtualJoysticks();
  joy.setRaw(0, platform::kSlotX, 300);  // 0.3 of the way to the right
  joy.setRaw(0, platform::kSlotY, -340);
  joy.setRaw(0, platform::kSlotRotationX, 1000);
  joy.setRaw(0, platform::kSlotSlider0, 340);
  joy.setPov(0, 35999);
  EXPECT_NEAR(cmd::JoyX(0), 0.3f, 1e-6f);
  EXPECT_EQ(cmd::JoyXDir(0), 0);
  EXPECT_EQ(cmd::JoyYDir(0), -1);
  EXPECT_EQ(cmd::JoyUDir(0), 1);
  EXPECT_FLOAT_EQ(cmd::JoyPitch(0), 180.0f);
  EXPECT_EQ(cmd::JoyHat(0), 360);
  clock.advance(3);
  joy.setRaw(0, platform::kSlotX, 340);
  joy.setPov(0, 0xFFFF);
  EXPECT_EQ(cmd::JoyXDir(0), 1);
  EXPECT_EQ(cmd::JoyHat(0), -1);
  clock.advance(3);
  joy.setPov(0, 9000);
  EXPECT_EQ(cmd::JoyHat(0), 90);
}

TEST_F(InputCommands, JoysticksArePolledAtMostEveryThreeMilliseconds) {
  auto& joy = platform::virtualJoysticks();
  joy.setButton(1, 31, true);
  EXPECT_EQ(cmd::JoyDown(31, 1), 1);
  joy.setButton(1, 31, false);
  clock.advance(2);
  EXPECT_EQ(cmd::JoyDown(31, 1), 1);  // too soon for another poll
  clock.advance(1);
  EXPECT_EQ(cmd::JoyDown(31, 1), 0);
  EXPECT_EQ(cmd::JoyHit(31, 1), 1);

  // A joystick that cannot be read keeps its last state.
  EXPECT_EQ(cmd::GetJoy(1), 31);
  joy.setButton(1, 4, true);
  clock.advance(3);
  EXPECT_EQ(cmd::GetJoy(1), 4);
  joy.setFailing(1, true);
  joy.setButton(1, 4, false);
  clock.advance(3);
  EXPECT_EQ(cmd::JoyDown(4, 1), 1);
  joy.setFailing(1, false);
  EXPECT_EQ(cmd::JoyDown(4, 1), 0);
  joy.setButton(1, 32, true);  // the 32nd button is not one of the device's
  clock.advance(3);
  EXPECT_EQ(cmd::JoyDown(32, 1), 0);
}

TEST_F(InputCommands, WaitKeySkipsKeysWithoutCharactersAndEndsQuietly) {
  input->keyDown(platform::kKeyLeftShift);
  input->keyDown(0x1F);
  const std::uint32_t start = clock.now();
  EXPECT_EQ(cmd::WaitKey(), 'S');
  EXPECT_EQ(clock.now() - start, 20u);  // one look found only the Shift key
  host->requestEnd();
  try {
    cmd::WaitKey();
    FAIL() << "WaitKey returned after the end request";
  } catch (const KvEx& e) {
    EXPECT_EQ(e.message, nullptr);
  }
}

TEST_F(InputCommands, WaitMouseAndWaitJoyReturnTheNextPress) {
  input->mouseDown(3);
  EXPECT_EQ(cmd::WaitMouse(), 3);
  input->mouseDown(1);
  EXPECT_EQ(cmd::MouseWait(), 1);
  platform::virtualJoysticks().setButton(0, 7, true);
  EXPECT_EQ(cmd::WaitJoy(0), 7);
  host->requestEnd();
  EXPECT_THROW(cmd::JoyWait(0), KvEx);
}

TEST_F(InputCommands, RegistersThirtySevenCommands) {
  struct Count : Registrar {
    void add(const char*, void*) override { ++n; }
    int n = 0;
  } count;
  registerInputCommands(count);
  EXPECT_EQ(count.n, 37);
}

// A host whose display and grab are under the test's control.
class FakeInputHost : public platform::InputHost {
 public:
  void pump() override { ++pumps; }
  std::uint32_t now() const override { return time; }
  bool fullScreen() const override { return full; }
  bool displaySize(std::int32_t& w, std::int32_t& h) const override {
    w = 640;
    h = 480;
    return true;
  }
  bool grabInput(bool on) override {
    grabbed = on && grantGrab;
    return grabbed || !on;
  }
  void moveCursor(std::int32_t x, std::int32_t y) override { cursorMoves.push_back({x, y}); }
  int pumps = 0;
  std::uint32_t time = 0;
  bool full = true;
  bool grantGrab = true;
  bool grabbed = false;
  std::vector<std::pair<int, int>> cursorMoves;
};

TEST(DirectInput, FullScreenReadsGrabbedRelativeInput) {
  FakeInputHost host;
  platform::VirtualJoysticks none;
  InputSystem input(host, none);
  input.keyDown(30);
  input.enableDirectInput(true);
  EXPECT_TRUE(input.directInputEnabled());
  EXPECT_TRUE(host.grabbed);
  EXPECT_EQ(input.keyboard().next(), 0);  // switching reset the devices

  input.keyDown(30);
  input.keyUp(30);
  input.mouseMoved(0, 0, 700, -20);
  input.addWheel(120);
  input.mouseDown(1);
  const int pumps = host.pumps;
  EXPECT_EQ(input.keyboard().hitCount(30), 1);
  EXPECT_EQ(input.mouse().axis(0), 639.0f);  // clamped to the display
  EXPECT_EQ(input.mouse().axis(1), 0.0f);
  EXPECT_EQ(input.mouse().axis(2), 120.0f);
  EXPECT_TRUE(input.mouse().isDown(1));
  EXPECT_EQ(host.pumps, pumps);  // direct reading needs no window events

  input.moveMouse(10, 10);
  EXPECT_TRUE(host.cursorMoves.empty());

  input.suspend();
  EXPECT_FALSE(host.grabbed);
  input.resume();
  EXPECT_TRUE(host.grabbed);
  input.enableDirectInput(false);
  EXPECT_FALSE(host.grabbed);
  input.keyDown(31);
  EXPECT_EQ(input.keyboard().next(), 31);
}

TEST(DirectInput, RefusedGrabLeavesDirectInputOff) {
  FakeInputHost host;
  host.grantGrab = false;
  platform::VirtualJoysticks none;
  InputSystem input(host, none);
  input.enableDirectInput(true);
  EXPECT_FALSE(input.directInputEnabled());
  input.keyDown(30);
  EXPECT_EQ(input.keyboard().next(), 30);
  // In a window direct input stays a wish: the devices keep reading window events.
  host.full = false;
  host.grantGrab = true;
  input.enableDirectInput(true);
  EXPECT_TRUE(input.directInputEnabled());
  EXPECT_FALSE(host.grabbed);
  input.moveMouse(5, 6);
  ASSERT_EQ(host.cursorMoves.size(), 1u);
}

}  // namespace
}  // namespace korvo
