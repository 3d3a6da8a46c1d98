// The period table is built once: the twelve lowest entries are the classic tracker periods
// times 32, each higher octave halves the one below rounding up, and entry 0 is the step
// below the lowest C so negative finetunes of the lowest note have a neighbour.
#include "sound/music/pitch.h"

#include <algorithm>
#include <cmath>

#include "sound/music/song.h"

namespace korvo::sound::music {
namespace {

constexpr std::array<std::int32_t, 12> kLowestOctave = {27392, 25856, 24384, 23040, 21696, 20480,
                                                        19328, 18240, 17216, 16256, 15360, 14496};
constexpr std::int32_t kBelowLowestC = 29021;
// The mix rate's clock divided for table periods, and the linear centre (C-4 at 8363 Hz).
constexpr double kAmigaClock = 14317056.0;
constexpr double kC4Rate = 8363.0;
constexpr std::int32_t kLinearC4 = 4608;
constexpr std::array<std::int32_t, 16> kFinetuneRates = {8363, 8413, 8463, 8529, 8581, 8651, 8723, 8757,
                                                         7895, 7941, 7985, 8046, 8107, 8169, 8232, 8280};
// The tempo factor is the single-precision 0.4; products and quotients are in double.
constexpr float kTempoFactor = 0.4f;

}  // namespace

const std::array<std::int32_t, kPeriodTableSize>& periodTable() {
  static const std::array<std::int32_t, kPeriodTableSize> kTable = [] {
    std::array<std::int32_t, kPeriodTableSize> t{};
    t[0] = kBelowLowestC;
    for (int i = 1; i < kPeriodTableSize; ++i) {
      t[static_cast<std::size_t>(i)] =
          i <= 12 ? kLowestOctave[static_cast<std::size_t>(i - 1)] : (t[static_cast<std::size_t>(i - 12)] + 1) / 2;
    }
    return t;
  }();
  return kTable;
}

std::int32_t linearPeriod(std::int32_t note, std::int32_t finetune) { return 7680 - note * 64 - finetune / 2; }

std::int32_t amigaPeriod(std::int32_t note, std::int32_t finetune) {
  const auto& t = periodTable();
  note = std::clamp(note, 0, kMaxNote);
  // The table starts one note below note 0, so note n is entry n + 1.
  const std::int32_t hereEntry = note + 1;
  const std::int32_t otherEntry = finetune < 0 ? note : note + 2;
  const std::int32_t here = t[static_cast<std::size_t>(hereEntry)];
  const std::int32_t other = t[static_cast<std::size_t>(otherEntry)];
  return here + (other - here) * std::abs(finetune) / 128;
}

std::int32_t notePeriod(bool linear, std::int32_t note, std::int32_t finetune) {
  note = std::clamp(note, 0, kMaxNote);
  return linear ? linearPeriod(note, finetune) : amigaPeriod(note, finetune);
}

std::int32_t c4Period(std::int32_t note, std::int32_t c4Rate) {
  const std::int32_t rate = c4Rate > 0 ? c4Rate : 8363;
  return static_cast<std::int32_t>(static_cast<std::int64_t>(amigaPeriod(note, 0)) * 8363 / rate);
}

std::int32_t finetuneRate(std::int32_t finetune) { return kFinetuneRates[static_cast<std::size_t>(finetune & 0x0F)]; }

std::int32_t periodFrequency(bool linear, std::int32_t period) {
  period = std::max(period, 1);
  if (linear) return static_cast<std::int32_t>(kC4Rate * std::exp2((kLinearC4 - period) / 768.0));
  return static_cast<std::int32_t>(kAmigaClock / period);
}

std::int32_t samplesPerTick(std::int32_t mixRate, std::int32_t bpm, float tempoScale, std::int32_t previous) {
  if (bpm <= 0) bpm = 1;
  const double rate = static_cast<double>(bpm) * static_cast<double>(kTempoFactor) * static_cast<double>(tempoScale);
  if (rate < 0.01) return previous;
  // At least one sample, so a tick always moves the song forward.
  return std::max<std::int32_t>(1, static_cast<std::int32_t>(mixRate / rate));
}

void setTempo(Song& song, std::int32_t bpm) {
  song.bpm = bpm;
  song.samplesPerTick = samplesPerTick(song.mixRate, bpm, song.tempoScale, song.samplesPerTick);
}

}  // namespace korvo::sound::music
