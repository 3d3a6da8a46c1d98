// Reading little- and big-endian integers out of byte buffers. The loaders parse headers
// from buffers they have already bounds-checked, so these take plain pointers.
#pragma once

#include <cstdint>

namespace korvo::sound::formats {

inline std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
inline std::uint32_t be32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

// True when the four bytes at p spell id.
inline bool isId(const std::uint8_t* p, const char* id) {
  return p[0] == static_cast<std::uint8_t>(id[0]) && p[1] == static_cast<std::uint8_t>(id[1]) &&
         p[2] == static_cast<std::uint8_t>(id[2]) && p[3] == static_cast<std::uint8_t>(id[3]);
}

}  // namespace korvo::sound::formats
