// Movie files: a real one from a Debian package and movies of every container and codec we
// can encode, checked against ffprobe, played to the end at 60 draws a second; then files that
// lie, break or change size mid-stream, which must play what they can and end.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "backend/clock.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics_program.h"
#include "media/movies/movie.h"
#include "media/movies/movie_commands.h"
#include "support/debian_package.h"
#include "support/movie_writer.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;
using testing::MovieSpec;
using Bytes = std::vector<std::uint8_t>;

KvString* str(const std::string& s) { return core::newString(s); }

// What ffprobe says of a file's first video stream: "width,height,frames", or "" without it.
std::string probe(const std::string& file) {
  const std::string command =
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=width,height,nb_read_frames -of csv=p=0 '" +
      file + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), &::pclose);
  std::string out;
  char chunk[256];
  while (pipe && std::fgets(chunk, sizeof chunk, pipe.get())) out += chunk;
  while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
  return out;
}

struct Played {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t frames = 0;  // frames shown
  std::int32_t draws = 0;   // draws that returned 1
  bool opened = false;
};

class MovieFiles : public ::testing::Test {
 protected:
  void SetUp() override { platform::setClock(&clock_); }
  void TearDown() override {
    platform::setClock(nullptr);
    fs::remove_all(dir_);
  }

  std::string write(const Bytes& bytes, const std::string& name) {
    fs::create_directories(dir_);
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }

  // Opens file and draws it at 60 draws a second until it stops (at most limitMs).
  Played play(const std::string& file, std::uint32_t limitMs = 120000) {
    Played p;
    const std::string error = testing::runGraphicsProgram(
        [&] {
          const std::int32_t movie = cmd::OpenMovie(str(file));
          p.opened = movie != 0;
          if (!movie) return;
          p.width = cmd::MovieWidth(movie);
          p.height = cmd::MovieHeight(movie);
          const std::uint32_t start = clock_.now();
          for (std::uint32_t n = 0; cmd::DrawMovie(movie, 0, 0, -1, -1) && clock_.now() - start < limitMs; ++n) {
            ++p.draws;
            clock_.advance(n % 3 == 2 ? 16 : 17);
          }
          p.frames = platform::findMovie(movie)->framesShown();
          EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 0);
          EXPECT_EQ(cmd::MoviePlaying(movie), 0);
        },
        false);
    EXPECT_EQ(error, "");
    return p;
  }

  // Checks that file plays whole: its size and frame count as ffprobe gives them, and every
  // frame shown (within 2 %).
  void expectPlaysLikeFfprobeSays(const std::string& file) {
    const std::string probed = probe(file);
    if (probed.empty()) GTEST_SKIP() << "ffprobe (package ffmpeg) is not installed";
    const Played p = play(file);
    ASSERT_TRUE(p.opened) << file;
    int width = 0, height = 0, frames = 0;
    ASSERT_EQ(std::sscanf(probed.c_str(), "%d,%d,%d", &width, &height, &frames), 3) << probed;
    EXPECT_EQ(p.width, width) << file;
    EXPECT_EQ(p.height, height) << file;
    EXPECT_NEAR(p.frames, frames, frames * 0.02) << file;
  }

  static MovieSpec colours(std::string container, std::string codec, std::int32_t frames = 30) {
    MovieSpec spec;
    spec.container = std::move(container);
    spec.codec = std::move(codec);
    spec.frames = frames;
    spec.colour = [](std::int32_t n) { return testing::colourOfSecond(n / 10); };
    return spec;
  }

  platform::VirtualClock clock_{500};
  fs::path dir_ = fs::temp_directory_path() / ("korvo_movie_files_" + std::to_string(::getpid()));
};

TEST_F(MovieFiles, ARealMpeg1FilePlaysEveryFrame) {
  const auto file = test::debianFile("python-pygame-doc", "/usr/share/doc/python-pygame-doc/examples/data/blue.mpg");
  if (!file) GTEST_SKIP() << "package python-pygame-doc cannot be had";
  // Its frames carry no timestamps: they come at the stream's 30 a second.
  expectPlaysLikeFfprobeSays(*file);
  EXPECT_NEAR(play(*file).draws, 24 * 2, 2);
}

TEST_F(MovieFiles, EveryContainerAndCodecPlaysEveryFrame) {
  const std::pair<const char*, const char*> kinds[] = {
      {"avi", "mpeg4"},       {"matroska", "mpeg4"},    {"mp4", "mpeg4"}, {"mpeg", "mpeg1video"},
      {"mpeg", "mpeg2video"}, {"mpegts", "mpeg2video"}, {"avi", "mjpeg"}, {"matroska", "ffv1"}};
  for (const auto& [container, codec] : kinds) {
    const Bytes bytes = testing::writeMovie(colours(container, codec, 25));
    if (bytes.empty()) {
      ADD_FAILURE() << container << "/" << codec << " could not be encoded";
      continue;
    }
    expectPlaysLikeFfprobeSays(write(bytes, std::string(container) + "_" + codec));
  }
}

