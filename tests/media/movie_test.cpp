// Movies through the movie commands on the headless display and the virtual clock: pictures
// drawn stretched and clipped, timing from the open, the end of the stream, handles that are
// not live, refused names and files, and hostile files that must neither crash nor hang.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <gtest/gtest.h>

#include "backend/clock.h"
#include "media/graphics/canvas_commands.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics_program.h"
#include "media/movies/movie.h"
#include "media/movies/movie_commands.h"
#include "support/movie_writer.h"

namespace korvo {
namespace {

namespace fs = std::filesystem;
using testing::MovieSpec;

KvString* str(const std::string& s) { return core::newString(s); }

platform::Canvas& buffer() { return *platform::currentBuffer(); }

// True when argb is within tolerance of rgb in each channel (lossy coding moves colours).
bool near(std::uint32_t argb, std::uint32_t rgb, int tolerance = 24) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(static_cast<int>((argb >> shift) & 255) - static_cast<int>((rgb >> shift) & 255)) > tolerance)
      return false;
  }
  return true;
}

class Movies : public ::testing::Test {
 protected:
  void SetUp() override { platform::setClock(&clock_); }
  void TearDown() override {
    platform::setClock(nullptr);
    fs::remove_all(dir_);
  }

  // Runs body as a program with the graphics module; its error text ("" for none).
  static std::string run(std::function<void()> body) { return testing::runGraphicsProgram(std::move(body), false); }

  // Writes a movie into the scratch folder; its path.
  std::string write(const MovieSpec& spec, const std::string& name) {
    fs::create_directories(dir_);
    const std::string path = (dir_ / name).string();
    EXPECT_TRUE(testing::writeMovieFile(spec, path)) << name;
    return path;
  }
  std::string write(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    fs::create_directories(dir_);
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return path;
  }

  // A movie of colourOfSecond's colours: 10 frames a second for seconds seconds.
  static MovieSpec seconds(std::int32_t seconds, std::string container = "avi", std::string codec = "mpeg4") {
    MovieSpec spec;
    spec.container = std::move(container);
    spec.codec = std::move(codec);
    spec.frames = seconds * 10;
    spec.colour = [](std::int32_t n) { return testing::colourOfSecond(n / 10); };
    return spec;
  }

  // Draws the movie at 60 draws a second until it stops; the number of draws that returned 1.
  std::int32_t playToEnd(std::int32_t movie, std::int32_t limit = 100000) {
    std::int32_t draws = 0;
    for (std::uint32_t n = 0; cmd::DrawMovie(movie, 0, 0, -1, -1) && draws < limit; ++n) {
      ++draws;
      clock_.advance(n % 3 == 2 ? 16 : 17);
    }
    return draws;
  }

  platform::VirtualClock clock_{1000};
  fs::path dir_ = fs::temp_directory_path() / ("korvo_movie_test_" + std::to_string(::getpid()));
};

TEST_F(Movies, DrawsTheFrameDueStretchedAndClippedIntoTheBuffer) {
  const std::string file = write(seconds(3), "colours.avi");
  const std::string error = run([&] {
    const std::int32_t movie = cmd::OpenMovie(str(file));
    ASSERT_NE(movie, 0);
    EXPECT_EQ(cmd::MovieWidth(movie), 64);
    EXPECT_EQ(cmd::MovieHeight(movie), 48);
    EXPECT_EQ(cmd::MoviePlaying(movie), 1);
    // Origin and viewport of the buffer do not apply to a movie.
    cmd::Origin(50, 50);
    cmd::Viewport(0, 0, 10, 10);
    // Twice the size, reaching past the right and bottom edges of the 400 × 300 buffer.
    EXPECT_EQ(cmd::DrawMovie(movie, 300, 250, 128, 96), 1);
    platform::Canvas& b = buffer();
    EXPECT_TRUE(near(b.getPixelFast(300, 250), 0xFF0000)) << std::hex << b.getPixelFast(300, 250);
    // The bits no channel uses stay clear, as every drawing command leaves them.
    EXPECT_EQ(b.format().fetchRaw(b.surface().at(300, 250)) & ~b.format().colourMask(), 0u);
    EXPECT_TRUE(near(b.getPixelFast(399, 299), 0xFF0000));
    EXPECT_EQ(b.getPixelFast(299, 250) & 0xFFFFFF, 0u);
    EXPECT_EQ(b.getPixelFast(300, 249) & 0xFFFFFF, 0u);
    // A second later the next colour shows; shrunk to 8 × 8 at the top left, past the left edge.
    clock_.advance(1000);
    EXPECT_EQ(cmd::DrawMovie(movie, -4, 0, 8, 8), 1);
    EXPECT_TRUE(near(b.getPixelFast(0, 0), 0x00FF00));
    EXPECT_TRUE(near(b.getPixelFast(3, 7), 0x00FF00));
    EXPECT_EQ(b.getPixelFast(4, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(b.getPixelFast(0, 8) & 0xFFFFFF, 0u);
    // The defaults: the movie's own size at (0, 0).
    clock_.advance(1000);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 1);
    EXPECT_TRUE(near(b.getPixelFast(63, 47), 0x0000FF));
    EXPECT_EQ(b.getPixelFast(64, 47) & 0xFFFFFF, 0u);
    // Nothing is drawn where the width or height is 0.
    EXPECT_EQ(cmd::DrawMovie(movie, 100, 100, 0, 10), 1);
    EXPECT_EQ(b.getPixelFast(100, 100) & 0xFFFFFF, 0u);
    cmd::CloseMovie(movie);
  });
  EXPECT_EQ(error, "");
}

TEST_F(Movies, EveryDisplayDepthGetsTheSameColours) {
  const std::string file = write(seconds(1), "red.avi");
  for (std::int32_t depth : {16, 24, 32}) {
    const std::string error = run([&] {
      cmd::Graphics(640, 480, depth, 1);
      const std::int32_t movie = cmd::OpenMovie(str(file));
      ASSERT_NE(movie, 0) << depth;
      EXPECT_EQ(cmd::DrawMovie(movie, 10, 10, -1, -1), 1);
      EXPECT_TRUE(near(buffer().getPixel(40, 30), 0xFF0000)) << depth << " " << std::hex << buffer().getPixel(40, 30);
    });
    EXPECT_EQ(error, "");
  }
}

TEST_F(Movies, PlaysAtItsOwnSpeedAndEndsAfterTheLastFrame) {
  const std::string file = write(seconds(2), "two.avi");
  const std::string error = run([&] {
    const std::int32_t movie = cmd::OpenMovie(str(file));
    // Time passes before the first draw: the movie is a second in already.
    clock_.advance(1500);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 1);
    EXPECT_TRUE(near(buffer().getPixelFast(5, 5), 0x00FF00));
    // The last frame (1.9 s) shows until 2.0 s.
    clock_.advance(499);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 1);
    clock_.advance(1);
    cmd::Cls();
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 0);
    EXPECT_EQ(cmd::MoviePlaying(movie), 0);
    EXPECT_EQ(buffer().getPixelFast(5, 5) & 0xFFFFFF, 0u);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 0);
    EXPECT_EQ(cmd::MovieWidth(movie), 64);
  });
  EXPECT_EQ(error, "");
}

