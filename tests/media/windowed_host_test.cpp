// The windowed host over the headless backend: the pump with requests, the close prompt,
// activation, keys, the mouse mapping and the pointer.
#include <memory>

#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "backend/clock.h"
#include "backend/headless/headless_video.h"
#include "backend/message_box.h"
#include "backend/virtual_joysticks.h"
#include "media/graphics/windowed_host.h"
#include "media/input/input_system.h"
#include "media/input/runtime_input_host.h"

namespace korvo::platform {
namespace {

WindowEvent event(WindowEventType type) {
  WindowEvent e;
  e.type = type;
  return e;
}

WindowEvent key(WindowEventType type, std::int32_t k, bool repeat = false) {
  WindowEvent e = event(type);
  e.key = k;
  e.repeat = repeat;
  return e;
}

WindowEvent move(std::int32_t x, std::int32_t y) {
  WindowEvent e = event(WindowEventType::kMouseMove);
  e.x = x;
  e.y = y;
  return e;
}

class WindowedHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setClock(&clock_);
    host_ = RuntimeHost::create("", &hooks_);
    ASSERT_NE(host_, nullptr);
    auto video = std::make_unique<HeadlessVideo>(InputScript{});
    video_ = video.get();
    auto window = std::make_unique<WindowedHost>(*host_, std::move(video));
    window_ = window.get();
    host_->setWindow(std::move(window));
    input_ = static_cast<InputSystem*>(host_->open(
        SubsystemSlot::kInput, [this] { return std::make_unique<InputSystem>(inputHost_, virtualJoysticks()); }));
  }
  void TearDown() override {
    RuntimeHost::destroy(host_);
    setMessageBoxPresenter(nullptr);
    setClock(nullptr);
  }
  void open(std::int32_t w, std::int32_t h, DisplayKind kind) { ASSERT_TRUE(window_->openDisplay({w, h, 0, 0, kind})); }
  bool keyHeld(std::int32_t k) { return input_->keyboard().rawDown(k); }
  float mouseAxis(int i) { return input_->mouse().rawAxis(i); }

  VirtualClock clock_;
  testing::RecordingHooks hooks_;
  RuntimeInputHost inputHost_;
  RuntimeHost* host_ = nullptr;
  InputSystem* input_ = nullptr;
  HeadlessVideo* video_ = nullptr;
  WindowedHost* window_ = nullptr;
};

TEST_F(WindowedHostTest, RequestsSuspendResumeAndEndThroughThePump) {
  host_->requestSuspend();
  host_->requestSuspend();  // ignored while suspended
  host_->requestResume();
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  EXPECT_EQ(hooks_.events, (std::vector<std::string>{"suspended", "resumed"}));

  host_->requestResume();  // ignored while running
  host_->requestEnd();
  EXPECT_FALSE(host_->idle());
  EXPECT_EQ(host_->hooks(), nullptr);
  EXPECT_FALSE(host_->idle());  // stays ended
}

TEST_F(WindowedHostTest, SuspendedProgramWaitsForResumeWhileWindowEventsAreServed) {
  open(640, 480, DisplayKind::kFullScreen);
  video_->inject(event(WindowEventType::kDeactivate));
  EXPECT_TRUE(host_->idle());
  ASSERT_TRUE(host_->suspended());
  EXPECT_TRUE(video_->cursorVisible());  // the cursor comes back while suspended
  // The next pump holds the program until the window is activated again.
  video_->inject(key(WindowEventType::kKeyDown, 30));  // ignored while suspended
  video_->inject(event(WindowEventType::kActivate));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  EXPECT_FALSE(video_->cursorVisible());
  EXPECT_FALSE(keyHeld(30));
}

TEST_F(WindowedHostTest, AltTabInFullScreenSuspendsUntilTheWindowIsActiveAgain) {
  WindowEvent tabUp = key(WindowEventType::kKeyUp, 15);
  tabUp.alt = true;
  // In a window, and without Alt in full screen, Tab is an ordinary key.
  open(400, 300, DisplayKind::kWindow);
  video_->inject(tabUp);
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  window_->closeDisplay();
  open(640, 480, DisplayKind::kFullScreen);
  video_->inject(key(WindowEventType::kKeyUp, 15));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());

  // Even with keyboard and mouse grabbed (the desktop never sees the keys), Alt+Tab lets go.
  input_->enableDirectInput(true);
  ASSERT_TRUE(video_->grabbed());
  video_->inject(tabUp);
  EXPECT_TRUE(host_->idle());
  EXPECT_TRUE(host_->suspended());
  EXPECT_FALSE(video_->grabbed());
  EXPECT_TRUE(video_->cursorVisible());
  video_->inject(event(WindowEventType::kActivate));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  EXPECT_TRUE(video_->grabbed());
}

