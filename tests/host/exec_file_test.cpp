// ExecFile: how the command splits into a file and parameters, and starting a child.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "host/exec_file.h"

namespace korvo::platform {
namespace {

namespace fs = std::filesystem;

TEST(ExecFile, SplitsQuotedAndPlainCommands) {
  EXPECT_FALSE(splitExecCommand("").has_value());
  auto q = splitExecCommand("  \"My Docs/read me.txt\"  -a b   ");
  ASSERT_TRUE(q);
  EXPECT_EQ(q->file, "My Docs/read me.txt");
  EXPECT_EQ(q->parameters, "-a b");
  auto open = splitExecCommand("\"unclosed name");
  EXPECT_EQ(open->file, "\"unclosed name");
  EXPECT_EQ(open->parameters, "");
  auto plain = splitExecCommand("notes.txt   x  ");
  EXPECT_EQ(plain->file, "notes.txt");
  EXPECT_EQ(plain->parameters, "x");
  EXPECT_EQ(splitExecCommand("game")->file, "game");
  EXPECT_EQ(splitParameters("a \"b c\"  d"), (std::vector<std::string>{"a", "b c", "d"}));
}

TEST(ExecFile, RunsAnExecutableWithItsParametersAndNoShell) {
  const fs::path dir = fs::temp_directory_path() / ("korvo_exec_test-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path script = dir / "write args.sh";
  std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$@\" > \"$(dirname \"$0\")/out\"\n";
  chmod(script.c_str(), 0755);

  // A ';' is a plain character: nothing interprets it.
  ASSERT_TRUE(startDetached({script.string(), "one \"two three\";rm"}));
  for (int i = 0; i < 200 && !fs::exists(dir / "out"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::ifstream in(dir / "out");
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "one|two three;rm|");
  EXPECT_FALSE(startDetached({(dir / "no such program").string(), ""}));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korvo::platform
