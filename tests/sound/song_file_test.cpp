// Songs read by name go through the engine's file layer: a program's file callbacks serve
// them, disk names resolve backslashes and letter case, and a file's claimed length is
// never trusted with an allocation.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "music_fixture.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound::test {
namespace {

namespace fs = std::filesystem;

// A program's files kept in memory, by exact name.
std::map<std::string, std::vector<std::uint8_t>> memoryFiles;
std::vector<std::string> openedNames;
// What the fake's tell reports at the end of a file; 0 for the true size.
std::int64_t claimedLength = 0;

struct MemoryHandle {
  const std::vector<std::uint8_t>* bytes;
  std::int64_t at = 0;
  bool atEnd = false;
};

const formats::FileCallbacks kMemoryCallbacks{
    [](const char* name) -> void* {
      openedNames.emplace_back(name);
      auto it = memoryFiles.find(name);
      return it == memoryFiles.end() ? nullptr : new MemoryHandle{&it->second};
    },
    [](void* h) { delete static_cast<MemoryHandle*>(h); },
    [](void* buffer, std::int64_t size, void* h) -> std::int64_t {
      auto* m = static_cast<MemoryHandle*>(h);
      const std::int64_t n = std::clamp<std::int64_t>(static_cast<std::int64_t>(m->bytes->size()) - m->at, 0, size);
      std::memcpy(buffer, m->bytes->data() + m->at, static_cast<std::size_t>(n));
      m->at += n;
      return n;
    },
    [](void* h, std::int64_t offset, int origin) {
      auto* m = static_cast<MemoryHandle*>(h);
      m->atEnd = origin == 2;
      m->at = (origin == 0 ? 0 : origin == 1 ? m->at : static_cast<std::int64_t>(m->bytes->size())) + offset;
      return true;
    },
    [](void* h) -> std::int64_t {
      auto* m = static_cast<MemoryHandle*>(h);
      return m->atEnd && claimedLength ? claimedLength : m->at;
    },
};

class SongFileTest : public MusicTest {
 protected:
  void SetUp() override {
    XmSongSpec spec;
    spec.instruments.push_back(plainInstrument());
    spec.patterns[0].cells[{0, 0}] = cell(kC4, 1);
    xm_ = writeXm(spec);
  }
  void TearDown() override {
    formats::setFileCallbacks(nullptr);
    memoryFiles.clear();
    openedNames.clear();
    claimedLength = 0;
  }

  std::vector<std::uint8_t> xm_;
};

TEST_F(SongFileTest, InstalledFileCallbacksServeSongs) {
  memoryFiles["Music\\Tune.xm"] = xm_;
  formats::setFileCallbacks(&kMemoryCallbacks);
  music::Song* song = player_.loadSong("Music\\Tune.xm");
  ASSERT_NE(song, nullptr) << "error " << engine_.error;
  EXPECT_EQ(engine_.error, 0);
  EXPECT_EQ(openedNames, std::vector<std::string>{"Music\\Tune.xm"}) << "callbacks get the program's own name";
  EXPECT_EQ(song->channelCount(), 4);
  ASSERT_TRUE(player_.playSong(song));
  tick(song);
  EXPECT_TRUE(engine_.channels[0].playing);

  EXPECT_EQ(player_.loadSong("absent.xm"), nullptr);
  EXPECT_EQ(engine_.error, 9);
  player_.freeSong(song);
}

TEST_F(SongFileTest, AClaimedLengthBeyondTheDataIsNotAllocated) {
  memoryFiles["liar.xm"] = xm_;
  claimedLength = std::int64_t{1} << 50;
  formats::setFileCallbacks(&kMemoryCallbacks);
  music::Song* song = player_.loadSong("liar.xm");
  ASSERT_NE(song, nullptr) << "error " << engine_.error;
  EXPECT_EQ(song->samples.size(), 1u);
  player_.freeSong(song);
}

TEST_F(SongFileTest, DiskNamesResolveBackslashesAndLetterCase) {
  const fs::path dir = fs::temp_directory_path() / ("korvo_song_file_" + std::to_string(::getpid()));
  fs::create_directories(dir / "Songs");
  std::ofstream(dir / "Songs" / "Tune.XM", std::ios::binary)
      .write(reinterpret_cast<const char*>(xm_.data()), static_cast<std::streamsize>(xm_.size()));
  music::Song* song = player_.loadSong(dir.string() + "\\songs\\tune.xm");
  EXPECT_NE(song, nullptr) << "error " << engine_.error;
  player_.freeSong(song);
  EXPECT_EQ(player_.loadSong(dir.string() + "\\songs\\other.xm"), nullptr);
  EXPECT_EQ(engine_.error, 9);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace korvo::sound::test
