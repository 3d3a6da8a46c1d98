// The filesystem module: open modes, positions, replacement safety of WriteFile, directory
// listings, path commands and the module's life on the host.
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "stdlib/file_system.h"
#include "stdlib/filesystem_commands.h"
#include "stdlib/kv_stream.h"
#include "stdlib/stream_commands.h"
#include "stdlib_fixture.h"

namespace korvo::cmd {
namespace {

namespace fs = std::filesystem;

class Files : public testing::StdlibTest {
 protected:
  std::vector<std::string> listing(const std::string& dir) {
    const std::int32_t d = ReadDir(str(dir));
    EXPECT_NE(d, 0);
    std::vector<std::string> names;
    for (std::string name = text(NextFile(d)); !name.empty(); name = text(NextFile(d))) names.push_back(name);
    CloseDir(d);
    return names;
  }
  // Entries of the working directory other than the test's own files.
  std::size_t strayFiles(std::size_t expected) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(".")) ++n;
    return n - expected;
  }
};

TEST_F(Files, MissingFilesDoNotOpen) {
  EXPECT_EQ(ReadFile(str("nothing.dat")), 0);
  EXPECT_EQ(OpenFile(str("nothing.dat")), 0);
  EXPECT_EQ(WriteFile(str("no/such/dir/file.dat")), 0);
  EXPECT_EQ(ReadFile(str("")), 0);
  fs::create_directory("adir");
  EXPECT_EQ(WriteFile(str("adir")), 0);
  EXPECT_EQ(ReadFile(str("adir")), 0);
  EXPECT_EQ(OpenFile(str("adir")), 0);
  EXPECT_TRUE(fs::is_directory("adir"));
}

TEST_F(Files, NamesResolveWithBackslashesAndAnyCase) {
  fs::create_directory("Levels");
  putFile("Levels/Classic.PAK", "pack");
  const std::int32_t f = ReadFile(str("levels\\classic.pak"));
  ASSERT_NE(f, 0);
  EXPECT_EQ(text(ReadLine(f)), "pack");
  EXPECT_EQ(FileType(str("LEVELS")), 2);
  EXPECT_EQ(FileSize(str("levels\\CLASSIC.pak")), 4);
}

TEST_F(Files, SeekAndPositionInAnUpdatedFile) {
  putFile("data.bin", "0123456789");
  const std::int32_t f = OpenFile(str("data.bin"));
  ASSERT_NE(f, 0);
  EXPECT_EQ(FilePos(f), 0);
  EXPECT_EQ(SeekFile(f, 4), 4);
  EXPECT_EQ(FilePos(f), 4);
  EXPECT_EQ(ReadByte(f), '4');
  EXPECT_EQ(FilePos(f), 5);
  WriteByte(f, 'X');
  EXPECT_EQ(FilePos(f), 6);
  EXPECT_EQ(SeekFile(f, -1), -1);
  EXPECT_EQ(SeekFile(f, 0), 0);
  EXPECT_EQ(ReadInt(f), 0x33323130);
  CloseFile(f);
  EXPECT_EQ(getFile("data.bin"), "01234X6789");
}

