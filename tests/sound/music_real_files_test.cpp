// Real MOD, S3M, XM and IT files that no one here made, played start to end through the engine's WAV output
// and compared with an independent player rendering the same file: the order and row reached
// at each second agree within a row, and the loudness over time follows the same course.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <ostream>
#include <vector>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"
#include "sound/music/engine_music.h"
#include "support/debian_package.h"

namespace korvo::sound::test {
namespace {

constexpr int kRate = 44100;
// Loudness is compared over windows of this many frames (0.5 s: shorter ones measure where
// single drum hits fall more than the course of the music).
constexpr int kWindow = 22050;

struct RealModule {
  const char* package;
  const char* path;
};
void PrintTo(const RealModule& m, std::ostream* os) { *os << m.path; }

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Position as a count of rows from the song's start, given the rows of each order.
int rowIndex(const std::vector<int>& rowsBefore, int order, int row) {
  return rowsBefore[static_cast<std::size_t>(order)] + row;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  const double ma = std::accumulate(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n), 0.0) / n;
  const double mb = std::accumulate(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n), 0.0) / n;
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    sab += (a[i] - ma) * (b[i] - mb);
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
  }
  return sab / std::sqrt(saa * sbb);
}

// The independent player, rendering the same file second by second beside the engine.
class Reference {
 public:
  explicit Reference(const std::vector<std::uint8_t>& file)
      : module_(openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr,
                                                   nullptr, nullptr, nullptr)) {
    if (module_) seconds_ = openmpt_module_get_duration_seconds(module_);
  }
  ~Reference() {
    if (module_) openmpt_module_destroy(module_);
  }
  Reference(const Reference&) = delete;
  Reference& operator=(const Reference&) = delete;

  double seconds() const { return seconds_; }
  const std::vector<std::pair<int, int>>& positions() const { return positions_; }
  const std::vector<double>& loudness() const { return loudness_; }

  // Renders the next second with its tempo scaled by tempoFactor; false when the song ended
  // within it (no position to compare).
  bool renderSecond(double tempoFactor) {
    openmpt_module_ctl_set_floatingpoint(module_, "play.tempo_factor", tempoFactor);
    const std::size_t got = openmpt_module_read_interleaved_float_stereo(module_, kRate, kRate, second_.data());
    for (std::size_t f = 0; f < got; ++f) {
      sum_ += 0.5 * (second_[2 * f] * second_[2 * f] + second_[2 * f + 1] * second_[2 * f + 1]);
      if (++inWindow_ == kWindow) {
        loudness_.push_back(std::sqrt(sum_ / kWindow));
        sum_ = 0;
        inWindow_ = 0;
      }
    }
    if (got < static_cast<std::size_t>(kRate)) return false;
    positions_.emplace_back(openmpt_module_get_current_order(module_), openmpt_module_get_current_row(module_));
    return true;
  }

 private:
  openmpt_module* module_;
  double seconds_ = 0;
  std::vector<float> second_ = std::vector<float>(2 * kRate);
  double sum_ = 0;
  int inWindow_ = 0;
  std::vector<std::pair<int, int>> positions_;  // order, row after each second
  std::vector<double> loudness_;                // RMS per window
};

class RealModuleTest : public ::testing::TestWithParam<RealModule> {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    wav_ = std::string(::testing::TempDir()) + "music_" + std::to_string(::getpid()) + ".wav";
    setenv("KORVO_AUDIO", ("wav:" + wav_).c_str(), 1);
  }
  void TearDown() override {
    platform::setClock(nullptr);
    setenv("KORVO_AUDIO", "none", 1);
    std::remove(wav_.c_str());
  }
  platform::VirtualClock clock_;
  std::string wav_;
};

