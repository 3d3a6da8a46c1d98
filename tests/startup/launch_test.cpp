// Whole processes: korvo-run on good and bad images, the bare runtime executable, and a
// program attached to a copy of the runtime as resource 1111.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "startup/module_image.h"
#include "startup/program_builder.h"
#include "backend/resources.h"

namespace korvo {
namespace {

using testing::runCommand;
using testing::toolPath;

class Launch : public ::testing::Test {
 protected:
  std::string write(const char* name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir.file(name);
    testing::writeFile(path, bytes);
    return path;
  }
  // Headless, so message boxes go to standard error. Under LeakSanitizer, what the font
  // library keeps until the process ends is not reported.
  testing::CommandResult launch(const std::string& command) {
    return runCommand(
        "env KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual "
        "LSAN_OPTIONS=print_suppressions=0:suppressions=" +
        std::string(KORVO_LSAN_SUPPRESSIONS) + " " + command);
  }
  testing::ScratchDir dir;
};

TEST_F(Launch, MalformedOrMissingImageEndsWithMinusOne) {
  const std::string bad = write("bad.kvm", {1, 0, 0});
  auto result = launch(toolPath("korvo-run") + " " + bad);
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.output, "Unable to run Korvo Basic module\n");
  result = launch(toolPath("korvo-run") + " " + dir.file("absent.kvm"));
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.output,
            "korvo-run: cannot read " + dir.file("absent.kvm") + ": no such file\nUnable to run Korvo Basic module\n");
}

TEST_F(Launch, AFolderIsNotAModuleFile) {
  const auto result = launch(toolPath("korvo-run") + " " + dir.path());
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.output,
            "korvo-run: " + dir.path() + " is a folder, not a module file\nUnable to run Korvo Basic module\n");
}

TEST_F(Launch, UnknownSymbolEndsWithOne) {
  const std::string path = write("missing.kvm", writeModuleImage({{0xC3, 0, 0, 0, 0}, {}, {{"_fnothere", 1}}, {}}));
  const auto result = launch(toolPath("korvo-run") + " " + path);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "Can't find symbol: _fnothere\n");
}

TEST_F(Launch, RuntimeWithoutAModuleSaysSo) {
  const auto result = launch(toolPath("korvo-runtime"));
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.output, "Unable to run Korvo Basic module\n");
}

TEST_F(Launch, AttachedProgramRunsWithItsCommandLine) {
  const auto image = testing::buildProgram(R"(
    #include "korvo.h"
    void __MAIN(void) {
      _fdebuglog(__kvStrConcat(__kvStrConst("log:"), _fcommandline()));
      _fruntimeerror(__kvStrConcat(__kvStrConst("args="), _fcommandline()));
    }
  )");
  ASSERT_TRUE(image);
  const std::string module = write("program.kvm", *image);
  const std::string program = dir.file("program");
  auto result = runCommand(toolPath("korvo-attach") + " " + toolPath("korvo-runtime") + " " + module + " " + program);
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(platform::readElfResource(program, platform::kRawDataResource, 1111), *image);

  result = launch(program + " one  two");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "Error!: args=one two\n");

  result = launch("env KORVO_DEBUG=1 " + program + " three");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "log:three\nError! args=three\n  raised by: RuntimeError\n");

  result = launch(toolPath("korvo-run") + " --debug " + module + " four five");
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "log:four five\nError! args=four five\n  raised by: RuntimeError\n");
}

TEST_F(Launch, AttachingAgainReplacesTheModuleAndKeepsOtherResources) {
  const std::vector<std::uint8_t> runtime = testing::readFile(toolPath("korvo-runtime"));
  const std::vector<std::uint8_t> first = {1, 2, 3}, second = {4, 5}, other = {9};
  auto once = platform::attachResource(runtime, platform::kRawDataResource, 1111, first);
  ASSERT_TRUE(once.error.empty()) << once.error;
  auto twice = platform::attachResource(once.bytes, 3, 7, other);
  auto thrice = platform::attachResource(twice.bytes, platform::kRawDataResource, 1111, second);
  ASSERT_TRUE(thrice.error.empty()) << thrice.error;
  const std::string path = write("carrier", thrice.bytes);
  EXPECT_EQ(platform::readElfResource(path, platform::kRawDataResource, 1111), second);
  EXPECT_EQ(platform::readElfResource(path, 3, 7), other);
  EXPECT_FALSE(platform::readElfResource(path, platform::kRawDataResource, 1112));
  EXPECT_FALSE(platform::attachResource(first, 10, 1111, second).error.empty());
}

