// Seeded random runs of the graphics, image, text and input commands outside debug mode, with
// extreme coordinates, handles of every kind (live, freed, from the wrong registry) and odd
// floats. Nothing is checked but that the program ends without an error; under the sanitizer
// build this is where overflows and bad memory accesses show. KORVO_SOAK_SEEDS sets the runs.
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "startup/runtime_interface.h"
#include "startup/runtime_modules.h"
#include "media/graphics/canvas_commands.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics_program.h"
#include "media/images/image_commands.h"
#include "media/input/input_commands.h"
#include "media/text/text_commands.h"

namespace korvo {
namespace {

// Argument sources for one run.
class Arguments {
 public:
  explicit Arguments(unsigned seed) : rng_(seed) {}

  int pick(std::initializer_list<int> values) { return values.begin()[rng_() % values.size()]; }
  // Places and sizes from the edges of buffers, masks and the int range.
  int any() {
    return pick({-1,
                 0,
                 1,
                 2,
                 3,
                 5,
                 7,
                 16,
                 31,
                 32,
                 33,
                 63,
                 64,
                 65,
                 100,
                 199,
                 200,
                 299,
                 300,
                 399,
                 400,
                 -33,
                 -64,
                 INT32_MIN,
                 INT32_MAX,
                 INT32_MIN + 1,
                 INT32_MAX - 1,
                 -100000,
                 100000,
                 1 << 30,
                 -(1 << 30)});
  }
  int small() { return pick({-3, -1, 0, 1, 2, 3, 5, 8, 17, 31, 32, 33, 40, 64, 65, 100}); }
  float real() {
    static constexpr std::array<float, 13> kValues = {0.f,       -1.f,   0.5f, 2.f,  1e-3f, 1e3f, INFINITY,
                                                      -INFINITY, 1e-30f, 3.f,  90.f, 45.f,  NAN};
    return kValues[rng_() % kValues.size()];
  }
  KvString* text() {
    static const char* kTexts[] = {"", "A", "Hello world", "\x01\x7f\xff\x80",
                                   "a much longer line of text that runs well past the edge of a narrow display"};
    return core::newString(kTexts[rng_() % std::size(kTexts)]);
  }
  // Mostly a handle made earlier (image, buffer or font alike), sometimes a small number.
  int handle() {
    if (!made_.empty() && rng_() % 4 != 0) return made_[rng_() % made_.size()];
    return static_cast<int>(rng_() % 8) - 2;
  }
  int keep(int h) {
    if (h) made_.push_back(h);
    if (made_.size() > 24) made_.erase(made_.begin());
    return h;
  }
  bool oneIn(unsigned n) { return rng_() % n == 0; }
  unsigned next() { return rng_(); }

