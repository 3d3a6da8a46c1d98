// The integer and float helpers of compiled code. Integer division faults are reported
// as runtime errors here rather than left to the processor.
#include <cmath>
#include <cstdint>

#include "core/kv_data.h"
#include "base/kv_ex.h"

namespace korvo::core {

std::int32_t kvAbs(std::int32_t a) {
  // Negated in unsigned arithmetic so that the smallest int stays itself without overflow.
  return a < 0 ? static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(a)) : a;
}

std::int32_t kvSgn(std::int32_t a) { return (a > 0) - (a < 0); }

std::int32_t kvMod(std::int32_t a, std::int32_t b) {
  if (b == 0) raiseError("Integer divide by zero");
  // The smallest int modulo -1 is 0; the processor would fault on the quotient's overflow.
  if (b == -1) return 0;
  return a % b;
}

float kvFAbs(float x) { return x >= 0 ? x : -x; }

float kvFSgn(float x) { return x > 0 ? 1.0f : (x < 0 ? -1.0f : 0.0f); }

float kvFMod(float a, float b) { return static_cast<float>(std::fmod(static_cast<double>(a), static_cast<double>(b))); }

float kvFPow(float a, float b) { return static_cast<float>(std::pow(static_cast<double>(a), static_cast<double>(b))); }

}  // namespace korvo::core
