// Raw pixel reads and writes by pixel size, for inner loops that pick the size once.
#pragma once

#include <cstdint>
#include <cstring>

namespace korvo::platform {

// The raw value of the kBytes-byte pixel at p (little-endian).
template <int kBytes>
inline std::uint32_t loadPixel(const std::uint8_t* p) {
  if constexpr (kBytes == 3) {
    return p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
  } else if constexpr (kBytes == 2) {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  } else {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  }
}

// Writes the low kBytes bytes of raw at p.
template <int kBytes>
inline void storePixel(std::uint8_t* p, std::uint32_t raw) {
  if constexpr (kBytes == 3) {
    p[0] = static_cast<std::uint8_t>(raw);
    p[1] = static_cast<std::uint8_t>(raw >> 8);
    p[2] = static_cast<std::uint8_t>(raw >> 16);
  } else if constexpr (kBytes == 2) {
    const auto v = static_cast<std::uint16_t>(raw);
    std::memcpy(p, &v, 2);
  } else {
    std::memcpy(p, &raw, 4);
  }
}

}  // namespace korvo::platform
