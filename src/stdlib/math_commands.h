// The math module's commands: trigonometry in degrees, exponentials, rounding and the
// process-wide random generator.
#pragma once

#include <cstdint>

namespace korvo {

namespace stdlib {
// One generator step: the new state's low 16 bits as a float strictly between 0 and 1.
float nextRandom();
}  // namespace stdlib

namespace cmd {

float Sin(float degrees);
float Cos(float degrees);
float Tan(float degrees);
float ASin(float value);
float ACos(float value);
float ATan(float value);
// y first, then x; the result lies in -180 ... 180.
float ATan2(float y, float x);
float Sqr(float value);
float Floor(float value);
float Ceil(float value);
float Exp(float value);
float Log(float value);
float Log10(float value);
// from + r * (to - from).
float Rnd(float from, float to);
// An integer between the two bounds, both included, in either order.
std::int32_t Rand(std::int32_t from, std::int32_t to);
void SeedRnd(std::int32_t seed);
std::int32_t RndSeed();

}  // namespace cmd
}  // namespace korvo
