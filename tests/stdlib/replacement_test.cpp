// Replacing files when things go wrong: a disk that fills up while the new file is written,
// a disk without room for the temporary, temporaries left by killed writers, and the end of
// a program that failed while a replacement was open.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "stdlib/bank_commands.h"
#include "stdlib/filesystem_commands.h"
#include "stdlib/kv_stream.h"
#include "stdlib/stream_commands.h"
#include "stdlib_fixture.h"
#include "support/small_disk.h"

namespace korvo::cmd {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kMiB = 1 << 20;

class Replacement : public testing::StdlibTest {
 protected:
  // The names in folder other than the ones expected.
  static std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // A bank of count bytes of value.
  static std::int32_t filledBank(std::int32_t count, char value) {
    const std::int32_t bank = CreateBank(count);
    for (std::int32_t i = 0; i < count; ++i) PokeByte(bank, i, value);
    return bank;
  }
  // A process id that no process has: a child that has ended and been reaped.
  static pid_t deadProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
  }
};

TEST_F(Replacement, AFullDiskKeepsTheOldFileWhole) {
  fs::create_directory("disk");
  test::SmallDisk disk("disk", "size=3m");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  const std::string old(kMiB, 'o');
  putFile("disk/save.dat", old);
  const std::int32_t bank = filledBank(kMiB, 'n');
  for (const bool moreAfterwards : {false, true}) {
    const std::int32_t f = WriteFile(str("disk/save.dat"));
    ASSERT_NE(f, 0);
    std::int64_t written = 0;
    for (int i = 0; i < 3; ++i) written += WriteBytes(bank, f, 0, kMiB);
    EXPECT_LT(written, 3 * kMiB) << "the disk was not full";
    // Once a write fell short nothing more is taken: the new file cannot be whole.
    if (moreAfterwards) {
      EXPECT_EQ(WriteBytes(bank, f, 0, 1), 0);
    }
    CloseFile(f);
    EXPECT_TRUE(getFile("disk/save.dat") == old) << "the old file is gone";
    EXPECT_EQ(namesIn("disk"), std::vector<std::string>{"save.dat"});
  }
  // The room the temporary took is free again: a replacement that fits goes through.
  const std::int32_t again = WriteFile(str("disk/save.dat"));
  EXPECT_EQ(WriteBytes(bank, again, 0, kMiB), kMiB);
  CloseFile(again);
  EXPECT_TRUE(getFile("disk/save.dat") == std::string(kMiB, 'n')) << "the new file did not replace it";
}

TEST_F(Replacement, NoRoomForTheTemporaryRefusesTheOpenAndTouchesNothing) {
  fs::create_directory("disk");
  test::SmallDisk disk("disk", "size=1m,nr_inodes=8");
  if (!disk.mounted()) GTEST_SKIP() << disk.why();
  putFile("disk/save.dat", "old scores");
  // Use up every inode left.
  for (int i = 0; fs::exists("disk") && i < 100; ++i) {
    std::ofstream filler("disk/filler" + std::to_string(i));
    if (!filler) break;
  }
  EXPECT_EQ(WriteFile(str("disk/save.dat")), 0);
  EXPECT_EQ(getFile("disk/save.dat"), "old scores");
  EXPECT_EQ(stdlib::liveStreamCount(), 0u);
}

TEST_F(Replacement, TemporariesOfWritersThatAreGoneAreRemoved) {
  putFile("save.dat", "old");
  const std::string dead = std::to_string(deadProcess());
  const std::string mine = std::to_string(::getpid());
  const std::vector<std::string> kept = {
      ".other.dat.part-" + dead + "-1",  // another file's
      ".save.dat.part-" + mine + "-7",   // this process's own, perhaps still being written
      ".save.dat.part-1-3",              // a process that runs
      ".save.dat.part-" + dead + "-x",   // not a temporary's name
      ".save.dat.part-" + dead,
  };
  for (const std::string& name : kept) putFile(name, "keep");
  putFile(".save.dat.part-" + dead + "-1", "left by a killed writer");
  putFile(".save.dat.part-" + dead + "-22", "and another");
  const std::int32_t f = WriteFile(str("save.dat"));
  ASSERT_NE(f, 0);
  CloseFile(f);
  std::vector<std::string> expected = kept;
  expected.push_back("save.dat");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn("."), expected);
}

TEST_F(Replacement, AnEndThatIsNotOrderlyAbandonsReplacementsAndFinishesTheRest) {
  for (const ProgramEnd end : {ProgramEnd::kFailed, ProgramEnd::kInterrupted}) {
    putFile("save.dat", "old save");
    putFile("log.txt", "log:");
    const std::int32_t save = WriteFile(str("save.dat"));
    WriteLine(save, str("half a new save"));
    const std::int32_t log = OpenFile(str("log.txt"));
    SeekFile(log, 4);
    WriteLine(log, str("written in place"));
    setProgramEnd(end);
    destroyFilesystemModule();
    setProgramEnd(ProgramEnd::kOrderly);
    EXPECT_EQ(getFile("save.dat"), "old save");
    EXPECT_EQ(getFile("log.txt"), "log:written in place\r\n");
    EXPECT_EQ(namesIn("."), (std::vector<std::string>{"log.txt", "save.dat"}));
    ASSERT_TRUE(createFilesystemModule());
  }
}

}  // namespace
}  // namespace korvo::cmd
