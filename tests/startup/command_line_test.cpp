// Splitting the process command line, and the trimmed CommandLine a program sees.
#include <gtest/gtest.h>

#include "startup/runtime_interface.h"

namespace korvo {
namespace {

TEST(CommandLine, SplitsAfterTheProgramPath) {
  EXPECT_EQ(splitCommandLine("\"C:\\My Game\\game.exe\"  -level 3  "), "  -level 3  ");
  EXPECT_EQ(splitCommandLine("game.exe"), "");
  EXPECT_EQ(splitCommandLine("\"game.exe\""), "");
  EXPECT_EQ(splitCommandLine("\"game.exe -x"), "");
  EXPECT_EQ(splitCommandLine("   game.exe a b"), "a b");
  EXPECT_EQ(splitCommandLine(""), "");
}

TEST(CommandLine, RebuiltFromArgv) {
  const char* argv[] = {"/opt/my game/run", "-a", "b"};
  EXPECT_EQ(commandLineFromArgv(3, argv), "\"/opt/my game/run\" -a b");
  const char* plain[] = {"run"};
  EXPECT_EQ(commandLineFromArgv(1, plain), "run");
}

}  // namespace
}  // namespace korvo