TEST_F(Launch, FailedToolsLeaveEarlierOutputsAndNoLitter) {
  const std::vector<std::uint8_t> earlier = {'o', 'l', 'd'};
  const std::string packed = write("earlier.kvm", earlier);
  auto result = runCommand(toolPath("korvo-pack") + " -o " + packed + " " + dir.file("absent.o"));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(testing::readFile(packed), earlier);

  const std::string attached = write("earlier", earlier);
  const std::string notRuntime = write("not-runtime", {1, 2, 3});
  result = runCommand(toolPath("korvo-attach") + " " + notRuntime + " " + packed + " " + attached);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(testing::readFile(attached), earlier);
  result = runCommand(toolPath("korvo-attach") + " " + toolPath("korvo-runtime") + " " + dir.file("absent.kvm") + " " +
                      attached);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "korvo-attach: " + dir.file("absent.kvm") + ": cannot read: No such file or directory\n");
  EXPECT_EQ(testing::readFile(attached), earlier);

  // A module written where it cannot go leaves nothing behind.
  const auto image = testing::buildProgram("#include \"korvo.h\"\nvoid __MAIN(void) {}\n");
  ASSERT_TRUE(image);
  const std::string module = write("program.kvm", *image);
  result = runCommand(toolPath("korvo-attach") + " " + toolPath("korvo-runtime") + " " + module + " " +
                      dir.file("missing/program"));
  EXPECT_EQ(result.status, 1);
  const auto objects = runCommand("ls " + dir.path());
  EXPECT_EQ(objects.output, "earlier\nearlier.kvm\nnot-runtime\nprogram.kvm\n");

  // Writing over an earlier output keeps nothing of it and no temporary beside it.
  const std::string object = dir.file("main.o");
  result = runCommand("printf 'void __MAIN(void) {}\\n' | " + std::string(KORVO_TEST_CC) + " -c -x c - -o " + object);
  ASSERT_EQ(result.status, 0) << result.output;
  result = runCommand(toolPath("korvo-pack") + " -o " + packed + " " + object);
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(testing::readFile(packed), earlier);
  EXPECT_EQ(runCommand("ls " + dir.path()).output, "earlier\nearlier.kvm\nmain.o\nnot-runtime\nprogram.kvm\n");
}

TEST_F(Launch, UndefinedNamesAreAllListedWithTheFlagsThatAvoidCompilerHelpers) {
  // A guard in a global (as some systems' compilers place it) and the check routine.
  const std::string object = dir.file("main.o");
  auto result = runCommand(
      "printf 'void _fone(void); void _ftwo(void);\\n"
      "void __MAIN(void) { char b[64]; b[0] = 0; _fone(); _ftwo(); _fone(); }\\n' | " +
      std::string(KORVO_TEST_CC) +
      " -O0 -fstack-protector-all -mstack-protector-guard=global"
      " -c -x c - -o " +
      object);
  ASSERT_EQ(result.status, 0) << result.output;
  result = runCommand(toolPath("korvo-pack") + " -o " + dir.file("main.kvm") + " " + object);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output,
            "korvo-pack: 4 undefined symbols (neither a command of the runtime nor defined by the program)\n"
            "  __stack_chk_fail: called by the compiler itself; compile with -fno-stack-protector\n"
            "  __stack_chk_guard: called by the compiler itself; compile with -fno-stack-protector\n"
            "  _fone\n  _ftwo\n");
}

TEST_F(Launch, AProgramCompiledWithTheCompilersDefaultsPacksWithTheSupportSource) {
  const std::string main = dir.file("main.c");
  const std::string source =
      "#include \"korvo.h\"\nvoid __MAIN(void) { char b[64]; for (int i = 0; i < 64; ++i) "
      "b[i] = (char)i; if (b[9] != 9) _fruntimeerror(__kvStrConst(\"lost\")); }\n";
  testing::writeFile(main, std::vector<std::uint8_t>(source.begin(), source.end()));
  const std::string compile = std::string(KORVO_TEST_CC) + " -fstack-protector-all -I" + KORVO_SDK_DIR + " -c ";
  auto result = runCommand(compile + main + " -o " + dir.file("main.o") + " && " + compile + KORVO_SUPPORT_SOURCE +
                           " -o " + dir.file("support.o") + " && " + toolPath("korvo-pack") + " -o " +
                           dir.file("main.kvm") + " " + dir.file("main.o") + " " + dir.file("support.o"));
  ASSERT_EQ(result.status, 0) << result.output;
  result = launch(toolPath("korvo-run") + " " + dir.file("main.kvm"));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, "");
}

}  // namespace
}  // namespace korvo
