// The game's folder opened through the runtime by a compiled program (tobrix-contact, run
// headless on the virtual clock): every sheet, sound, tune and font size loads, and the
// contact sheet is saved. Also: the generator gives the same bytes on every run.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tobrix::gamedata {
namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
  ::pclose(pipe);
  return out;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(AssetProgram, OpensEveryFileThroughTheRuntimeAndSavesTheContactSheet) {
  const fs::path out(TOBRIX_OUT_DIR);
  const fs::path sheet = out.parent_path() / "tobrix-contact.bmp";
  fs::remove(sheet);
  const std::string log = run("KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual KORVO_DEBUG=1 '" +
                              std::string(TOBRIX_CONTACT) + "' '" + out.string() + "' 2>&1");
  EXPECT_EQ(log.find("FAILED"), std::string::npos) << log;
  EXPECT_NE(log.find("failures 0"), std::string::npos) << log;
  // 8 sheets, 16 font lines, the saved sheet, 21 sounds, 2 x 2 tune lines.
  std::size_t oks = 0;
  for (std::size_t at = log.find("ok "); at != std::string::npos; at = log.find("ok ", at + 1)) ++oks;
  EXPECT_EQ(oks, 50u) << log;
  EXPECT_TRUE(fs::exists(sheet));
}

TEST(Generator, GivesTheSameBytesEveryRun) {
  // A folder of this run's own: runs on one machine at once must not share one.
  std::string pattern = (fs::path(::testing::TempDir()) / "tobrix-data-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const fs::path root(pattern), a = root / "a", b = root / "b";
  for (const fs::path& dir : {a, b}) {
    ASSERT_EQ(std::system(("'" + std::string(TOBRIX_GENERATOR) + "' '" + TOBRIX_DATA_DIR + "' '" + dir.string() + "'").c_str()), 0);
  }
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(a)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const fs::path other = b / fs::relative(entry.path(), a);
    EXPECT_EQ(readAll(entry.path()), readAll(other)) << other;
    // And the build's own copy is the same.
    EXPECT_EQ(readAll(entry.path()), readAll(fs::path(TOBRIX_OUT_DIR) / fs::relative(entry.path(), a))) << other;
  }
  // 8 sheets, 21 sounds, 2 tunes, the font, the pack and the test map.
  EXPECT_EQ(files, 34u);
  fs::remove_all(root);
}

}  // namespace
}  // namespace tobrix::gamedata
