// Displays through the graphics commands on the headless backend: mode mapping, failures,
// buffers and Flip, gamma, EndGraphics, and the bytes SaveBuffer writes.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "backend/clock.h"
#include "backend/headless/headless_video.h"
#include "backend/message_box.h"
#include "media/graphics/canvas_commands.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics_program.h"
#include "host/system_commands.h"
#include "media/images/image_commands.h"
#include "media/graphics/windowed_host.h"
#include "media/text/font_set.h"
#include "media/text/text_commands.h"
#include "media/text/text_graphics.h"

namespace korvo {
namespace {

using platform::DisplayKind;
using platform::GraphicsSystem;
namespace fs = std::filesystem;

// Runs body as a program with the graphics module; returns its error text ("" for none).
std::string run(std::function<void()> body, bool debug) { return testing::runGraphicsProgram(std::move(body), debug); }

KvString* str(const std::string& s) { return core::newString(s); }

GraphicsSystem& display() { return *GraphicsSystem::current(); }

platform::HeadlessVideo& video() {
  return static_cast<platform::HeadlessVideo&>(
      platform::WindowedHost::of(*platform::RuntimeHost::current())->backend());
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(Graphics, ModeArgumentMapsToOpenFlags) {
  EXPECT_EQ(platform::graphicsModeFlags(0, true), 1);
  EXPECT_EQ(platform::graphicsModeFlags(0, false), 0);
  EXPECT_EQ(platform::graphicsModeFlags(1, true), 0);
  EXPECT_EQ(platform::graphicsModeFlags(2, false), 1);
  EXPECT_EQ(platform::graphicsModeFlags(3, false), 3);
  EXPECT_EQ(platform::graphicsModeFlags(4, true), -1);
  EXPECT_EQ(platform::graphicsModeFlags(-1, false), -1);
}

TEST(Graphics, ModeZeroIsAWindowInDebugModeAndFullScreenOtherwise) {
  DisplayKind kind{};
  auto body = [&] {
    // Start-up opened the default 400 × 300 window.
    EXPECT_EQ(display().kind(), DisplayKind::kWindow);
    EXPECT_EQ(cmd::GraphicsWidth(), 400);
    cmd::Graphics(640, 480, 0, 0);
    kind = display().kind();
    EXPECT_EQ(cmd::GraphicsWidth(), 640);
    EXPECT_EQ(cmd::GraphicsHeight(), 480);
    EXPECT_EQ(cmd::GraphicsDepth(), 32);
  };
  EXPECT_EQ(run(body, true), "");
  EXPECT_EQ(kind, DisplayKind::kWindow);
  EXPECT_EQ(run(body, false), "");
  EXPECT_EQ(kind, DisplayKind::kFullScreen);
}

TEST(Graphics, IllegalModeAndUnsettableModeFailInEveryMode) {
  for (bool debug : {true, false}) {
    EXPECT_EQ(run([] { cmd::Graphics(640, 480, 0, 4); }, debug), "Illegal Graphics mode");
    // The offscreen display has no 641 × 480 full-screen mode.
    EXPECT_EQ(run([] { cmd::Graphics(641, 480, 0, 1); }, debug), "Unable to set graphics mode");
    EXPECT_EQ(run([] { cmd::Graphics(640, 480, 15, 1); }, debug), "Unable to set graphics mode");
  }
}

TEST(Graphics, AWindowIgnoresTheDepthItIsAskedFor) {
  for (bool debug : {true, false}) {
    EXPECT_EQ("", run(
                      [] {
                        cmd::Graphics(320, 200, 8, 2);
                        EXPECT_EQ(display().kind(), DisplayKind::kWindow);
                        EXPECT_EQ(cmd::GraphicsDepth(), 32);
                        cmd::Graphics(320, 200, 15, 3);
                        EXPECT_EQ(display().kind(), DisplayKind::kScaledWindow);
                      },
                      debug));
  }
  // Mode 0 is a window in debug mode, so any depth will do there too.
  EXPECT_EQ(run([] { cmd::Graphics(640, 480, 15, 0); }, true), "");
}

TEST(Graphics, FullScreenDepthsGiveTheirFormatsAndArePresentedConverted) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(640, 480, 16, 1);
                      EXPECT_EQ(cmd::GraphicsDepth(), 16);
                      EXPECT_NE(cmd::FrontBuffer(), cmd::BackBuffer());
                      platform::Canvas& back = display().back();
                      back.setPixelFast(1, 2, 0xFF00FF00);
                      cmd::Flip(0);
                      // The pages swapped: the drawing is in front and on the display.
                      EXPECT_EQ(display().front().getPixelFast(1, 2), 0xFF00FC00u);  // 5-6-5 keeps six bits of green
                      EXPECT_EQ(video().lastFrame()[2 * 640 + 1], 0x0000FC00u);
                      cmd::Graphics(800, 600, 24, 1);
                      EXPECT_EQ(cmd::GraphicsDepth(), 24);
                      cmd::Graphics(800, 600, 0, 1);
                      EXPECT_EQ(cmd::GraphicsDepth(), 32);
                    },
                    false));
}

