// What a run says about its surroundings, through korvo-run: nothing on a machine without a
// sound device (one note in debug mode), every environment value it does not accept with the
// values it does, and an input script it cannot use as the reason it ends with status 2.
#include <string>

#include <gtest/gtest.h>

#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::runCommand;
using testing::toolPath;

class RunEnvironment : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    const auto image = testing::buildProgram(R"(
      #include "korvo.h"
      void __MAIN(void) {
        _fcls();
        _fflip(1);
        _fdelay(100);
      }
    )",
                                             &error);
    ASSERT_TRUE(image) << error;
    testing::writeFile(module_, *image);
  }
  // Headless on the virtual clock unless the environment says otherwise; the variables come
  // first so that they can override those.
  testing::CommandResult launch(const std::string& environment, const std::string& options = "") {
    return runCommand(
        "env -u KORVO_AUDIO -u KORVO_DEBUG KORVO_VIDEO=headless KORVO_CLOCK=virtual LSAN_OPTIONS=print_suppressions=0:"
        "suppressions=" +
        std::string(KORVO_LSAN_SUPPRESSIONS) + " " + environment + " " + toolPath("korvo-run") + " " + options + " " +
        module_);
  }
  testing::ScratchDir dir;
  const std::string module_ = dir.file("program.kvm");
};

TEST_F(RunEnvironment, NoSoundDeviceIsQuietAndSaidOnceInDebugMode) {
  // ALSA is what complains when there is no card; where there is one it stays quiet anyway.
  auto result = launch("SDL_AUDIODRIVER=alsa");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "");
  result = launch("SDL_AUDIODRIVER=no_such_driver");
  EXPECT_EQ(result.output, "");
  // The console hooks also say when the program has ended.
  result = launch("SDL_AUDIODRIVER=no_such_driver", "--debug");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "No sound device: sound is not played\nProgram has ended\n");
  result = launch("SDL_AUDIODRIVER=no_such_driver KORVO_DEBUG=1");
  EXPECT_EQ(result.output, "No sound device: sound is not played\nProgram has ended\n");
  // Asked for no sound, there is nothing to say.
  result = launch("KORVO_AUDIO=none", "--debug");
  EXPECT_EQ(result.output, "Program has ended\n");
}

TEST_F(RunEnvironment, ValuesThatAreNotAcceptedAreReportedWithTheAcceptedOnes) {
  const auto result = launch("KORVO_VIDEO=vga KORVO_AUDIO=wav: KORVO_CLOCK=fast KORVO_REFRESH=59.94");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output,
            "KORVO_VIDEO: \"vga\" is not accepted (accepted: sdl, headless); ignored\n"
            "KORVO_CLOCK: \"fast\" is not accepted (accepted: real, virtual); ignored\n"
            "KORVO_AUDIO: \"wav:\" is not accepted (accepted: none, sdl, wav:PATH); ignored\n"
            "KORVO_REFRESH: \"59.94\" is not accepted (accepted: whole hertz from 1 to 1000); ignored\n");
  EXPECT_EQ(launch("KORVO_AUDIO=none KORVO_REFRESH=75 KORVO_CLOCK=real").output, "");
}

TEST_F(RunEnvironment, AnInputScriptThatCannotBeUsedEndsTheRunWithTwo) {
  auto result = launch("KORVO_INPUT=" + dir.file("absent.txt"));
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.output, "KORVO_INPUT " + dir.file("absent.txt") + ": cannot read it: No such file or directory\n");
  result = launch("KORVO_INPUT=" + dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.output, "KORVO_INPUT " + dir.path() + ": cannot read it: it is a folder\n");
  testing::writeFile(dir.file("bad.txt"), {'1', '0', ' ', 'k', 'e', 'y', ' ', 'u', 'p', '\n'});
  result = launch("KORVO_INPUT=" + dir.file("bad.txt"));
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.output.rfind("KORVO_INPUT " + dir.file("bad.txt") + ": line 1: ", 0), 0u) << result.output;
  testing::writeFile(dir.file("good.txt"), {'1', '0', ' ', 'k', 'e', 'y', ' ', 'u', 'p', ' ', '1', '\n'});
  result = launch("KORVO_AUDIO=none KORVO_INPUT=" + dir.file("good.txt"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "");
}

}  // namespace
}  // namespace korvo
