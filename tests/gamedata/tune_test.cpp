// The two tunes as the build wrote them, played by our music player through the engine and
// by an independent player (libopenmpt, for tests only): the same rows at the same times, a
// minute or more before the first loop, several channels using the volume and effect columns.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"

namespace tobrix::gamedata {
namespace {

using namespace korvo;
using namespace korvo::sound;

constexpr int kRate = 44100;

std::string tunePath(const std::string& name) { return std::string(TOBRIX_OUT_DIR) + "/system/098/" + name; }

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Reference {
  double seconds = 0;
  std::vector<std::pair<int, int>> positions;  // order and row after each second
};

Reference renderReference(const std::vector<std::uint8_t>& file) {
  Reference ref;
  openmpt_module* m = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                         nullptr, nullptr, nullptr);
  if (!m) return ref;
  ref.seconds = openmpt_module_get_duration_seconds(m);
  std::vector<float> buffer(2 * kRate);
  for (int s = 0; s < static_cast<int>(ref.seconds); ++s) {
    openmpt_module_read_interleaved_float_stereo(m, kRate, kRate, buffer.data());
    ref.positions.emplace_back(openmpt_module_get_current_order(m), openmpt_module_get_current_row(m));
  }
  openmpt_module_destroy(m);
  return ref;
}

class TuneTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", "none", 1);
  }
  void TearDown() override { platform::setClock(nullptr); }
  platform::VirtualClock clock_;
};

TEST_P(TuneTest, PlaysTheSameRowsAtTheSameTimesAsAnIndependentPlayer) {
  const std::string path = tunePath(GetParam());
  const Reference ref = renderReference(readFile(path));
  ASSERT_GE(ref.seconds, 60.0) << "the reference player finds it shorter than a minute";

  SoundEngine engine;
  ASSERT_TRUE(engine.init(kRate, 32, 0));
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSong(path);
    ASSERT_NE(song, nullptr);
    std::vector<int> rowsBefore{0};
    for (int o = 0; o < song->songLength; ++o) {
      rowsBefore.push_back(rowsBefore.back() + song->patterns[song->orders[static_cast<std::size_t>(o)]].rows);
    }
    ASSERT_TRUE(player.playSong(song));
    for (std::size_t s = 1; s <= ref.positions.size(); ++s) {
      clock_.advance(1000);
      engine.pump();
      const music::AudiblePosition p = player.audiblePosition(song, static_cast<std::int64_t>(s) * kRate);
      const int ours = rowsBefore[static_cast<std::size_t>(p.order)] + p.row;
      const auto& theirs = ref.positions[s - 1];
      EXPECT_LE(std::abs(ours - (rowsBefore[static_cast<std::size_t>(theirs.first)] + theirs.second)), 1)
          << "second " << s << ": order " << p.order << " row " << p.row << ", reference order " << theirs.first
          << " row " << theirs.second;
      // Still before the first loop at a minute.
      if (s <= 60) {
        EXPECT_FALSE(player.isSongFinished(song)) << "finished after " << s << " s";
      }
    }
    clock_.advance(static_cast<std::uint32_t>((ref.seconds - ref.positions.size() + 2) * 1000));
    engine.pump();
    EXPECT_TRUE(player.isSongFinished(song)) << "no loop after the reference's length";
  }
  engine.close();
}

TEST_P(TuneTest, HasMelodyBassAndDrumsUsingTheVolumeAndEffectColumns) {
  SoundEngine engine;
  ASSERT_TRUE(engine.init(kRate, 32, 0));
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSong(tunePath(GetParam()));
    ASSERT_NE(song, nullptr);
    EXPECT_GE(song->channelCount(), 5);
    EXPECT_GE(song->instruments.size(), 5u);
    std::set<int> effects, channelsWithNotes;
    int volumeCells = 0;
    for (const music::Pattern& pattern : song->patterns) {
      for (int r = 0; r < pattern.rows; ++r) {
        for (int c = 0; c < song->channelCount(); ++c) {
          const music::Cell& cell = pattern.cells[static_cast<std::size_t>(r * song->channelCount() + c)];
          if (cell.volume) ++volumeCells;
          if (cell.effect || cell.param) effects.insert(cell.effect);
          if (cell.note) channelsWithNotes.insert(c);
        }
      }
    }
    EXPECT_GT(volumeCells, 50);
    EXPECT_GE(effects.size(), 3u) << "arpeggio, vibrato and volume slides";
    EXPECT_GE(channelsWithNotes.size(), 5u);
    player.freeSong(song);
  }
  engine.close();
}