TEST(Graphics, WindowBuffersShareTheirPixelsAndFlipShowsTheBack) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(320, 200, 16, 2);
                      EXPECT_EQ(cmd::GraphicsDepth(), 32);  // a window draws in the desktop's format
                      const std::int32_t front = cmd::FrontBuffer(), back = cmd::BackBuffer();
                      EXPECT_NE(front, back);
                      EXPECT_EQ(cmd::GraphicsBuffer(), front);
                      cmd::SetBuffer(back);
                      EXPECT_EQ(cmd::GraphicsBuffer(), back);
                      display().back().setPixelFast(5, 5, 0xFF123456);
                      EXPECT_EQ(display().front().getPixelFast(5, 5), 0xFF123456u);
                      const std::uint32_t presents = video().presents();
                      cmd::Delay(250);  // drawing on the back buffer waits for Flip
                      EXPECT_EQ(video().presents(), presents);
                      cmd::Flip(1);
                      EXPECT_EQ(video().flips(), 1u);
                      EXPECT_EQ(video().lastFrame()[5 * 320 + 5], 0x00123456u);
                      // Drawing on a window's front buffer shows within 100 ms without a Flip.
                      display().front().setPixelFast(6, 5, 0xFFABCDEF);
                      cmd::Delay(120);
                      EXPECT_EQ(video().lastFrame()[5 * 320 + 6], 0x00ABCDEFu);
                    },
                    true));
}

TEST(Graphics, FlipAndVWaitWaitForTheNextRefreshOnTheClock) {
  for (bool debug : {true, false}) {
    EXPECT_EQ("", run(
                      [] {
                        platform::Clock& clock = platform::clock();
                        ASSERT_TRUE(clock.isVirtual());
                        const platform::RefreshTiming timing = video().refreshTiming();
                        EXPECT_EQ(timing.rate, 60);
                        cmd::Flip(1);
                        const std::uint32_t boundary = clock.now();
                        EXPECT_EQ(timing.nextBoundary(boundary - 1), boundary);
                        cmd::Flip(0);
                        EXPECT_EQ(clock.now(), boundary);  // Flip 0 does not wait
                        for (int i = 0; i < 120; ++i) cmd::Flip(1);
                        EXPECT_EQ(clock.now(), boundary + 2000);
                        cmd::VWait(1);
                        EXPECT_EQ(clock.now(), timing.nextBoundary(boundary + 2000));
                        EXPECT_EQ(cmd::ScanLine(), 0);  // the blank begins at the boundary
                        cmd::Delay(8);
                        EXPECT_GT(cmd::ScanLine(), 100);
                        EXPECT_LT(cmd::ScanLine(), 200);
                      },
                      debug));
  }
}