TEST_P(RealModuleTest, PlaysLikeAnIndependentPlayer) {
  const auto path = korvo::test::debianFile(GetParam().package, GetParam().path);
  if (!path) GTEST_SKIP() << "package " << GetParam().package << " cannot be had";
  const std::vector<std::uint8_t> bytes = readFile(*path);
  Reference ref(bytes);
  ASSERT_GT(ref.seconds(), 5.0);

  SoundEngine engine;
  ASSERT_TRUE(engine.init(kRate, 32, 0));
  std::vector<std::pair<int, int>> positions;
  // Rows the song may have run ahead by each second (see below).
  std::vector<double> ahead;
  std::vector<int> rowsBefore;
  {
    music::EngineMusic adapter(engine);
    music::MusicPlayer player(adapter);
    music::Song* song = player.loadSong(*path);
    ASSERT_NE(song, nullptr) << "engine error " << static_cast<int>(lastError());
    rowsBefore.push_back(0);
    for (int o = 0; o < song->songLength; ++o) {
      rowsBefore.push_back(rowsBefore.back() + song->patterns[song->orders[static_cast<std::size_t>(o)]].rows);
    }
    ASSERT_TRUE(player.playSong(song));
    double rowsAhead = 0;
    for (int s = 1; s <= static_cast<int>(ref.seconds()); ++s) {
      // Ticks are a whole number of samples, cut down (881 where 2.5 s / 125 BPM is 882): the
      // reference runs as fast at the tempo the song is at, or voices of one pitch started a
      // few ticks apart would meet in another phase and sound louder or softer together.
      const double tick = song->samplesPerTick;
      if (!ref.renderSecond(2.5 * kRate / song->bpm / tick)) break;
      for (int i = 0; i < 10; ++i) clock_.advance(100);
      engine.pump();
      const music::AudiblePosition p = player.audiblePosition(song, static_cast<std::int64_t>(s) * kRate);
      positions.emplace_back(p.order, p.row);
      // Tempo changes within a second still part them: by up to a sample per tick, which is
      // rate / (speed x samples per tick^2) rows.
      rowsAhead += kRate / (std::max(song->speed, 1) * tick * tick);
      ahead.push_back(rowsAhead);
    }
    // The output is one buffer behind the mix: let the last second reach the file.
    clock_.advance(200);
    engine.pump();
  }
  engine.close();

  int worst = 0;
  for (std::size_t s = 0; s < positions.size(); ++s) {
    const int ours = rowIndex(rowsBefore, positions[s].first, positions[s].second);
    const int theirs = rowIndex(rowsBefore, ref.positions()[s].first, ref.positions()[s].second);
    worst = std::max(worst, std::abs(ours - theirs));
    const int allowed = 1 + static_cast<int>(std::lround(ahead[s]));
    EXPECT_LE(std::abs(ours - theirs), allowed)
        << "second " << s + 1 << ": order " << positions[s].first << " row " << positions[s].second
        << ", reference order " << ref.positions()[s].first << " row " << ref.positions()[s].second;
  }
  RecordProperty("worst_row_difference", worst);

  ASSERT_GE(positions.size(), 5u);
  const std::vector<std::uint8_t> wav = readFile(wav_);
  ASSERT_GT(wav.size(), 44u + 4u * kRate * (positions.size() - 1));
  // The engine's output runs one 4408-frame buffer behind the song.
  constexpr std::size_t kLatency = 4408;
  std::vector<double> loudness;
  double sum = 0;
  int inWindow = 0;
  for (std::size_t f = kLatency; 44 + 4 * (f + 1) <= wav.size(); ++f) {
    for (int side = 0; side < 2; ++side) {
      const std::size_t at = 44 + 4 * f + 2 * static_cast<std::size_t>(side);
      const double v = static_cast<std::int16_t>(wav[at] | (wav[at + 1] << 8)) / 32768.0;
      sum += 0.5 * v * v;
    }
    if (++inWindow == kWindow) {
      loudness.push_back(std::sqrt(sum / kWindow));
      sum = 0;
      inWindow = 0;
    }
  }
  const double r = correlation(loudness, ref.loudness());
  RecordProperty("loudness_correlation", std::to_string(r));
  EXPECT_GT(r, 0.9);
}

INSTANTIATE_TEST_SUITE_P(
    DebianModules, RealModuleTest,
    ::testing::Values(RealModule{"njam-data", "/usr/share/games/njam/data/dali.xm"},
                      RealModule{"ceferino-data", "/usr/share/games/ceferino/music/menu.xm"},
                      RealModule{"njam-data", "/usr/share/games/njam/data/satisfy.xm"},
                      RealModule{"tecnoballz-data", "/usr/share/games/tecnoballz/musics/area1-game2.mod"},
                      RealModule{"circuslinux-data", "/usr/share/games/circuslinux/data/music/hiscreen.mod"},
                      RealModule{"freedroid-data", "/usr/share/games/freedroid/sound/AnarchyMenu1.mod"},
                      RealModule{"tecnoballz-data", "/usr/share/games/tecnoballz/musics/area2-game.mod"},
                      RealModule{"freedroid-data", "/usr/share/games/freedroid/sound/The_Last_V8.mod"},
                      RealModule{"freedroid-data", "/usr/share/games/freedroid/sound/dreamfish-uridium2_loader.mod"},
                      RealModule{"njam-data", "/usr/share/games/njam/data/ritam.s3m"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/gd-giirm.s3m"},
                      RealModule{"monsterz-data", "/usr/share/games/monsterz/sound/music.s3m"},
                      RealModule{"madbomber-data", "/usr/share/games/madbomber/music/fdn-arab.s3m"},
                      RealModule{"gl-117-data", "/usr/share/games/gl-117/music/dark.s3m"},
                      RealModule{"gl-117-data", "/usr/share/games/gl-117/music/softtec.s3m"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/gd-matth.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/gd-ite.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/rough_journey.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/pingus-1.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/the_big_march_in_space.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/pingus-2.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/pingus-5.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/sorcerer.it"},
                      RealModule{"pingus-data", "/usr/share/games/pingus/data/music/success_2.it"}),
    [](const auto& test) {
      const std::string p = test.param.path;
      std::string name = p.substr(p.rfind('/') + 1);
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace korvo::sound::test
