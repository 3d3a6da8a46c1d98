// The standard library modules on a real run: start-up seeding, what the modules free or
// finish at the end, a runtime error raised through a registered command, and WriteFloat's
// own routine taking its float where the platform passes floats.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"
#include "stdlib/bank_commands.h"
#include "stdlib/filesystem_commands.h"
#include "stdlib/kv_stream.h"
#include "stdlib/math_commands.h"
#include "stdlib/stream_commands.h"

namespace korvo {
namespace {

const RuntimeModule kStdlibModules[] = {
    {"basic", &createBasicModule, &destroyBasicModule, "basic_create failed"},
    {"math", &createMathModule, &destroyMathModule, "math_create failed"},
    {"string", &createStringModule, &destroyStringModule, "string_create failed"},
    {"stream", &createStreamModule, &destroyStreamModule, "stream_create failed"},
    {"filesystem", &createFilesystemModule, &destroyFilesystemModule, "filesystem_create failed"},
    {"bank", &createBankModule, &destroyBankModule, "bank_create failed"},
};

// Registration text to address, as the linker sees the table.
class Addresses : public Registrar {
 public:
  void add(const char* text, void* address) override { byText[text] = address; }
  std::map<std::string, void*> byText;
};

template <typename Fn>
Fn* routine(const char* text) {
  static Addresses table = [] {
    Addresses a;
    registerAllCommands(a);
    return a;
  }();
  return reinterpret_cast<Fn*>(table.byText.at(text));
}

std::string gPath;
std::int32_t gSeedAtStart = 0;

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class StdlibProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    gPath =
        (std::filesystem::temp_directory_path() / ("korvo-program-" + std::to_string(::getpid()) + ".dat")).string();
    std::ofstream(gPath, std::ios::binary) << "old";
  }
  void TearDown() override { std::filesystem::remove(gPath); }
  testing::RecordingHooks hooks;
};

void leaveThingsOpen() {
  gSeedAtStart = routine<std::int32_t()>("%RndSeed")();
  const std::int32_t f = routine<std::int32_t(KvString*)>("%WriteFile$filename")(core::kvStrConst(gPath.c_str()));
  routine<void(std::int32_t, float)>("WriteFloat%stream#float")(f, 2.5f);
  routine<void(std::int32_t, std::int32_t)>("WriteInt%stream%int")(f, 7);
  const std::int32_t bank = routine<std::int32_t(std::int32_t)>("%CreateBank%size=0")(64);
  routine<void(std::int32_t, std::int32_t, std::int32_t)>("PokeInt%bank%offset%value")(bank, 0, 1);
}

TEST_F(StdlibProgram, EndOfRunFinishesFilesAndFreesBanks) {
  EXPECT_EQ(runOnModules(&leaveThingsOpen, "", &hooks, kStdlibModules), nullptr);
  EXPECT_EQ(gSeedAtStart, 4660);
  EXPECT_EQ(fileBytes(gPath), std::string("\x00\x00\x20\x40\x07\x00\x00\x00", 8));
  EXPECT_EQ(stdlib::liveStreamCount(), 0u);
  EXPECT_EQ(stdlib::liveBankCount(), 0u);
}

void peekPastTheEnd() {
  const std::int32_t bank = routine<std::int32_t(std::int32_t)>("%CreateBank%size=0")(8);
  routine<std::int32_t(std::int32_t, std::int32_t)>("%PeekInt%bank%offset")(bank, 5);
  routine<void(std::int32_t)>("SeedRnd%seed")(1);
}

TEST_F(StdlibProgram, DebugModeErrorEndsTheRunWithItsMessage) {
  cmd::SeedRnd(99);
  EXPECT_STREQ(runOnModules(&peekPastTheEnd, "", &hooks, kStdlibModules), "Offset out of range");
  EXPECT_NE(cmd::RndSeed(), 1);
  EXPECT_EQ(stdlib::liveBankCount(), 0u);
}

void peekPastTheEndQuietly() {
  const std::int32_t bank = routine<std::int32_t(std::int32_t)>("%CreateBank%size=0")(8);
  gSeedAtStart = routine<std::int32_t(std::int32_t, std::int32_t)>("%PeekInt%bank%offset")(bank, 5);
}

TEST_F(StdlibProgram, WithoutHooksOutOfRangeReadsZero) {
  gSeedAtStart = -1;
  EXPECT_EQ(runOnModules(&peekPastTheEndQuietly, "", nullptr, kStdlibModules), nullptr);
  EXPECT_EQ(gSeedAtStart, 0);
}

}  // namespace
}  // namespace korvo
