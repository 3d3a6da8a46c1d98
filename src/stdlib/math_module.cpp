// The math module: trigonometry in degrees, exponentials, rounding and the random
// generator, seeded at start-up. Arguments are widened to double for the C library and
// results narrowed back to float; degree conversion happens in float, as programs have
// always seen it.
#include <cmath>
#include <utility>

#include "stdlib/stdlib_modules.h"
#include "stdlib/math_commands.h"

namespace korvo {
namespace {

constexpr float kDegToRad = 0.017453292f;
constexpr float kRadToDeg = 57.29578f;

// Park-Miller minimal standard with multiplier 48271, stepped by Schrage's method so that
// nothing overflows 32 bits.
constexpr std::int32_t kModulus = 2147483647;
constexpr std::int32_t kMultiplier = 48271;
constexpr std::int32_t kQuotient = 44488;  // kModulus / kMultiplier
constexpr std::int32_t kRemainder = 3399;  // kModulus % kMultiplier

constexpr std::int32_t kStartSeed = 0x1234;

std::int32_t gState = kStartSeed;

float toRadians(float degrees) { return degrees * kDegToRad; }
float toDegrees(double radians) { return static_cast<float>(radians * kRadToDeg); }

}  // namespace

namespace stdlib {

float nextRandom() {
  const std::int32_t hi = gState / kQuotient;
  const std::int32_t lo = gState % kQuotient;
  gState = kMultiplier * lo - kRemainder * hi;
  if (gState < 0) gState += kModulus;
  return static_cast<float>(gState & 0xffff) * (1.0f / 65536.0f) + 1.0f / 131072.0f;
}

}  // namespace stdlib

namespace cmd {

float Sin(float degrees) { return static_cast<float>(std::sin(static_cast<double>(toRadians(degrees)))); }
float Cos(float degrees) { return static_cast<float>(std::cos(static_cast<double>(toRadians(degrees)))); }
float Tan(float degrees) { return static_cast<float>(std::tan(static_cast<double>(toRadians(degrees)))); }
float ASin(float value) { return toDegrees(std::asin(static_cast<double>(value))); }
float ACos(float value) { return toDegrees(std::acos(static_cast<double>(value))); }
float ATan(float value) { return toDegrees(std::atan(static_cast<double>(value))); }
float ATan2(float y, float x) { return toDegrees(std::atan2(static_cast<double>(y), static_cast<double>(x))); }
float Sqr(float value) { return static_cast<float>(std::sqrt(static_cast<double>(value))); }
float Floor(float value) { return static_cast<float>(std::floor(static_cast<double>(value))); }
float Ceil(float value) { return static_cast<float>(std::ceil(static_cast<double>(value))); }
float Exp(float value) { return static_cast<float>(std::exp(static_cast<double>(value))); }
float Log(float value) { return static_cast<float>(std::log(static_cast<double>(value))); }
float Log10(float value) { return static_cast<float>(std::log10(static_cast<double>(value))); }

float Rnd(float from, float to) { return from + stdlib::nextRandom() * (to - from); }

std::int32_t Rand(std::int32_t from, std::int32_t to) {
  if (to < from) std::swap(from, to);
  // The span may exceed 32 bits (Rand(-2^31, 2^31-1)); r < 1 keeps the result <= to.
  const std::int64_t span = static_cast<std::int64_t>(to) - from + 1;
  const float scaled = stdlib::nextRandom() * static_cast<float>(span);
  return static_cast<std::int32_t>(from + static_cast<std::int64_t>(scaled));
}

void SeedRnd(std::int32_t seed) {
  gState = seed & 0x7fffffff;
  if (gState == 0) gState = 1;
}

std::int32_t RndSeed() { return gState; }

}  // namespace cmd

bool createMathModule() {
  cmd::SeedRnd(kStartSeed);
  return true;
}

void destroyMathModule() {}

void registerMathCommands(Registrar& r) {
  using namespace cmd;
  r.add("#Sin#degrees", entry<&Sin>());
  r.add("#Cos#degrees", entry<&Cos>());
  r.add("#Tan#degrees", entry<&Tan>());
  r.add("#ASin#float", entry<&ASin>());
  r.add("#ACos#float", entry<&ACos>());
  r.add("#ATan#float", entry<&ATan>());
  r.add("#ATan2#floata#floatb", entry<&ATan2>());
  r.add("#Sqr#float", entry<&Sqr>());
  r.add("#Floor#float", entry<&Floor>());
  r.add("#Ceil#float", entry<&Ceil>());
  r.add("#Exp#float", entry<&Exp>());
  r.add("#Log#float", entry<&Log>());
  r.add("#Log10#float", entry<&Log10>());
  r.add("#Rnd#from#to=0", entry<&Rnd>());
  r.add("%Rand%from%to=1", entry<&Rand>());
  r.add("SeedRnd%seed", entry<&SeedRnd>());
  r.add("%RndSeed", entry<&RndSeed>());
}

}  // namespace korvo