TEST_F(Files, WriteFileLeavesTheOldFileUntilClosed) {
  putFile("save.dat", "old contents");
  ::chmod("save.dat", 0640);
  const std::int32_t f = WriteFile(str("save.dat"));
  ASSERT_NE(f, 0);
  WriteLine(f, str("new"));
  EXPECT_EQ(getFile("save.dat"), "old contents");
  EXPECT_EQ(FilePos(f), 5);
  ChangeDir(str(".."));  // the target was fixed when the file was opened
  CloseFile(f);
  ChangeDir(str(dir_));
  EXPECT_EQ(getFile("save.dat"), "new\r\n");
  struct stat st;
  ASSERT_EQ(::stat("save.dat", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(strayFiles(1), 0u);
}

TEST_F(Files, ShutdownFinishesReplacementsAndClosesEverything) {
  putFile("a.txt", "old");
  const std::int32_t w = WriteFile(str("a.txt"));
  WriteLine(w, str("fresh"));
  const std::int32_t r = ReadFile(str("a.txt"));
  EXPECT_EQ(text(ReadLine(r)), "old");
  EXPECT_EQ(stdlib::liveStreamCount(), 2u);
  destroyFilesystemModule();
  EXPECT_EQ(stdlib::liveStreamCount(), 0u);
  EXPECT_EQ(getFile("a.txt"), "fresh\r\n");
  EXPECT_EQ(strayFiles(1), 0u);
  ASSERT_TRUE(createFilesystemModule());
  EXPECT_EQ(FilePos(w), 0);
}

TEST_F(Files, WriteFileThroughASymbolicLinkKeepsTheLink) {
  putFile("real.txt", "old");
  fs::create_symlink("real.txt", "link.txt");
  const std::int32_t f = WriteFile(str("link.txt"));
  WriteByte(f, 'n');
  CloseFile(f);
  EXPECT_TRUE(fs::is_symlink("link.txt"));
  EXPECT_EQ(getFile("real.txt"), "n");
}

TEST_F(Files, WriteFileTakesTheLongestNameTheFileSystemAllows) {
  // The temporary beside the target must not be refused for a name the target may have.
  const std::string name(250, 'n');
  putFile(name, "old");
  std::int32_t f = WriteFile(str(name));
  ASSERT_NE(f, 0);
  WriteLine(f, str("new"));
  CloseFile(f);
  EXPECT_EQ(getFile(name), "new\r\n");
  const std::string fresh(255, 'f');
  f = WriteFile(str(fresh));
  ASSERT_NE(f, 0);
  CloseFile(f);
  EXPECT_TRUE(fs::exists(fresh));
  EXPECT_EQ(strayFiles(2), 0u);
}

// File system checks of this thread as another user, for as long as it lives; restricted()
// is false where the process may not take another identity.
class OtherUser {
 public:
  OtherUser() {
    if (::geteuid() != 0) return;
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
    restricted_ = ::setfsuid(kNobody) == kNobody;
  }
  ~OtherUser() {
    ::setfsuid(0);
    ::setfsgid(0);
  }
  bool restricted() const { return restricted_ || ::geteuid() != 0; }

 private:
  static constexpr int kNobody = 65534;
  bool restricted_ = false;
};

TEST_F(Files, WriteFileInAFolderThatTakesNoNewFilesOverwritesInPlace) {
  fs::create_directory("locked");
  putFile("locked/scores.dat", "old scores");
  fs::permissions(".", fs::perms::all);
  fs::permissions("locked/scores.dat", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                           fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
  fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  std::string written;
  {
    OtherUser user;
    if (!user.restricted()) GTEST_SKIP() << "cannot check files as another user here";
    const int probe = ::open("locked/scores.dat", O_WRONLY);
    if (probe < 0) GTEST_SKIP() << "another user cannot reach the test folder";
    ::close(probe);
    const std::int32_t f = WriteFile(str("locked/scores.dat"));
    ASSERT_NE(f, 0);
    WriteLine(f, str("new"));
    CloseFile(f);
  }
  fs::permissions("locked", fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(getFile("locked/scores.dat"), "new\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("locked"), fs::directory_iterator()), 1);
}

TEST_F(Files, WriteFileToAPipeWritesIntoThePipe) {
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  const int reader = ::open("pipe", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const std::int32_t f = WriteFile(str("pipe"));
  ASSERT_NE(f, 0);
  WriteLine(f, str("to the reader"));
  CloseFile(f);
  char got[32] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 15);
  ::close(reader);
  EXPECT_EQ(std::string(got), "to the reader\r\n");
  EXPECT_TRUE(fs::is_fifo("pipe"));
  EXPECT_EQ(strayFiles(1), 0u);
}

TEST_F(Files, ReadFileCannotWriteAndWriteFileCannotRead) {
  putFile("r.txt", "abc");
  const std::int32_t r = ReadFile(str("r.txt"));
  WriteByte(r, 'x');
  CloseFile(r);
  EXPECT_EQ(getFile("r.txt"), "abc");
  const std::int32_t w = WriteFile(str("w.txt"));
  EXPECT_EQ(Eof(w), 1);
  EXPECT_EQ(ReadByte(w), 0);
  CloseFile(w);
}

TEST_F(Files, DeadFileHandles) {
  const std::int32_t f = WriteFile(str("x"));
  CloseFile(f);
  CloseFile(f);
  EXPECT_EQ(FilePos(f), 0);
  EXPECT_EQ(SeekFile(f, 3), 0);
  expectError([&] { CloseFile(f); }, "File does not exist");
  expectError([&] { FilePos(f); }, "File does not exist");
  expectError([&] { SeekFile(f, 0); }, "File does not exist");
}

TEST_F(Files, DirectoriesListSortedWithDotEntries) {
  fs::create_directory("lv");
  putFile("lv/b.txt", "");
  putFile("lv/A.pak", "");
  fs::create_directory("lv/c");
  EXPECT_EQ(listing("lv"), (std::vector<std::string>{".", "..", "A.pak", "b.txt", "c"}));
  EXPECT_EQ(listing("LV\\"), listing("lv"));
  // Names that sort before "." byte by byte still come after the two dot entries.
  fs::create_directory("odd");
  for (const char* name : {"-x", "#y", "(z", "+w", "!v"}) putFile(std::string("odd/") + name, "");
  EXPECT_EQ(listing("odd"), (std::vector<std::string>{".", "..", "!v", "#y", "(z", "+w", "-x"}));
  EXPECT_EQ(ReadDir(str("missing")), 0);
  putFile("plain", "");
  EXPECT_EQ(ReadDir(str("plain")), 0);
}

TEST_F(Files, FinishedAndClosedDirectories) {
  fs::create_directory("d");
  const std::int32_t d = ReadDir(str("d"));
  EXPECT_EQ(text(NextFile(d)), ".");
  EXPECT_EQ(text(NextFile(d)), "..");
  EXPECT_EQ(text(NextFile(d)), "");
  EXPECT_EQ(text(NextFile(d)), "");
  CloseDir(d);
  CloseDir(d);
  EXPECT_EQ(text(NextFile(d)), "");
  expectError([&] { core::kvStrRelease(NextFile(d)); }, "Directory does not exist");
  const std::int32_t left = ReadDir(str("d"));
  EXPECT_GT(left, d);
  EXPECT_EQ(stdlib::fileSystem()->openDirectories(), 1u);
}

TEST_F(Files, EmptyDirectoryNameListsTheRoot) {
  const std::int32_t d = ReadDir(str(""));
  ASSERT_NE(d, 0);
  EXPECT_EQ(text(NextFile(d)), ".");
  CloseDir(d);
}

TEST_F(Files, TypesAndSizes) {
  fs::create_directory("sub");
  putFile("five", "12345");
  EXPECT_EQ(FileType(str("sub")), 2);
  EXPECT_EQ(FileType(str("five")), 1);
  EXPECT_EQ(FileType(str("none")), 0);
  EXPECT_EQ(FileType(str("")), 0);
  EXPECT_EQ(FileSize(str("sub")), 0);
  EXPECT_EQ(FileSize(str("five")), 5);
  EXPECT_EQ(FileSize(str("none")), 0);
}

TEST_F(Files, PathCommands) {
  const std::string start = text(CurrentDir());
  ASSERT_FALSE(start.empty());
  EXPECT_EQ(start.back(), '/');
  CreateDir(str("made"));
  EXPECT_EQ(FileType(str("made")), 2);
  ChangeDir(str("MADE"));
  EXPECT_EQ(text(CurrentDir()), start + "made/");
  ChangeDir(str("does-not-exist"));
  EXPECT_EQ(text(CurrentDir()), start + "made/");
  ChangeDir(str(".."));
  putFile("made/inner", "x");
  DeleteDir(str("made"));
  EXPECT_EQ(FileType(str("made")), 2);
  DeleteFile(str("made\\inner"));
  EXPECT_EQ(FileType(str("made/inner")), 0);
  DeleteFile(str("made"));
  EXPECT_EQ(FileType(str("made")), 2);
  DeleteDir(str("made"));
  EXPECT_EQ(FileType(str("made")), 0);
}

TEST_F(Files, CopyFileOverwrites) {
  putFile("src", "source bytes");
  putFile("dst", "an older and longer target");
  CopyFile(str("src"), str("dst"));
  EXPECT_EQ(getFile("dst"), "source bytes");
  CopyFile(str("absent"), str("dst"));
  EXPECT_EQ(getFile("dst"), "source bytes");
  CopyFile(str("SRC"), str("new"));
  EXPECT_EQ(getFile("new"), "source bytes");
}

TEST_F(Files, ModuleNeedsTheHostsObject) {
  destroyFilesystemModule();
  auto* taken = host_->open(platform::SubsystemSlot::kFiles, [] { return std::make_unique<stdlib::FileSystem>(); });
  ASSERT_NE(taken, nullptr);
  EXPECT_FALSE(createFilesystemModule());
  host_->close(platform::SubsystemSlot::kFiles, taken);
  ASSERT_TRUE(createFilesystemModule());
  EXPECT_NE(host_->subsystem(platform::SubsystemSlot::kFiles), nullptr);
  destroyFilesystemModule();
  EXPECT_EQ(host_->subsystem(platform::SubsystemSlot::kFiles), nullptr);
  ASSERT_TRUE(createFilesystemModule());
}

}  // namespace
}  // namespace korvo::cmd
