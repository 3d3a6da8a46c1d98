// The SDK outside this tree: `cmake --install` into a scratch prefix, the examples built
// against it as a project of their own (find_package(Korvo)) and by hand with pkg-config, and
// each example run headless through the installed korvo-run on the virtual clock.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "media/canvas_test_support.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;
using testing::CommandResult;
using testing::runCommand;

class InstalledSdk : public ::testing::Test {
 protected:
  // One install and one build of the examples for every test.
  static void SetUpTestSuite() {
    dir_ = new testing::ScratchDir();
    const std::string prefix = dir_->file("prefix");
    setUp_ = runCommand(std::string(KORVO_CMAKE) + " --install " + KORVO_BUILD_DIR + " --prefix " + prefix +
                        " >/dev/null && " + KORVO_CMAKE + " -S " + KORVO_SOURCE_DIR + "/examples -B " +
                        dir_->file("examples") + " -G Ninja -DCMAKE_C_COMPILER=" + KORVO_TEST_CC +
                        " -DCMAKE_PREFIX_PATH=" + prefix + " >/dev/null && " + KORVO_CMAKE + " --build " +
                        dir_->file("examples"));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override { ASSERT_EQ(setUp_.status, 0) << setUp_.output; }

  static std::string prefix(const std::string& path) { return dir_->file("prefix/" + path); }
  static std::string built(const std::string& name) { return dir_->file("examples/" + name); }
  static std::string exampleFolder(const std::string& name) {
    return std::string(KORVO_SOURCE_DIR) + "/examples/" + name;
  }

  // Runs a command headless on the virtual clock in the scratch folder, with environment.
  static CommandResult headless(const std::string& environment, const std::string& command) {
    return runCommand("cd " + dir_->path() +
                      " && env KORVO_VIDEO=headless KORVO_CLOCK=virtual KORVO_AUDIO=none "
                      "LSAN_OPTIONS=print_suppressions=0:suppressions=" +
                      std::string(KORVO_LSAN_SUPPRESSIONS) + " " + environment + " " + command);
  }
  static void write(const std::string& name, const std::string& text) {
    testing::writeFile(dir_->file(name), std::vector<std::uint8_t>(text.begin(), text.end()));
  }

  static testing::ScratchDir* dir_;
  static CommandResult setUp_;
};

testing::ScratchDir* InstalledSdk::dir_ = nullptr;
CommandResult InstalledSdk::setUp_;

TEST_F(InstalledSdk, HoldsTheToolsHeadersSupportSourceAndPackages) {
  for (const char* path :
       {"bin/korvo-runtime", "bin/korvo-run", "bin/korvo-pack", "bin/korvo-attach", "include/korvo/korvo.h",
        "include/korvo/korvo.hpp", "share/korvo/korvo_support.c", "lib/cmake/Korvo/KorvoConfig.cmake",
        "lib/cmake/Korvo/KorvoProgram.cmake", "lib/pkgconfig/korvo.pc"}) {
    EXPECT_TRUE(fs::exists(prefix(path))) << path;
  }
  // The runtime every program is a copy of carries no debug information.
  const CommandResult sections = runCommand("readelf -S " + built("bin/hello") + " | grep -c debug_info");
  EXPECT_EQ(sections.output, "0\n");
}

TEST_F(InstalledSdk, PkgConfigGivesWhatABuildByHandNeeds) {
  const std::string pc = "PKG_CONFIG_PATH=" + prefix("lib/pkgconfig") + " pkg-config ";
  const std::string c = std::string(KORVO_TEST_CC);
  const CommandResult result =
      runCommand("cd " + dir_->path() + " && " + c + " $(" + pc + "--cflags korvo) -c " + exampleFolder("hello") +
                 "/hello.c -o hello.o && " + c + " $(" + pc + "--cflags korvo) -c $(" + pc +
                 "--variable=support_source korvo) -o support.o && $(" + pc +
                 "--variable=korvo_pack korvo) -o by-hand.kvm hello.o support.o && $(" + pc +
                 "--variable=korvo_attach korvo) $(" + pc + "--variable=korvo_runtime korvo) by-hand.kvm by-hand");
  ASSERT_EQ(result.status, 0) << result.output;
  write("press.txt", "100 key press 57\n");
  const CommandResult run = headless("KORVO_INPUT=press.txt KORVO_DEBUG=1", dir_->file("by-hand") + " Newcomer");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "Hello, Newcomer!\nProgram has ended\n");
}

