// Real files from Debian packages played through the engine into the WAV file output: each
// kind of file that loads is heard.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "debian_files.h"
#include "engine_fixture.h"
#include "sound/formats/sample_loader.h"

namespace korvo::sound::test {
namespace {

std::string outputPath() {
  return std::string(::testing::TempDir()) + "real_files_play_" + std::to_string(::getpid()) + ".wav";
}

class RealFilesPlayTest : public EngineTest {
 protected:
  std::string audioChoice() const override { return "wav:" + outputPath(); }
  void TearDown() override {
    EngineTest::TearDown();
    std::remove(outputPath().c_str());
  }
};

// Loudest output sample of half a second of the file playing.
int loudestPlayed(SoundEngine& engine, platform::VirtualClock& clock, const std::string& path) {
  Sample* sample = loadSample(engine, kSlotFree, path.c_str(), 0x2130, 0);
  EXPECT_NE(sample, nullptr) << path;
  if (!sample) return 0;
  EXPECT_GE(engine.playSample(kFreeChannel, sample), 0);
  for (int i = 0; i < 5; ++i) clock.advance(100);
  engine.close();
  std::ifstream in(outputPath(), std::ios::binary);
  const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  int loudest = 0;
  for (std::size_t at = 44; at + 1 < file.size(); at += 2)
    loudest = std::max(loudest, std::abs(static_cast<int>(static_cast<std::int16_t>(file[at] | file[at + 1] << 8))));
  return loudest;
}

TEST_F(RealFilesPlayTest, EveryKindOfFileIsHeard) {
  const std::pair<const char*, const char*> files[] = {
      {"freedroid-data", "/usr/share/games/freedroid/sound/Screenshot.wav"},
      {"pachi-data", "/usr/share/pachi/sounds/stageready.wav"},
      {"libpython3.11-testsuite", "/usr/lib/python3.11/test/audiodata/pluck-pcm16.aiff"},
      {"sound-theme-freedesktop", "/usr/share/sounds/freedesktop/stereo/phone-outgoing-calling.oga"},
      {"csound-doc", "/usr/share/doc/csound-doc/html/examples/beats.mp3.gz"},
  };
  int heard = 0;
  for (const auto& [package, member] : files) {
    const std::string path = korvo::test::debianFile(package, member);
    if (path.empty()) continue;
    start();
    EXPECT_GT(loudestPlayed(engine_, clock_, path), 100) << member;
    ++heard;
  }
  if (heard == 0) GTEST_SKIP() << "no package with test sounds could be fetched";
}

}  // namespace
}  // namespace korvo::sound::test