TEST(Graphics, FullScreenSuspendKeepsEveryCanvasAndShowsTheCursor) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(640, 480, 16, 1);
                      platform::RuntimeHost& host = *platform::RuntimeHost::current();
                      display().back().setPixelFast(7, 7, 0xFFFF0000);
                      const std::int32_t extra = display().createCanvas(8, 8, 0);
                      display().canvas(extra)->setPixelFast(1, 1, 0xFF0000FF);
                      EXPECT_FALSE(video().cursorVisible());
                      platform::WindowEvent e;
                      e.type = platform::WindowEventType::kDeactivate;
                      video().inject(e);
                      EXPECT_TRUE(host.idle());
                      EXPECT_TRUE(host.suspended());
                      EXPECT_TRUE(video().cursorVisible());
                      e.type = platform::WindowEventType::kActivate;
                      video().inject(e);
                      EXPECT_TRUE(host.idle());  // held in the pump until activated again
                      EXPECT_FALSE(host.suspended());
                      EXPECT_FALSE(video().cursorVisible());
                      EXPECT_EQ(display().back().getPixelFast(7, 7), 0xFFF80000u);
                      EXPECT_EQ(display().canvas(extra)->getPixelFast(1, 1), 0xFF0000F8u);
                    },
                    false));
}

TEST(Graphics, ScaledWindowKeepsTheClientArea) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(640, 480, 16, 3);
                      EXPECT_EQ(display().kind(), DisplayKind::kScaledWindow);
                      EXPECT_EQ(video().clientSize(), (platform::Size{400, 300}));
                      EXPECT_EQ(cmd::GraphicsWidth(), 640);
                    },
                    true));
}

TEST(Graphics, GammaStartsAsTheIdentityOfBytes) {
  EXPECT_EQ("", run(
                    [] {
                      EXPECT_FLOAT_EQ(cmd::GammaRed(200), 200.0f / 257.0f);
                      cmd::SetGamma(256 + 10, 11, 12, 20.0f, 300.0f, -4.0f);
                      EXPECT_FLOAT_EQ(cmd::GammaRed(10), 20.0f);
                      EXPECT_FLOAT_EQ(cmd::GammaGreen(11), 255.0f);  // clamped, not wrapped
                      EXPECT_FLOAT_EQ(cmd::GammaBlue(12), 0.0f);
                      cmd::UpdateGamma(0);  // no gamma control in a window: nothing happens
                    },
                    false));
}

TEST(Graphics, EndGraphicsReturnsToTheDefaultWindowOnlyAfterGraphics) {
  EXPECT_EQ("", run(
                    [] {
                      const std::int32_t front = cmd::FrontBuffer();
                      cmd::EndGraphics();
                      EXPECT_EQ(cmd::FrontBuffer(), front);
                      cmd::Graphics(640, 480, 32, 2);
                      cmd::EndGraphics();
                      EXPECT_EQ(cmd::GraphicsWidth(), 400);
                      EXPECT_EQ(display().kind(), DisplayKind::kWindow);
                      // Handles are never reused.
                      EXPECT_GT(cmd::FrontBuffer(), front);
                    },
                    true));
}

TEST(Graphics, BufferChecksRaiseOnlyInDebugMode) {
  EXPECT_EQ(run([] { cmd::SetBuffer(9999); }, true), "Buffer does not exist");
  EXPECT_EQ(run([] { cmd::SaveBuffer(9999, str("x.bmp")); }, true), "Buffer does not exist");
  EXPECT_EQ(run([] { cmd::GfxDriverName(0); }, true), "Illegal graphics driver index");
  EXPECT_EQ(run([] { cmd::GfxModeWidth(1); }, true), "Illegal graphics mode index");
  EXPECT_EQ(run(
                [] {
                  cmd::SetBuffer(9999);
                  EXPECT_EQ(cmd::SaveBuffer(9999, str("x.bmp")), 0);
                  EXPECT_EQ(cmd::GfxModeWidth(77), 0);
                  EXPECT_EQ(cmd::GfxDriverName(5)->text, "");
                },
                false),
            "");
}

TEST(Graphics, DriversAndModesOfTheOffscreenDisplay) {
  EXPECT_EQ("", run(
                    [] {
                      EXPECT_EQ(cmd::CountGfxDrivers(), 1);
                      EXPECT_EQ(cmd::GfxDriverName(1)->text, "Offscreen Display");
                      const std::int32_t modes = cmd::CountGfxModes();
                      EXPECT_GE(modes, 9);
                      EXPECT_EQ(cmd::GfxModeWidth(1), 640);
                      EXPECT_EQ(cmd::GfxModeDepth(1), 16);
                      EXPECT_EQ(cmd::GfxModeExists(800, 600, 24), 1);
                      EXPECT_EQ(cmd::GfxModeExists(800, 600, 8), 0);
                      EXPECT_GT(cmd::TotalVidMem(), cmd::AvailVidMem());
                      cmd::VWait(5);
                      EXPECT_EQ(cmd::ScanLine(), 0);
                    },
                    true));
}