// Loudness per half second of the first 20 seconds through the engine's WAV output, against
// the independent player's: the tune is heard, and its course follows the reference.
TEST_P(TuneTest, SoundsLikeTheIndependentPlayer) {
  constexpr int kWindow = kRate / 2, kSeconds = 20;
  const std::string path = tunePath(GetParam());
  const std::vector<std::uint8_t> file = readFile(path);
  std::vector<double> theirs;
  {
    openmpt_module* m = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr);
    ASSERT_NE(m, nullptr);
    std::vector<float> buffer(2 * kWindow);
    for (int w = 0; w < 2 * kSeconds; ++w) {
      const std::size_t got = openmpt_module_read_interleaved_float_stereo(m, kRate, kWindow, buffer.data());
      double sum = 0;
      for (std::size_t i = 0; i < 2 * got; ++i) sum += buffer[i] * buffer[i];
      theirs.push_back(std::sqrt(sum / (2.0 * kWindow)));
    }
    openmpt_module_destroy(m);
  }
  const std::string wav = std::string(::testing::TempDir()) + "tune_" + std::to_string(::getpid()) + ".wav";
  setenv("KORVO_AUDIO", ("wav:" + wav).c_str(), 1);
  SoundEngine engine;
  ASSERT_TRUE(engine.init(kRate, 32, 0));
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSong(path);
    ASSERT_NE(song, nullptr);
    ASSERT_TRUE(player.playSong(song));
    for (int s = 0; s < kSeconds + 1; ++s) {
      clock_.advance(1000);
      engine.pump();
    }
  }
  engine.close();
  const std::vector<std::uint8_t> out = readFile(wav);
  std::remove(wav.c_str());
  // The output runs one 4408-frame buffer behind the song.
  constexpr std::size_t kLatency = 4408;
  std::vector<double> ours;
  for (int w = 0; w < 2 * kSeconds; ++w) {
    double sum = 0;
    for (std::size_t f = kLatency + static_cast<std::size_t>(w) * kWindow; f < kLatency + (w + 1) * std::size_t{kWindow}; ++f) {
      for (std::size_t side = 0; side < 2; ++side) {
        const std::size_t at = 44 + 4 * f + 2 * side;
        ASSERT_LT(at + 1, out.size());
        const double v = static_cast<std::int16_t>(out[at] | (out[at + 1] << 8)) / 32768.0;
        sum += v * v;
      }
    }
    ours.push_back(std::sqrt(sum / (2.0 * kWindow)));
  }
  double low = 1, meanOurs = 0, meanTheirs = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (i >= 2) low = std::min(low, ours[i]);
    meanOurs += ours[i] / ours.size();
    meanTheirs += theirs[i] / theirs.size();
  }
  EXPECT_GT(low, 0.01) << "a half second of near silence";
  // Within a factor of three of the reference's level, and the same rises and falls.
  EXPECT_GT(meanOurs, meanTheirs / 3);
  EXPECT_LT(meanOurs, meanTheirs * 3);
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    sab += (ours[i] - meanOurs) * (theirs[i] - meanTheirs);
    saa += (ours[i] - meanOurs) * (ours[i] - meanOurs);
    sbb += (theirs[i] - meanTheirs) * (theirs[i] - meanTheirs);
  }
  EXPECT_GT(sab / std::sqrt(saa * sbb), 0.8) << "mean loudness " << meanOurs << ", reference " << meanTheirs;
}

INSTANTIATE_TEST_SUITE_P(Tunes, TuneTest, ::testing::Values("Closure.xm", "closureb.xm"),
                         [](const auto& test) { return std::string(test.param).substr(0, std::string(test.param).find('.')); });

}  // namespace
}  // namespace tobrix::gamedata
