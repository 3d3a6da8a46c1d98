// Programs that ask for more memory than they can have, run by korvo-run: a string too long
// for Len to count is refused at once, and an allocation the system refuses ends the
// program with the runtime error "Out of memory" instead of an abort.
#include <string>

#include <gtest/gtest.h>

#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::ScratchDir;

class MemoryPrograms : public ::testing::Test {
 protected:
  // Builds a program whose main body is body and runs it headless, the shell first running
  // limit (a ulimit command, or nothing).
  testing::CommandResult run(const std::string& body, const std::string& limit = "true") {
    std::string error;
    const auto image = testing::buildProgram("#include \"korvo.h\"\nint32_t _vlen;\nvoid __MAIN(void) {\n" + body +
                                                 "\n_fruntimeerror(__kvStrConst(\"not reached\"));\n}\n",
                                             &error);
    EXPECT_TRUE(image) << error;
    if (!image) return {-1, error};
    const std::string module = dir.file("program.kvm");
    testing::writeFile(module, *image);
    return testing::runCommand("(" + limit + " && env KORVO_VIDEO=headless KORVO_AUDIO=none " +
                               testing::toolPath("korvo-run") + " " + module + ")");
  }
  ScratchDir dir;
};

TEST_F(MemoryPrograms, AStringLongerThanLenCanCountIsRefusedAtOnce) {
  const auto result = run("_vlen = _flen(_fstring(__kvStrConst(\"abcdefgh\"), 2147483647));");
  EXPECT_EQ(result.status, 1) << "a runtime error's end, not an abort (134)";
  EXPECT_NE(result.output.find("Out of memory"), std::string::npos) << result.output;
}

TEST_F(MemoryPrograms, AnAllocationTheSystemRefusesIsARuntimeError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address checker needs more address space than the limit leaves";
#endif
  // Two GiB less a byte is a legal length; a process limited to 1.5 GB cannot have it.
  const auto result = run("_vlen = _flen(_fstring(__kvStrConst(\"x\"), 2147483647));", "ulimit -v 1500000");
  EXPECT_EQ(result.status, 1) << "a runtime error's end, not an abort (134)";
  EXPECT_NE(result.output.find("Out of memory"), std::string::npos) << result.output;
  EXPECT_EQ(result.output.find("not reached"), std::string::npos);
}

}  // namespace
}  // namespace korvo
