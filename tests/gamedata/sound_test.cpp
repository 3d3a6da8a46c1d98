// The sound effects as the build wrote them: 16-bit mono WAV, short, not clipped, and no two
// alike.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace tobrix::gamedata {
namespace {

struct Wav {
  int channels = 0, rate = 0, bits = 0;
  std::vector<std::int16_t> samples;
};

Wav readWav(const std::string& name) {
  std::ifstream in(std::string(TOBRIX_OUT_DIR) + "/system/098/sfx/" + name + ".wav", std::ios::binary);
  const std::vector<std::uint8_t> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Wav w;
  if (b.size() < 44 || std::string(b.begin(), b.begin() + 4) != "RIFF" || std::string(b.begin() + 36, b.begin() + 40) != "data") {
    return w;
  }
  auto u16 = [&](std::size_t at) { return b[at] | (b[at + 1] << 8); };
  w.channels = u16(22);
  w.rate = u16(24) | (u16(26) << 16);
  w.bits = u16(34);
  for (std::size_t at = 44; at + 1 < b.size(); at += 2) w.samples.push_back(static_cast<std::int16_t>(u16(at)));
  return w;
}

std::vector<std::string> effectNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= 18; ++i) names.push_back(std::to_string(i));
  return names;
}

TEST(Sounds, EveryEffectIsShortUnclippedSixteenBitMono) {
  std::vector<std::string> names = effectNames();
  names.insert(names.end(), {"drums", "mario", "sonic"});
  for (const std::string& name : names) {
    const Wav w = readWav(name);
    ASSERT_FALSE(w.samples.empty()) << name;
    EXPECT_EQ(w.channels, 1) << name;
    EXPECT_EQ(w.bits, 16) << name;
    EXPECT_TRUE(w.rate == 22050 || w.rate == 44100) << name;
    int peak = 0;
    for (std::int16_t s : w.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32767) << name << " is clipped";
    EXPECT_GT(peak, 8000) << name << " is too quiet";
    const double seconds = static_cast<double>(w.samples.size()) / w.rate;
    // Effects are short; the suit themes last about as long as a suit (7.5 s).
    EXPECT_LT(seconds, name.size() > 2 ? 8.5 : 1.0) << name;
  }
}

TEST(Sounds, NoTwoEffectsAreAlike) {
  std::set<std::vector<std::int16_t>> seen;
  for (const std::string& name : effectNames()) EXPECT_TRUE(seen.insert(readWav(name).samples).second) << name;
}

}  // namespace
}  // namespace tobrix::gamedata