TEST_F(InstalledSdk, TheBouncingRectangleStopsAtTheScriptedEscapeAfter120Frames) {
  write("escape.txt", "2000 key press 1\n");
  const CommandResult run =
      headless("KORVO_INPUT=escape.txt KORVO_SNAPSHOT_PATTERN=bounce###.bmp KORVO_SNAPSHOT_FRAMES=120",
               prefix("bin/korvo-run") + " --debug " + built("bounce.kvm"));
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "120 frames, ended at 2000 ms\nProgram has ended\n");
  // 119 steps of (5, 4) from the corner, turned at x 576 and y 416: (595 -> 557, 476 -> 356).
  const auto picture = test::readBmp(dir_->file("bounce120.bmp"));
  ASSERT_TRUE(picture);
  const auto at = [&](int x, int y) {
    return picture->argb[static_cast<std::size_t>(y) * picture->width + x] & 0xFFFFFF;
  };
  EXPECT_EQ(at(557, 356), 0xFFC800u);
  EXPECT_EQ(at(557 + 63, 356 + 63), 0xFFC800u);
  EXPECT_EQ(at(556, 356), 0x000030u);
  EXPECT_EQ(at(557, 355), 0x000030u);
  EXPECT_EQ(at(557 + 64, 356 + 64), 0x000030u);
}

TEST_F(InstalledSdk, ThePictureProgramDrawsItsImageAndCaption) {
  write("space.txt", "100 key press 57\n");
  const CommandResult run = headless("KORVO_INPUT=space.txt KORVO_SNAPSHOT=picture.bmp",
                                     built("bin/picture") + " " + exampleFolder("picture"));
  EXPECT_EQ(run.status, 0) << run.output;
  const auto picture = test::readBmp(dir_->file("picture.bmp"));
  ASSERT_TRUE(picture);
  const auto at = [&](int x, int y) {
    return picture->argb[static_cast<std::size_t>(y) * picture->width + x] & 0xFFFFFF;
  };
  // The 96 x 64 image centred on (160, 100): the sun at (70, 18) of it, grass at its bottom left.
  EXPECT_EQ(at(112 + 70, 68 + 18), 0xFFDC28u);
  EXPECT_EQ(at(112 + 2, 68 + 62), 0x1E8C32u);
  EXPECT_EQ(at(111, 100), 0x181818u);
  int white = 0;
  for (int y = 170; y < 190; ++y)
    for (int x = 100; x < 220; ++x) white += at(x, y) == 0xFFFFFFu;
  EXPECT_GT(white, 40);
}

// The strength of frequency hertz in mono samples (Goertzel), relative to their loudness.
double strength(const std::vector<double>& samples, double hertz, double rate) {
  const double k = 2 * std::cos(2 * M_PI * hertz / rate);
  double s1 = 0, s2 = 0, energy = 0;
  for (const double x : samples) {
    const double s = x + k * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += x * x;
  }
  const double power = s1 * s1 + s2 * s2 - k * s1 * s2;
  return energy > 0 ? power / (energy * static_cast<double>(samples.size()) / 2) : 0;
}

TEST_F(InstalledSdk, TheSoundProgramsRecordingHoldsTheSoundAndTheTune) {
  const CommandResult run = headless("KORVO_AUDIO=wav:" + dir_->file("sound.wav"),
                                     prefix("bin/korvo-run") + " " + built("sound.kvm") + " " + exampleFolder("sound"));
  EXPECT_EQ(run.status, 0) << run.output;
  const std::vector<std::uint8_t> wav = testing::readFile(dir_->file("sound.wav"));
  ASSERT_GT(wav.size(), 44u);
  // 16-bit stereo at 44100 Hz after a 44-byte header; the channels averaged.
  constexpr double kRate = 44100;
  std::vector<double> mono;
  for (std::size_t at = 44; at + 4 <= wav.size(); at += 4) {
    const auto left = static_cast<std::int16_t>(wav[at] | wav[at + 1] << 8);
    const auto right = static_cast<std::int16_t>(wav[at + 2] | wav[at + 3] << 8);
    mono.push_back((left + right) / 2.0);
  }
  EXPECT_NEAR(mono.size() / kRate, 2.0, 0.1);
  // Each quarter second less its first 80 ms: what starts at a time is heard up to three
  // mixing blocks of 25 ms later.
  const auto quarter = [&](int n) {
    const auto from = mono.begin() + static_cast<std::ptrdiff_t>(n * kRate / 4);
    return std::vector<double>(from + static_cast<std::ptrdiff_t>(0.08 * kRate),
                               from + static_cast<std::ptrdiff_t>(kRate / 4));
  };
  // The tune's notes, C E G c G E C G, a quarter second each (a 32-sample cycle at 8363 Hz
  // is its C, a semitone below middle C's 261.6 Hz by a hair); the beep (1760 Hz) in the first
  // quarter of every half second.
  const int semitones[] = {0, 4, 7, 12, 7, 4, 0, -5};
  for (int n = 0; n < 8; ++n) {
    const double hertz = 8363.0 / 32 * std::pow(2.0, semitones[n] / 12.0);
    EXPECT_GT(strength(quarter(n), hertz, kRate), 0.1) << "note " << n;
    if (n % 2 == 0) EXPECT_GT(strength(quarter(n), 1760, kRate), 0.1) << "beep in quarter " << n;
    else EXPECT_LT(strength(quarter(n), 1760, kRate), 0.03) << "quarter " << n;
  }
}

}  // namespace
}  // namespace korvo