TEST_F(WindowedHostTest, ExecFileInFullScreenGivesTheDesktopToWhatItStarted) {
  // In a window what was started opens over it; the program goes on.
  open(400, 300, DisplayKind::kWindow);
  EXPECT_TRUE(host_->execute("true"));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  window_->closeDisplay();
  open(640, 480, DisplayKind::kFullScreen);
  EXPECT_FALSE(host_->execute("korvo-no-such-program"));
  EXPECT_FALSE(host_->suspended());
  // Full screen would hide it: the program waits until its window is active again.
  EXPECT_TRUE(host_->execute("true"));
  EXPECT_TRUE(host_->suspended());
  EXPECT_TRUE(video_->cursorVisible());
  video_->inject(event(WindowEventType::kActivate));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
}

TEST_F(WindowedHostTest, UncoveredDisplaysShowTheirPictureAgain) {
  int repaints = 0;
  window_->setRepaint([&] { ++repaints; });
  const std::uint32_t pixels[4] = {1, 2, 3, 4};
  open(2, 2, DisplayKind::kWindow);
  video_->inject(event(WindowEventType::kExpose));
  host_->idle();
  EXPECT_EQ(repaints, 1);
  window_->closeDisplay();
  // Full screen shows the last page presented, without the program having to flip.
  open(640, 480, DisplayKind::kFullScreen);
  video_->present({pixels, 2, 2, 8}, true);
  video_->inject(event(WindowEventType::kExpose));
  host_->idle();
  EXPECT_EQ(repaints, 1);
  EXPECT_EQ(video_->redraws(), 1u);
}

TEST_F(WindowedHostTest, WindowDeactivationOnlyResetsInput) {
  open(400, 300, DisplayKind::kWindow);
  video_->inject(key(WindowEventType::kKeyDown, 200));
  host_->idle();
  EXPECT_TRUE(keyHeld(200));
  video_->inject(event(WindowEventType::kDeactivate));
  EXPECT_TRUE(host_->idle());
  EXPECT_FALSE(host_->suspended());
  EXPECT_FALSE(keyHeld(200));
}

TEST_F(WindowedHostTest, ClosePromptAnsweredCancelKeepsRunningAndOkEnds) {
  std::vector<MessageBoxRequest> shown;
  BoxAnswer answer = BoxAnswer::kCancel;
  setMessageBoxPresenter([&](const MessageBoxRequest& r) {
    shown.push_back(r);
    return answer;
  });
  host_->setTitle("Tobrix", "Really quit?");
  video_->inject(event(WindowEventType::kClose));
  EXPECT_TRUE(host_->idle());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Tobrix");
  EXPECT_EQ(shown[0].text, "Really quit?");
  EXPECT_EQ(shown[0].buttons, BoxButtons::kOkCancel);
  EXPECT_EQ(shown[0].icon, BoxIcon::kWarning);
  EXPECT_EQ(video_->title(), "Tobrix");

  answer = BoxAnswer::kOk;
  video_->inject(event(WindowEventType::kClose));
  EXPECT_FALSE(host_->idle());
}

TEST_F(WindowedHostTest, ClosingAgainWhileTheProgramEndsAsksNoMore) {
  int boxes = 0;
  BoxAnswer answer = BoxAnswer::kCancel;
  setMessageBoxPresenter([&](const MessageBoxRequest&) {
    ++boxes;
    return answer;
  });
  host_->setTitle("Tobrix", "Really quit?");
  // A cancelled prompt leaves the next close free to ask again.
  video_->inject(event(WindowEventType::kClose));
  EXPECT_TRUE(host_->idle());
  EXPECT_EQ(boxes, 1);
  // The close button clicked again while the prompt was up: one answer ends the program.
  answer = BoxAnswer::kOk;
  video_->inject(event(WindowEventType::kClose));
  video_->inject(event(WindowEventType::kClose));
  EXPECT_FALSE(host_->idle());
  video_->inject(event(WindowEventType::kClose));
  EXPECT_FALSE(host_->idle());
  EXPECT_EQ(boxes, 2);
}

TEST_F(WindowedHostTest, CloseWithoutPromptEndsAtOnce) {
  setMessageBoxPresenter([](const MessageBoxRequest&) -> BoxAnswer {
    ADD_FAILURE() << "no box without a close prompt";
    return BoxAnswer::kCancel;
  });
  video_->inject(event(WindowEventType::kClose));
  EXPECT_FALSE(host_->idle());
}

TEST_F(WindowedHostTest, KeysIgnoreRepeatsAndZero) {
  open(400, 300, DisplayKind::kWindow);
  video_->inject(key(WindowEventType::kKeyDown, 57));
  video_->inject(key(WindowEventType::kKeyDown, 57, true));
  video_->inject(key(WindowEventType::kKeyDown, 0));
  host_->idle();
  EXPECT_TRUE(keyHeld(57));
  EXPECT_EQ(input_->keyboard().hitCount(57), 1);
  EXPECT_EQ(input_->keyboard().hitCount(0), 0);
  video_->inject(key(WindowEventType::kKeyUp, 57));
  host_->idle();
  EXPECT_FALSE(keyHeld(57));
}