TEST(SaveBuffer, WritesA24BitBmpWithPaddedRowsBottomUp) {
  const fs::path file = fs::temp_directory_path() / ("korvo_savebuffer-" + std::to_string(::getpid()) + ".bmp");
  fs::remove(file);
  EXPECT_EQ("", run(
                    [&] {
                      cmd::Graphics(3, 2, 0, 2);
                      platform::Canvas& c = display().front();
                      c.setPixelFast(0, 0, 0xFF010203);
                      c.setPixelFast(2, 0, 0xFFFFFFFF);
                      c.setPixelFast(1, 1, 0xFFA0B0C0);
                      EXPECT_EQ(cmd::SaveBuffer(cmd::FrontBuffer(), str(file.string())), 1);
                      EXPECT_EQ(cmd::SaveBuffer(cmd::FrontBuffer(), str("/no/such/dir/x.bmp")), 0);
                    },
                    true));
  const auto b = readFile(file);
  ASSERT_EQ(b.size(), 54u + 2 * 12);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  EXPECT_EQ(le32(b, 2), 78u);
  EXPECT_EQ(le32(b, 6), 0u);
  EXPECT_EQ(le32(b, 10), 54u);
  EXPECT_EQ(le32(b, 14), 40u);
  EXPECT_EQ(le32(b, 18), 3u);
  EXPECT_EQ(le32(b, 22), 2u);
  EXPECT_EQ(b[26] | b[27] << 8, 1);
  EXPECT_EQ(b[28] | b[29] << 8, 24);
  for (std::size_t i = 30; i < 54; ++i) EXPECT_EQ(b[i], 0) << i;
  // Bottom row (y = 1) first: pixel 1 is C0 B0 A0; each row ends in 3 zero bytes.
  const std::vector<std::uint8_t> rows = {0, 0, 0, 0xC0, 0xB0, 0xA0, 0,    0,    0,    0, 0, 0,
                                          3, 2, 1, 0,    0,    0,    0xFF, 0xFF, 0xFF, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + 54, b.end()), rows);
  fs::remove(file);
}

TEST(LoadBuffer, ReadsAPictureBackAndStretchesItOverTheBuffer) {
  const fs::path file = fs::temp_directory_path() / "korvo_loadbuffer.bmp";
  EXPECT_EQ("", run(
                    [&] {
                      cmd::Graphics(2, 2, 0, 2);
                      platform::Canvas& c = display().front();
                      c.setPixelFast(0, 0, 0xFFFF0000);
                      c.setPixelFast(1, 0, 0xFF00FF00);
                      c.setPixelFast(0, 1, 0xFF0000FF);
                      c.setPixelFast(1, 1, 0xFFFFFFFF);
                      ASSERT_EQ(cmd::SaveBuffer(cmd::FrontBuffer(), str(file.string())), 1);
                      cmd::Graphics(4, 4, 0, 2);
                      platform::graphicsState().transformFilter = false;
                      display().front().setOrigin(1, 1);
                      EXPECT_EQ(cmd::LoadBuffer(cmd::FrontBuffer(), str(file.string())), 1);
                      platform::Canvas& big = display().front();
                      EXPECT_EQ(big.originX(), 1);  // the origin is put back
                      EXPECT_EQ(big.getPixelFast(1, 1), 0xFFFF0000u);
                      EXPECT_EQ(big.getPixelFast(2, 1), 0xFF00FF00u);
                      EXPECT_EQ(big.getPixelFast(3, 3), 0xFFFFFFFFu);
                      EXPECT_EQ(big.getPixelFast(0, 3), 0xFF0000FFu);
                      EXPECT_EQ(cmd::LoadBuffer(cmd::FrontBuffer(), str("/no/such/picture.png")), 0);
                    },
                    true));
  fs::remove(file);
}

