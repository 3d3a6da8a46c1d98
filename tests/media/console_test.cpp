// The console: Write and Print at the cursor, scrolling, Locate, and Input sessions driven
// by timed key presses on the virtual clock (editing keys, key repeat, the blinking caret).
#include "media/input/key_chars.h"
#include "media/text/text_commands.h"
#include "media/text_fixture.h"

namespace korvo {
namespace {

using testing::TextDisplay;

KvString* str(std::string_view s) { return core::newString(s); }

class Console : public TextDisplay {
 protected:
  void SetUp() override {
    TextDisplay::SetUp();
    if (!platform::fonts().defaultFont()) GTEST_SKIP() << "no font matches \"courier\" on this machine";
    open(100, 30);
    font = platform::fonts().defaultFont();
  }
  // Types text at time t, one key every 20 ms; returns the time after the last.
  std::uint32_t type(std::uint32_t t, std::initializer_list<std::int32_t> keys) {
    for (std::int32_t k : keys) {
      window->at(t, [this, k] { tap(k); });
      t += 20;
    }
    return t;
  }
  std::string inputLine(std::string_view prompt) { return core::takeString(cmd::Input(str(prompt))); }
  platform::BitmapFont* font = nullptr;
};

TEST_F(Console, WriteAndPrintMoveTheCursor) {
  cmd::Write(str("ab"));
  EXPECT_EQ(platform::textState().cursorX, font->stringWidth("ab"));
  cmd::Print(str("c"));
  EXPECT_EQ(platform::textState().cursorX, 0);
  EXPECT_EQ(platform::textState().cursorY, 12);
  EXPECT_EQ(displayRequests, 2);
}

TEST_F(Console, PrintOnTheLastLineScrollsByTheOverflow) {
  front->setClsColour(0x203040);
  clsArgb = 0x203040;
  for (std::int32_t y = 0; y < 30; ++y) front->setPixelFast(0, y, 0x010000 * static_cast<std::uint32_t>(y + 1));
  cmd::Locate(0, 24);  // 24 + 12 exceeds 30 by 6
  cmd::Print(str(""));
  for (std::int32_t y = 0; y < 24; ++y) EXPECT_EQ(front->getPixelFast(0, y) & 0xFFFFFF, 0x010000u * (y + 7)) << y;
  for (std::int32_t y = 24; y < 30; ++y) EXPECT_EQ(front->getPixelFast(0, y) & 0xFFFFFF, 0x203040u) << y;
  EXPECT_EQ(platform::textState().cursorY, 30);
  EXPECT_EQ(front->colourARGB(), 0xFFFFFFFFu);
}

TEST_F(Console, LocateClampsToTheFrontBuffer) {
  cmd::Locate(-5, 9999);
  EXPECT_EQ(platform::textState().cursorX, 0);
  EXPECT_EQ(platform::textState().cursorY, 30);
}

TEST_F(Console, ConsoleLeavesTheFrontBuffersDrawingStateAlone) {
  front->setOrigin(7, 8);
  front->setViewport(10, 10, 20, 5);
  front->setHandle(3, 4);
  cmd::Print(str("x"));
  EXPECT_EQ(front->originX(), 7);
  EXPECT_EQ(front->viewport(), (platform::Rect{10, 10, 30, 15}));
  EXPECT_EQ(front->handleX(), 3);
}

TEST_F(Console, InputEditsTheLine) {
  using namespace platform;
  // "hxi", left, backspace (removes x), End, "!", Home, Delete (removes h), Enter.
  type(kStart + 40, {0x23, 0x2D, 0x17, kKeyLeft, 0x0E, kKeyEnd});
  window->at(kStart + 200, [this] { input->keyDown(kKeyLeftShift); });
  type(kStart + 240, {0x02});
  window->at(kStart + 280, [this] { input->keyUp(kKeyLeftShift); });
  type(kStart + 300, {kKeyHome, kKeyDelete, 0x1C});
  EXPECT_EQ(inputLine("? "), "i!");
  EXPECT_EQ(platform::textState().cursorX, 0);
  EXPECT_EQ(platform::textState().cursorY, 12);
  // The line shows the prompt and the text.
  Canvas expected(Surface::create(100, 30, PixelFormat::xrgb8888()), 0, font);
  drawText(expected, 0, 0, "? i!");
  for (std::int32_t y = 0; y < 12; ++y)
    for (std::int32_t x = 0; x < 100; ++x)
      ASSERT_EQ(front->getPixelFast(x, y), expected.getPixelFast(x, y)) << x << "," << y;
}

TEST_F(Console, EscapeEmptiesAndTheEndRequestReturnsEmpty) {
  type(kStart + 20, {0x1E, 0x1E, platform::kKeyEscape, 0x30, 0x1C});
  EXPECT_EQ(inputLine(""), "b");
  type(clock.now() + 20, {0x1E});
  window->at(clock.now() + 100, [this] { host->requestEnd(); });
  try {
    inputLine("");
    FAIL() << "Input returned after the end request";
  } catch (const KvEx& e) {
    EXPECT_EQ(e.message, nullptr);
  }
}

// How many characters a key held for ms gives: the first at once, the next after more than
// 280 ms, then one every 40 ms. The editor looks every 20 ms, so a key let go between two
// looks counts as held until the second.
class KeyRepeat : public Console, public ::testing::WithParamInterface<std::pair<std::uint32_t, std::size_t>> {};

TEST_P(KeyRepeat, HeldKeysRepeatAfterTheDelayThenAtTheRate) {
  const auto [held, count] = GetParam();
  window->at(kStart + 100, [this] { input->keyDown(0x1E); });
  window->at(kStart + 100 + held, [this] { input->keyUp(0x1E); });
  window->at(kStart + 1000, [this] { tap(0x1C); });
  EXPECT_EQ(inputLine(""), std::string(count, 'a'));
}

INSTANTIATE_TEST_SUITE_P(Console, KeyRepeat,
                         ::testing::Values(std::pair<std::uint32_t, std::size_t>{270, 1}, std::pair{290, 1},
                                           std::pair{310, 2}, std::pair{330, 2}, std::pair{350, 3}, std::pair{390, 4},
                                           std::pair{430, 5}));

TEST_F(Console, TheCaretBlinksEvery320Milliseconds) {
  // Sample the caret cell (at the start of the line) at times within each phase.
  std::vector<std::uint32_t> samples;
  for (std::uint32_t t : {100u, 400u, 700u, 1000u}) {
    window->at(kStart + t, [this, &samples] { samples.push_back(front->getPixelFast(1, 6) & 0xFFFFFF); });
  }
  window->at(kStart + 1100, [this] { tap(0x1C); });
  inputLine("");
  EXPECT_EQ(samples, (std::vector<std::uint32_t>{0xFFFFFF, 0, 0xFFFFFF, 0}));
}

}  // namespace
}  // namespace korvo
