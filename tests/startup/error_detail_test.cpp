// What a programmer debugging from a terminal is told beyond the hooks' own texts: the
// command that raised a runtime error, and why a load gave 0, at the load.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::runCommand;
using testing::toolPath;

class ErrorDetail : public ::testing::Test {
 protected:
  // Runs the main code's statements with the given korvo-run options, in the scratch folder.
  testing::CommandResult run(const std::string& body, const std::string& options) {
    std::string error;
    const auto image = testing::buildProgram("#include \"korvo.h\"\nvoid __MAIN(void) {\n" + body + "\n}\n", &error);
    EXPECT_TRUE(image) << error;
    if (!image) return {-1, error};
    testing::writeFile(dir.file("program.kvm"), *image);
    // Standard error alone: the console hooks' log lines go to standard output.
    return runCommand("cd " + dir.path() +
                      " && { env KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual "
                      "LSAN_OPTIONS=print_suppressions=0:suppressions=" +
                      std::string(KORVO_LSAN_SUPPRESSIONS) + " " + toolPath("korvo-run") + " " + options +
                      " program.kvm 2>&1 >/dev/null; }");
  }
  void write(const char* name, const std::string& text) {
    testing::writeFile(dir.file(name), std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  testing::ScratchDir dir;
};

TEST_F(ErrorDetail, TheConsoleHooksNameTheFailedLoadAndTheCommandThatRaised) {
  write("notes.png", "plain words, not a picture");
  const char* body = R"(
    _fgraphics(640, 480, 32, 2);
    _floadimage(__kvStrConst("missing.png"));
    _floadsound(__kvStrConst("gone/boom.wav"));
    _fdrawimage(_floadimage(__kvStrConst("notes.png")), 0, 0, 0);
  )";
  const auto result = run(body, "--debug");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "Image \"missing.png\" not loaded: not found\n"
            "Sound \"gone/boom.wav\" not loaded: not found\n"
            "Image \"notes.png\" not loaded: not recognised (PNG, BMP, JPEG, TGA, GIF or PCX)\n"
            "Error! Image does not exist\n"
            "  raised by: DrawImage\n");
}

TEST_F(ErrorDetail, ARuntimeErrorNamesItsCommandAndFaultsNameNone) {
  auto result = run("_fruntimeerror(__kvStrConst(\"out of luck\"));", "--debug");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "Error! out of luck\n  raised by: RuntimeError\n");
  result = run("volatile int zero = 0; volatile int sink = 10 / zero; (void)sink;", "--debug");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "Error! Integer divide by zero\n");
}

TEST_F(ErrorDetail, WithoutTheConsoleHooksNothingMoreIsSaid) {
  const auto result = run("_floadimage(__kvStrConst(\"missing.png\")); _fruntimeerror(__kvStrConst(\"x\"));", "");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "Error!: x\n");
}

}  // namespace
}  // namespace korvo