TEST_F(WindowedHostTest, MouseIsMappedIntoDisplayPixelsAndClamped) {
  open(400, 300, DisplayKind::kWindow);
  video_->inject(move(410, -7));
  host_->idle();
  EXPECT_EQ(mouseAxis(0), 399);
  EXPECT_EQ(mouseAxis(1), 0);
  window_->closeDisplay();

  // A scaled window keeps its 400 × 300 client area and shows 640 × 480 in it.
  open(640, 480, DisplayKind::kScaledWindow);
  EXPECT_EQ(video_->clientSize(), (Size{400, 300}));
  video_->inject(move(200, 150));
  WindowEvent wheel = event(WindowEventType::kWheel);
  wheel.delta = -240;
  video_->inject(wheel);
  WindowEvent down = event(WindowEventType::kMouseDown);
  down.button = 3;
  video_->inject(down);
  host_->idle();
  EXPECT_EQ(mouseAxis(0), 320);
  EXPECT_EQ(mouseAxis(1), 240);
  EXPECT_EQ(mouseAxis(2), -240);
  EXPECT_TRUE(input_->mouse().rawDown(3));

  // MoveMouse goes the other way.
  window_->moveCursor(640, 240);
  host_->idle();
  EXPECT_EQ(mouseAxis(0), 639);
  EXPECT_EQ(mouseAxis(1), 240);
}

TEST_F(WindowedHostTest, MoveMouseFarBeyondAnEnlargedDisplayStaysAtItsFarEdge) {
  open(400, 300, DisplayKind::kWindow);
  window_->closeDisplay();
  // The scaled window keeps its 400 × 300 client area: a 200 × 150 display is shown doubled.
  open(200, 150, DisplayKind::kScaledWindow);
  window_->moveCursor(INT32_MAX, INT32_MAX);
  host_->idle();
  EXPECT_EQ(mouseAxis(0), 199);
  EXPECT_EQ(mouseAxis(1), 149);
  window_->moveCursor(INT32_MIN, INT32_MIN);
  host_->idle();
  EXPECT_EQ(mouseAxis(0), 0);
  EXPECT_EQ(mouseAxis(1), 0);
}

TEST_F(WindowedHostTest, LetterboxedFullScreenMapsThroughThePicture) {
  // 4:3 picture on a 16:9 output: 960 × 720 at x 160.
  EXPECT_EQ(letterbox({640, 480}, {1280, 720}), (OutputRect{160, 0, 960, 720}));
  EXPECT_EQ(letterbox({640, 200}, {640, 480}), (OutputRect{0, 140, 640, 200}));
  EXPECT_EQ(outputRect(DisplayKind::kScaledWindow, {640, 480}, {100, 50}), (OutputRect{0, 0, 100, 50}));
}

TEST_F(WindowedHostTest, PointerFollowsShowAndHideInAWindowOnly) {
  open(400, 300, DisplayKind::kWindow);
  host_->setPointerVisible(false);
  EXPECT_FALSE(video_->cursorVisible());
  host_->setPointerVisible(true);
  EXPECT_TRUE(video_->cursorVisible());
  window_->closeDisplay();
  open(640, 480, DisplayKind::kFullScreen);
  EXPECT_FALSE(video_->cursorVisible());
}

TEST_F(WindowedHostTest, ScriptedEventsArriveWhenTheirTimeHasCome) {
  std::istringstream text("50 key down 44\n120 key up 44\n130 joy 1 down 3\n130 joy 1 axis x=-1\n");
  host_->close(SubsystemSlot::kInput, input_);
  auto video = std::make_unique<HeadlessVideo>(parseInputScript(text));
  HeadlessVideo* v = video.get();
  auto window = std::make_unique<WindowedHost>(*host_, std::move(video));
  WindowedHost* w = window.get();
  host_->setWindow(std::move(window));
  // Joystick lines add their ports before the input devices enumerate them.
  EXPECT_GE(virtualJoysticks().count(), 2);
  input_ = static_cast<InputSystem*>(host_->open(
      SubsystemSlot::kInput, [this] { return std::make_unique<InputSystem>(inputHost_, virtualJoysticks()); }));
  ASSERT_TRUE(w->openDisplay({640, 480, 0, 0, DisplayKind::kWindow}));
  host_->idle();
  EXPECT_FALSE(keyHeld(44));
  EXPECT_TRUE(host_->delay(60));
  EXPECT_TRUE(keyHeld(44));
  EXPECT_TRUE(host_->delay(100));
  EXPECT_FALSE(keyHeld(44));
  EXPECT_EQ(input_->keyboard().hitCount(44), 1);
  EXPECT_TRUE(host_->delay(20));
  ASSERT_NE(input_->joystick(1), nullptr);
  EXPECT_TRUE(input_->joystick(1)->isDown(3));
  EXPECT_FLOAT_EQ(input_->joystick(1)->axis(JoystickDevice::kX), -1.0f);
  EXPECT_EQ(v->request().width, 640);
}

}  // namespace
}  // namespace korvo::platform
