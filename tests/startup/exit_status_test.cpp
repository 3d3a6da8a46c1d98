// The exit status of every way a program ends, through korvo-run: 0 for End, the end of the
// main code, the window's close and an end request; 1 for a runtime error and a translated
// fault. (Linking's statuses are in launch_test.cpp.)
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::runCommand;
using testing::toolPath;

struct Ending {
  const char* name;
  const char* body;   // the main code's statements
  const char* input;  // an input script, or ""
  int status;
  const char* output;  // what the run prints (message boxes go to standard error headless)
};

class ExitStatus : public ::testing::TestWithParam<Ending> {
 protected:
  testing::CommandResult launch(const std::string& module, const std::string& environment = "") {
    return runCommand(
        "env KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual LSAN_OPTIONS=print_suppressions=0:"
        "suppressions=" +
        std::string(KORVO_LSAN_SUPPRESSIONS) + " " + environment + " " + toolPath("korvo-run") + " " + module);
  }
  testing::ScratchDir dir;
};

TEST_P(ExitStatus, TellsHowTheProgramEnded) {
  const Ending& ending = GetParam();
  std::string error;
  const auto image = testing::buildProgram(std::string(R"(
    #include "korvo.h"
    volatile int32_t _vzero, _vsink;
    void __MAIN(void) {
  )") + ending.body + "\n}\n",
                                           &error);
  ASSERT_TRUE(image) << error;
  const std::string module = dir.file("program.kvm");
  testing::writeFile(module, *image);
  std::string environment;
  if (*ending.input) {
    testing::writeFile(dir.file("input.txt"),
                       std::vector<std::uint8_t>(ending.input, ending.input + std::strlen(ending.input)));
    environment = "KORVO_INPUT=" + dir.file("input.txt");
  }
  const auto result = launch(module, environment);
  EXPECT_EQ(result.status, ending.status);
  EXPECT_EQ(result.output, ending.output);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, ExitStatus,
    ::testing::Values(Ending{"End", "_fend(); _vsink = 1;", "", 0, ""}, Ending{"MainReturns", "_vsink = 1;", "", 0, ""},
                      Ending{"WindowClosed", "for (;;) _fflip(1);", "500 close\n", 0, ""},
                      Ending{"EndRequest", "for (;;) _fdelay(10);", "500 quit\n", 0, ""},
                      Ending{"RuntimeError", "_fruntimeerror(__kvStrConst(\"out of luck\"));", "", 1,
                             "Error!: out of luck\n"},
                      Ending{"EmptyRuntimeError", "_fruntimeerror(__kvStrConst(\"\"));", "", 1, "Error!: \n"},
                      Ending{"Fault", "_vsink = 10 / _vzero;", "", 1, "Error!: Integer divide by zero\n"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace korvo