TEST_F(MovieFiles, FilesWithoutPicturesOrOfOtherKindsAreRefused) {
  MovieSpec sound = colours("matroska", "mpeg4");
  sound.video = false;
  sound.audioRate = 22050;
  const Bytes soundOnly = testing::writeMovie(sound);
  ASSERT_FALSE(soundOnly.empty());
  EXPECT_FALSE(play(write(soundOnly, "sound.mkv")).opened);
  Bytes noise(20000);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>(i * 7919 >> 3);
  EXPECT_FALSE(play(write(noise, "noise.avi")).opened);
  EXPECT_FALSE(play(write({}, "empty.avi")).opened);
  // A WAV file is a container of no movie.
  const Bytes wav = {'R', 'I', 'F', 'F', 36, 0, 0,   0,   'W', 'A',  'V',  'E', 'f', 'm',  't',
                     ' ', 16,  0,   0,   0,  1, 0,   1,   0,   0x44, 0xAC, 0,   0,   0x88, 0x58,
                     1,   0,   2,   0,   16, 0, 'd', 'a', 't', 'a',  0,    0,   0,   0};
  EXPECT_FALSE(play(write(wav, "sound.wav")).opened);
}

TEST_F(MovieFiles, SizesAboveTheLimitAreRefused) {
  for (const auto& [width, opens] : {std::pair{8192, true}, std::pair{8194, false}}) {
    MovieSpec spec = colours("avi", "rawvideo", 2);
    spec.width = width;
    spec.height = 2;
    const Played p = play(write(testing::writeMovie(spec), "wide.avi"));
    EXPECT_EQ(p.opened, opens) << width;
    if (opens) {
      EXPECT_EQ(p.frames, 2);
    }
  }
}

// The offset of the 32-bit value at offset within the first chunk named tag, or 0.
std::size_t chunkField(const Bytes& b, const char* tag, std::size_t offset) {
  for (std::size_t i = 0; i + 8 + offset + 4 <= b.size(); ++i)
    if (std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(i))) return i + 8 + offset;
  return 0;
}

void put32(Bytes& b, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST_F(MovieFiles, AHeaderThatLiesAboutItsLengthChangesNothing) {
  const Bytes honest = testing::writeMovie(colours("avi", "mpeg4"));
  const Played truth = play(write(honest, "honest.avi"));
  EXPECT_EQ(truth.frames, 30);
  for (std::uint32_t claim : {1u, 0u, 0x7FFFFFFFu}) {
    Bytes lying = honest;
    // The main header's frame count and the stream header's length.
    const std::size_t total = chunkField(lying, "avih", 16);
    const std::size_t length = chunkField(lying, "strh", 32);
    ASSERT_NE(total, 0u);
    ASSERT_NE(length, 0u);
    put32(lying, total, claim);
    put32(lying, length, claim);
    const Played p = play(write(lying, "lying.avi"));
    EXPECT_EQ(p.frames, truth.frames) << claim;
    EXPECT_EQ(p.draws, truth.draws) << claim;
  }
}

TEST_F(MovieFiles, TruncatedAndCorruptFilesPlayWhatTheyCanAndEnd) {
  const Bytes whole = testing::writeMovie(colours("avi", "mpeg4", 50));
  for (std::size_t keep : {whole.size() * 6 / 10, whole.size() / 4, std::size_t{400}, std::size_t{64}}) {
    const Played p = play(write(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(keep)), "cut.avi"));
    EXPECT_LT(p.frames, 50) << keep;
  }
  for (const char* container : {"avi", "matroska", "mpeg"}) {
    // Moving pictures, so that packets are large and the damage falls in them.
    MovieSpec spec = colours(container, container == std::string("mpeg") ? "mpeg1video" : "mpeg4", 50);
    spec.picture = MovieSpec::Picture::kGradient;
    Bytes broken = testing::writeMovie(spec);
    for (std::size_t i = broken.size() / 5; i < broken.size(); i += 211) broken[i] ^= 0x5A;
    const Played p = play(write(broken, std::string("broken.") + container), 60000);
    EXPECT_TRUE(p.opened) << container;
    EXPECT_GT(p.frames, 5) << container;
    EXPECT_LT(p.draws, 60 * 60) << container;
  }
}

TEST_F(MovieFiles, FramesOfAnotherSizeMidStreamAreScaledIntoTheMoviesSize) {
  MovieSpec first = colours("mpeg1video", "mpeg1video", 10);
  first.colour = [](std::int32_t) { return 0xFF0000u; };
  MovieSpec second = first;
  second.width = 32;
  second.height = 16;
  second.colour = [](std::int32_t) { return 0x0000FFu; };
  Bytes stream = testing::writeMovie(first);
  const Bytes rest = testing::writeMovie(second);
  stream.insert(stream.end(), rest.begin(), rest.end());
  const std::string file = write(stream, "sizes.m1v");
  std::uint32_t corner = 0;
  const std::string error = testing::runGraphicsProgram(
      [&] {
        const std::int32_t movie = cmd::OpenMovie(str(file));
        ASSERT_NE(movie, 0);
        EXPECT_EQ(cmd::MovieWidth(movie), 64);
        EXPECT_EQ(cmd::MovieHeight(movie), 48);
        clock_.advance(1500);
        EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 1);
        corner = platform::currentBuffer()->getPixelFast(63, 47);
      },
      false);
  EXPECT_EQ(error, "");
  EXPECT_GT(corner & 0xFF, 200u) << std::hex << corner;
  EXPECT_LT(corner >> 16 & 0xFF, 40u) << std::hex << corner;
}

}  // namespace
}  // namespace korvo
