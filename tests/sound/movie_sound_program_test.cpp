// Movies run by a compiled program headless on the virtual clock, drawn once a refresh until
// they end: the sound track is in the WAV output, the same sound FFmpeg decodes from the file
// alone, in stereo as the file has it and from the moment the movie opens; a movie without
// sound plays the same way and leaves silence.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "program_runs.h"
#include "startup/program_builder.h"
#include "support/movie_sound_reader.h"
#include "support/movie_writer.h"
#include "test_encoders.h"

namespace korvo::sound::test {
namespace {

constexpr std::int32_t kRate = 44100;
// Frames either way that the sound may sit from where its onset puts it.
constexpr int kSlack = 200;

// Two seconds of 64 × 48 pictures at 25 a second, with a sound track in codec when it is set.
korvo::testing::MovieSpec twoSeconds(const char* container, const char* video, const char* audio) {
  korvo::testing::MovieSpec spec;
  spec.container = container;
  spec.codec = video;
  spec.fps = 25;
  spec.frames = 50;
  spec.colour = [](std::int32_t n) { return korvo::testing::colourOfSecond(n / 25); };
  if (audio) {
    spec.audioRate = kRate;
    spec.audioCodec = audio;
  }
  return spec;
}

// The first frame of the output that is not silent (frames() when all are).
std::size_t onset(const ProgramRun& run) {
  std::size_t f = 0;
  while (f < run.frames() && run.left(f) == 0 && run.right(f) == 0) ++f;
  return f;
}

double loudness(const std::vector<std::int16_t>& stereo, int side) {
  double sum = 0;
  for (std::size_t i = static_cast<std::size_t>(side); i < stereo.size(); i += 2)
    sum += static_cast<double>(stereo[i]) * stereo[i];
  return std::sqrt(sum / (static_cast<double>(stereo.size()) / 2));
}

TEST(MovieSoundProgram, TheSoundTrackIsInTheOutputAsFfmpegDecodesIt) {
  struct Kind {
    const char* file;
    const char* container;
    const char* video;
    const char* audio;
  };
  for (const Kind& k : {Kind{"clip.avi", "avi", "mpeg4", "pcm_s16le"}, Kind{"clip.mpg", "mpeg", "mpeg1video", "mp2"}}) {
    korvo::testing::ScratchDir dir;
    const std::string file = dir.file(k.file);
    ASSERT_TRUE(korvo::testing::writeMovieFile(twoSeconds(k.container, k.video, k.audio), file)) << k.file;
    const ProgramRun run = runSoundSteps("movie:" + file + " wait:500");
    ASSERT_EQ(run.status, 0) << k.file;
    EXPECT_EQ(logged(run, "movie"), (std::vector<std::string>{"movie 64 48"})) << k.file;
    const std::vector<std::string> draws = logged(run, "draws");
    ASSERT_EQ(draws.size(), 1u) << k.file;
    EXPECT_NEAR(std::atoi(draws[0].c_str() + 6), 120, 2) << k.file << ": two seconds at 60 draws a second";

    const std::vector<std::int16_t> decoded = korvo::testing::decodeSoundTrack(file, kRate);
    ASSERT_NEAR(static_cast<double>(decoded.size()) / 2, 2.0 * kRate, 0.05 * kRate) << k.file;
    // Heard one lap of the output's buffer after the open, as any sound started then.
    const std::size_t start = onset(run);
    ASSERT_LT(start, std::size_t{kRate / 5}) << k.file;
    ASSERT_GE(run.frames(), start + decoded.size() / 2) << k.file;
    const std::size_t from = start > kSlack ? start - kSlack : 0;
    const std::vector<std::int16_t> heard(run.audio.begin() + static_cast<std::ptrdiff_t>(2 * from), run.audio.end());
    EXPECT_GT(korvo::test::bestCorrelation(decoded, heard, 2, kSlack), 0.95) << k.file;
    // The left side is twice as loud in the file, and so in the output.
    const std::vector<std::int16_t> played(heard.begin(), heard.begin() + static_cast<std::ptrdiff_t>(decoded.size()));
    EXPECT_NEAR(loudness(played, 0) / loudness(played, 1), 2.0, 0.2) << k.file;
  }
}

TEST(MovieSoundProgram, AMovieWithoutSoundPlaysAndLeavesSilence) {
  korvo::testing::ScratchDir dir;
  const std::string file = dir.file("silent.avi");
  ASSERT_TRUE(korvo::testing::writeMovieFile(twoSeconds("avi", "mpeg4", nullptr), file));
  const ProgramRun run = runSoundSteps("movie:" + file + " wait:200");
  ASSERT_EQ(run.status, 0);
  const std::vector<std::string> draws = logged(run, "draws");
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_NEAR(std::atoi(draws[0].c_str() + 6), 120, 2);
  ASSERT_GT(run.frames(), 0u);
  EXPECT_EQ(onset(run), run.frames());
}

}  // namespace
}  // namespace korvo::sound::test