TEST(DrawingCommands, ColoursAreTheCurrentStateOfEveryBufferMadeCurrent) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Color(0, 0, 300);  // not clamped: bit 8 of blue lands in green
                      EXPECT_EQ(cmd::ColorGreen(), 1);
                      EXPECT_EQ(cmd::ColorBlue(), 44);
                      cmd::ClsColor(10, 20, 30);
                      cmd::SetBuffer(cmd::BackBuffer());  // the state follows the buffer
                      cmd::Cls();
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixel(0, 0, 0)), 0xFF0A141Eu);
                      cmd::Graphics(640, 480, 16, 1);   // a new display starts white on black
                      EXPECT_EQ(cmd::ColorRed(), 248);  // 5-6-5 keeps the top five bits
                      cmd::Color(255, 255, 255);
                      EXPECT_EQ(cmd::ColorRed(), 248);
                      cmd::Plot(3, 4);
                      cmd::GetColor(3, 4);
                      EXPECT_EQ(cmd::ColorGreen(), 252);
                    },
                    true));
}

TEST(DrawingCommands, PixelsLinesAndCopiesOnTheCurrentBuffer) {
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(32, 32, 0, 2);
                      cmd::Viewport(0, 0, 16, 16);
                      // Outside the viewport a read gives the mask colour: black with full alpha.
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixel(20, 20, 0)), 0xFF000000u);
                      cmd::Color(255, 0, 0);
                      cmd::Line(0, 0, 4, 1);
                      for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}})
                        EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixelFast(x, y, 0)), 0xFFFF0000u)
                            << x << "," << y;
                      EXPECT_EQ(cmd::ReadPixelFast(2, 0, 0), static_cast<std::int32_t>(0xFF000000u));
                      cmd::Viewport(0, 0, 32, 32);
                      cmd::WritePixel(30, 30, static_cast<std::int32_t>(0xFF00FF00u), cmd::FrontBuffer());
                      // A source rectangle partly outside the buffer copies only what overlaps.
                      cmd::CopyRect(28, 28, 8, 8, 0, 20, 0, 0);
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixel(2, 22, 0)), 0xFF00FF00u);
                      cmd::CopyPixel(2, 22, 0, 9, 9, cmd::BackBuffer());
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixel(9, 9, 0)), 0xFF00FF00u);
                      cmd::LockBuffer(0);
                      cmd::WritePixelFast(40, 40, 1, 0);  // outside the canvas: ignored
                      cmd::UnlockBuffer(0);
                      cmd::Origin(10, 10);
                      cmd::Rect(0, 0, 3, 3, 0);
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixelFast(12, 10, 0)), 0xFFFF0000u);
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixelFast(11, 11, 0)), 0xFF000000u);
                      cmd::Oval(0, 0, 4, 4, 1);
                      cmd::Cls();  // the whole viewport, origin or not
                      EXPECT_EQ(static_cast<std::uint32_t>(cmd::ReadPixelFast(0, 0, 0)), 0xFF000000u);
                    },
                    true));
  EXPECT_EQ(run([] { cmd::LockBuffer(4444); }, true), "Buffer does not exist");
  EXPECT_EQ(run([] { cmd::CopyRect(0, 0, 1, 1, 0, 0, 0, 4444); }, true), "Buffer does not exist");
  EXPECT_EQ(run(
                [] {
                  cmd::CopyPixelFast(0, 0, 4444, 0, 0, 0);  // unchecked: a dead handle does nothing
                  cmd::LockBuffer(4444);
                },
                false),
            "");
}

