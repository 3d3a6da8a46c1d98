// The runtime's float text format: six significant digits, fixed form for decimal
// exponents -2..8, otherwise the exponent form with at least three exponent digits.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/kv_string.h"

namespace korvo::core {
namespace {

void trimFractionZeros(std::string& text) {
  const auto point = text.find('.');
  while (text.size() > point + 2 && text.back() == '0') text.pop_back();
}

}  // namespace

std::string floatText(float value) {
  const double v = value;
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Infinity" : "-Infinity";

  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.5e", std::fabs(v));
  // buffer: d.ddddde±XX
  std::string digits;
  digits += buffer[0];
  digits.append(buffer + 2, 5);
  const int k = std::atoi(buffer + 8) + 1;
  const bool negative = std::signbit(v);

  std::string text;
  if (k < -2 || k > 8) {
    std::string fraction = digits.substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    const int e = k - 1;
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%03d", e < 0 ? '-' : '+', std::abs(e));
    text = digits.substr(0, 1) + "." + fraction + exponent;
  } else {
    if (k <= 0) {
      text = "0." + std::string(static_cast<std::size_t>(-k), '0') + digits;
    } else if (k <= 5) {
      text = digits.substr(0, static_cast<std::size_t>(k)) + "." + digits.substr(static_cast<std::size_t>(k));
    } else {
      text = digits + std::string(static_cast<std::size_t>(k - 6), '0') + ".0";
    }
    trimFractionZeros(text);
  }
  return negative ? "-" + text : text;
}

}  // namespace korvo::core