TEST_F(Movies, EveryFrameIsShownAtSixtyDrawsASecondAndTheSameOnEveryRun) {
  MovieSpec spec = seconds(3);
  spec.fps = 25;
  spec.frames = 75;
  spec.colour = [](std::int32_t n) { return static_cast<std::uint32_t>(n * 3 % 256) << 16 | 0x4080; };
  const std::string file = write(spec, "steps.avi");
  std::vector<std::uint32_t> pixels[2];
  for (auto& seen : pixels) {
    const std::string error = run([&] {
      const std::int32_t movie = cmd::OpenMovie(str(file));
      std::int32_t draws = 0;
      for (std::uint32_t n = 0; cmd::DrawMovie(movie, 0, 0, -1, -1); ++n, ++draws) {
        seen.push_back(buffer().getPixelFast(32, 24));
        clock_.advance(n % 3 == 2 ? 16 : 17);
      }
      EXPECT_EQ(platform::findMovie(movie)->framesShown(), 75);
      EXPECT_NEAR(draws, 180, 2);
    });
    EXPECT_EQ(error, "");
  }
  EXPECT_EQ(pixels[0], pixels[1]);
  EXPECT_GE(std::set<std::uint32_t>(pixels[0].begin(), pixels[0].end()).size(), 70u);
}

TEST_F(Movies, HandlesThatAreNotLiveGiveZeroAndDoNothing) {
  const std::string file = write(seconds(1), "one.avi");
  const std::string error = run([&] {
    for (std::int32_t handle : {0, -1, 7777}) {
      EXPECT_EQ(cmd::MovieWidth(handle), 0);
      EXPECT_EQ(cmd::MovieHeight(handle), 0);
      EXPECT_EQ(cmd::MoviePlaying(handle), 0);
      EXPECT_EQ(cmd::DrawMovie(handle, 0, 0, -1, -1), 0);
      cmd::CloseMovie(handle);
    }
    const std::int32_t movie = cmd::OpenMovie(str(file));
    cmd::CloseMovie(movie);
    cmd::CloseMovie(movie);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 0);
    // A new movie never takes a closed one's handle.
    EXPECT_NE(cmd::OpenMovie(str(file)), movie);
  });
  EXPECT_EQ(error, "");
}

TEST_F(Movies, MoviesCloseWithTheirDisplay) {
  const std::string file = write(seconds(1), "one.avi");
  const std::string error = run([&] {
    const std::int32_t movie = cmd::OpenMovie(str(file));
    EXPECT_EQ(cmd::MovieWidth(movie), 64);
    cmd::Graphics(640, 480, 0, 2);
    EXPECT_EQ(cmd::MovieWidth(movie), 0);
    EXPECT_EQ(cmd::DrawMovie(movie, 0, 0, -1, -1), 0);
    // Closing a movie frees its frame canvas at once.
    const std::int32_t second = cmd::OpenMovie(str(file));
    const std::int32_t before = cmd::AvailVidMem();
    cmd::CloseMovie(second);
    EXPECT_EQ(cmd::AvailVidMem(), before + 64 * 4 * 48);
  });
  EXPECT_EQ(error, "");
}

TEST_F(Movies, NamesFollowThePathRulesAndNetworkNamesAreRefused) {
  const std::string file = write(seconds(1), "Clip.AVI");
  const std::string error = run([&] {
    std::string spelled = dir_.string() + "\\clip.avi";
    EXPECT_NE(cmd::OpenMovie(str(spelled)), 0);
    EXPECT_NE(cmd::OpenMovie(str("file://" + file)), 0);
    EXPECT_EQ(cmd::OpenMovie(str("http://localhost/clip.avi")), 0);
    EXPECT_EQ(cmd::OpenMovie(str("HTTP:\\\\localhost\\clip.avi")), 0);
    EXPECT_EQ(cmd::OpenMovie(str("rtsp://localhost/clip")), 0);
    EXPECT_EQ(cmd::OpenMovie(str(dir_.string() + "/missing.avi")), 0);
    EXPECT_EQ(cmd::OpenMovie(str("")), 0);
  });
  EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace korvo