TEST(TextOnTheDisplay, ConsoleOpensTheProgramDisplayAndBuffersCarryTheFont) {
  EXPECT_EQ("", run(
                    [] {
                      EXPECT_FALSE(platform::graphicsState().programDisplay);
                      const std::int32_t start = cmd::FrontBuffer();
                      cmd::Print(str("hello"));
                      // The console asked for the program's own 400 × 300 window first.
                      EXPECT_TRUE(platform::graphicsState().programDisplay);
                      EXPECT_NE(cmd::FrontBuffer(), start);
                      EXPECT_EQ(cmd::GraphicsWidth(), 400);
                      EXPECT_EQ(display().front().font(), platform::fonts().defaultFont());
                      EXPECT_EQ(platform::textState().font, platform::fonts().defaultFont());
                      cmd::Locate(5, 6);
                      cmd::SetBuffer(cmd::BackBuffer());  // the text cursor goes home with a new buffer
                      EXPECT_EQ(platform::textState().cursorX, 0);
                      EXPECT_EQ(platform::textState().cursorY, 0);
                    },
                    true));
}

TEST(TextOnTheDisplay, ANewDisplayEndsTheOldFontsAndImages) {
  for (bool debug : {false, true}) {
    std::int32_t font = 0, image = 0;
    const std::string error = run(
        [&, debug] {
          font = cmd::LoadFont(str("DejaVu Sans"), 30, 0, 0, 0);
          image = cmd::CreateImage(8, 8, 1);
          cmd::SetFont(font);
          cmd::SetBuffer(cmd::ImageBuffer(image, 0));
          cmd::Graphics(320, 200, 0, 2);
          // The new display starts with its own default font on its front buffer.
          EXPECT_EQ(cmd::GraphicsBuffer(), cmd::FrontBuffer());
          EXPECT_EQ(platform::textState().font, platform::fonts().defaultFont());
          if (platform::fonts().defaultFont()) {
            EXPECT_EQ(cmd::FontHeight(), 12);
          }
          if (!debug) {
            EXPECT_EQ(cmd::ImageWidth(image), 0);
          }
          cmd::SetFont(font);
        },
        debug);
    EXPECT_EQ(error, debug ? "Font does not exist" : "") << debug;
  }
}

TEST(Headless, EnvironmentAsksForAnExitSnapshotAndChosenFlips) {
  const fs::path dir = fs::temp_directory_path() / ("korvo_capture-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  setenv("KORVO_SNAPSHOT", (dir / "exit.bmp").c_str(), 1);
  setenv("KORVO_SNAPSHOT_PATTERN", (dir / "f##.bmp").c_str(), 1);
  setenv("KORVO_SNAPSHOT_FRAMES", "2,4-5", 1);
  EXPECT_EQ("", run(
                    [] {
                      cmd::Graphics(4, 4, 0, 2);
                      for (int i = 1; i <= 6; ++i) {
                        cmd::Color(i, 0, 0);
                        cmd::Plot(0, 0);
                        cmd::Flip(0);
                      }
                      cmd::Color(99, 0, 0);
                      cmd::Plot(0, 0);  // on the front buffer of a window: shown at the close
                    },
                    true));
  unsetenv("KORVO_SNAPSHOT");
  unsetenv("KORVO_SNAPSHOT_PATTERN");
  unsetenv("KORVO_SNAPSHOT_FRAMES");
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"exit.bmp", "f02.bmp", "f04.bmp", "f05.bmp"}));
  // Top-left pixel is the last row's first: red of each picture.
  auto red = [&](const char* name) { return readFile(dir / name).at(54 + 3 * 12 + 2); };
  EXPECT_EQ(red("f02.bmp"), 2);
  EXPECT_EQ(red("f05.bmp"), 5);
  EXPECT_EQ(red("exit.bmp"), 99);
  fs::remove_all(dir);
}

TEST(Headless, SnapshotIsTheLastPresentedPicture) {
  const fs::path file = fs::temp_directory_path() / "korvo_snapshot.bmp";
  EXPECT_EQ("", run(
                    [&] {
                      cmd::Graphics(3, 2, 0, 2);
                      display().front().setPixelFast(0, 1, 0xFF112233);
                      cmd::Flip(0);
                      EXPECT_TRUE(video().writeSnapshot(file.string()));
                    },
                    true));
  const auto b = readFile(file);
  ASSERT_EQ(b.size(), 78u);
  EXPECT_EQ(b[54], 0x33);
  EXPECT_EQ(b[55], 0x22);
  EXPECT_EQ(b[56], 0x11);
  fs::remove(file);
}

}  // namespace
}  // namespace korvo