 private:
  std::mt19937 rng_;
  std::vector<int> made_;
};

using Step = void (*)(Arguments&);

constexpr Step kSteps[] = {
    [](Arguments& a) {
      a.keep(cmd::CreateImage(a.small(), a.small(), a.pick({1, 1, 2, 3, 0, -1})));
    },
    [](Arguments& a) { a.keep(cmd::CopyImage(a.handle())); },
    [](Arguments& a) { cmd::FreeImage(a.handle()); },
    [](Arguments& a) { cmd::GrabImage(a.handle(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::SetBuffer(a.keep(cmd::ImageBuffer(a.handle(), a.small()))); },
    [](Arguments& a) { cmd::DrawImage(a.handle(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::DrawBlock(a.handle(), a.any(), a.any(), a.small()); },
    [](Arguments& a) {
      cmd::DrawImageRect(a.handle(), a.any(), a.any(), a.any(), a.any(), a.any(), a.any(), a.small());
    },
    [](Arguments& a) { cmd::TileImage(a.handle(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::TileBlock(a.handle(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::MaskImage(a.handle(), a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::HandleImage(a.handle(), a.any(), a.any()); },
    [](Arguments& a) { cmd::MidHandle(a.handle()); },
    [](Arguments& a) { cmd::AutoMidHandle(a.small()); },
    [](Arguments& a) { cmd::ScaleImage(a.handle(), a.real(), a.real()); },
    [](Arguments& a) { cmd::ResizeImage(a.handle(), a.real(), a.real()); },
    [](Arguments& a) { cmd::RotateImage(a.handle(), a.real()); },
    [](Arguments& a) { cmd::TFormImage(a.handle(), a.real(), a.real(), a.real(), a.real()); },
    [](Arguments& a) { cmd::TFormFilter(a.small()); },
    [](Arguments& a) { cmd::ImagesOverlap(a.handle(), a.any(), a.any(), a.handle(), a.any(), a.any()); },
    [](Arguments& a) {
      cmd::ImagesCollide(a.handle(), a.any(), a.any(), a.small(), a.handle(), a.any(), a.any(), a.small());
    },
    [](Arguments& a) {
      cmd::ImageRectCollide(a.handle(), a.any(), a.any(), a.small(), a.any(), a.any(), a.any(), a.any());
    },
    [](Arguments& a) { cmd::RectsOverlap(a.any(), a.any(), a.any(), a.any(), a.any(), a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::ImageWidth(a.handle()), cmd::ImageXHandle(a.handle()); },
    [](Arguments& a) { cmd::Origin(a.any(), a.any()); },
    [](Arguments& a) { cmd::Viewport(a.any(), a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::Color(a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::ClsColor(a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::GetColor(a.any(), a.any()); },
    [](Arguments&) { cmd::Cls(); },
    [](Arguments& a) { cmd::Plot(a.any(), a.any()); },
    [](Arguments& a) { cmd::Rect(a.any(), a.any(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::Oval(a.any(), a.any(), a.any(), a.any(), a.small()); },
    [](Arguments& a) { cmd::Line(a.any(), a.any(), a.any(), a.any()); },
    [](Arguments& a) { cmd::CopyRect(a.any(), a.any(), a.any(), a.any(), a.any(), a.any(), a.handle(), a.handle()); },
    [](Arguments& a) { cmd::ReadPixel(a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::WritePixel(a.any(), a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::ReadPixelFast(a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::WritePixelFast(a.any(), a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::CopyPixel(a.any(), a.any(), a.handle(), a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::CopyPixelFast(a.any(), a.any(), a.handle(), a.any(), a.any(), a.handle()); },
    [](Arguments& a) { cmd::LockBuffer(a.handle()); },
    [](Arguments& a) { cmd::UnlockBuffer(a.handle()); },
    [](Arguments& a) { cmd::SetBuffer(a.oneIn(2) ? cmd::FrontBuffer() : a.handle()); },
    [](Arguments& a) { cmd::Flip(a.small()); },
    [](Arguments& a) {
      cmd::SetGamma(a.any(), a.any(), a.any(), a.real(), a.real(), a.real());
      cmd::UpdateGamma(a.small());
      cmd::GammaRed(a.any());
    },
    [](Arguments& a) {
      if (a.oneIn(8))
        cmd::Graphics(a.pick({1, 2, 33, 320, 400}), a.pick({1, 2, 33, 200, 300}), a.pick({0, 8, 16, 24, 32}),
                      a.pick({2, 3}));
    },
    [](Arguments& a) {
      if (!a.oneIn(8)) return;
      const bool big = a.oneIn(2);
      cmd::Graphics(big ? 800 : 640, big ? 600 : 480, a.pick({0, 16, 24, 32}), 1);
    },
    [](Arguments& a) {
      if (a.oneIn(8)) cmd::EndGraphics();
    },
    [](Arguments& a) { cmd::Text(a.any(), a.any(), a.text(), a.small(), a.small()); },
    [](Arguments& a) { cmd::Print(a.text()); },
    [](Arguments& a) { cmd::Write(a.text()); },
    [](Arguments& a) { cmd::Locate(a.any(), a.any()); },
    [](Arguments& a) {
      const char* face = a.oneIn(2) ? "DejaVu Sans" : "courier";
      cmd::SetFont(
          a.keep(cmd::LoadFont(core::newString(face), a.pick({0, 1, 5, 12, 40, -9}), a.small(), a.small(), a.small())));
    },
    [](Arguments& a) { cmd::FreeFont(a.handle()); },
    [](Arguments& a) { cmd::SetFont(a.handle()); },
    [](Arguments& a) { cmd::StringWidth(a.text()), cmd::FontWidth(); },
    [](Arguments& a) { cmd::KeyDown(a.any()), cmd::KeyHit(a.any()), cmd::GetKey(); },
    [](Arguments& a) { cmd::MouseDown(a.any()), cmd::MouseHit(a.any()), cmd::GetMouse(); },
    [](Arguments& a) { cmd::MoveMouse(a.any(), a.any()); },
    [](Arguments&) { cmd::MouseXSpeed(), cmd::MouseYSpeed(), cmd::MouseZSpeed(), cmd::MouseX(), cmd::MouseZ(); },
    [](Arguments& a) {
      cmd::JoyX(a.any()), cmd::JoyHat(a.any()), cmd::JoyXDir(a.any()), cmd::JoyDown(a.any(), a.any());
    },
    [](Arguments&) { cmd::FlushKeys(), cmd::FlushMouse(), cmd::FlushJoy(); },
    [](Arguments& a) { cmd::EnableDirectInput(a.small()); },
};

constexpr int kStepsPerRun = 400;

TEST(CommandSoak, RandomCommandsOutsideDebugModeEndWithoutAnError) {
  static const RuntimeModule kModules[] = {
      {"graphics", &createGraphicsModule, &destroyGraphicsModule, "graphics_create failed"},
      {"input", &createInputModule, &destroyInputModule, "input_create failed"},
  };
  const char* seedsText = std::getenv("KORVO_SOAK_SEEDS");
  const int seeds = seedsText ? std::atoi(seedsText) : 10;
  for (int seed = 0; seed < seeds; ++seed) {
    Arguments args(static_cast<unsigned>(seed));
    testing::programBody() = [&args] {
      for (int i = 0; i < kStepsPerRun; ++i) kSteps[args.next() % std::size(kSteps)](args);
    };
    const char* error = runOnModules(&testing::runProgramBody, "", nullptr, kModules);
    EXPECT_EQ(error ? error : "", std::string()) << "seed " << seed;
  }
}

}  // namespace
}  // namespace korvo
