// Bytes of test files built in code: numbers in either byte order, fixed-size text, and
// values patched in once their offsets are known.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::sound::test {

class ByteWriter {
 public:
  void u8(std::uint32_t v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
  void u16(std::uint32_t v) { u8(v), u8(v >> 8); }
  void u32(std::uint32_t v) { u16(v), u16(v >> 16); }
  void u16be(std::uint32_t v) { u8(v >> 8), u8(v); }
  void text(const std::string& s, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) u8(i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  void append(const std::vector<std::uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
  // Pads to a multiple of align bytes.
  void align(std::size_t a) { zeros((a - bytes.size() % a) % a); }
  void put16(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 2; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void put32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::size_t size() const { return bytes.size(); }
  std::vector<std::uint8_t> bytes;
};

}  // namespace korvo::sound::test
