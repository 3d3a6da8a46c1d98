// The one byte reader of the sound loaders (sample files and tracker modules): bounds-checked
// reading of bytes held in memory, each number read in the byte order its name says. Reads
// past the end give zeros and clear ok(), so loaders check once per structure instead of once
// per field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace korvo::sound::formats {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }
  std::size_t size() const { return size_; }
  std::size_t tell() const { return pos_; }
  std::size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
  // Moves to offset; beyond the end clears ok().
  void seek(std::size_t offset) {
    pos_ = offset;
    if (offset > size_) ok_ = false;
  }
  void skip(std::size_t count) { seek(pos_ + count); }

  std::uint8_t u8() {
    if (pos_ >= size_) return fail();
    return data_[pos_++];
  }
  // A byte read as two's complement (-128..127).
  std::int32_t s8() {
    const std::int32_t b = u8();
    return b < 128 ? b : b - 256;
  }
  // Little-endian: least significant byte first.
  std::uint16_t u16le() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }
  std::uint32_t u32le() {
    const std::uint32_t lo = u16le();
    return lo | (static_cast<std::uint32_t>(u16le()) << 16);
  }
  // Big-endian: most significant byte first.
  std::uint16_t u16be() {
    const std::uint16_t hi = u8();
    return static_cast<std::uint16_t>((hi << 8) | u8());
  }
  std::uint32_t u32be() {
    const std::uint32_t hi = u16be();
    return (hi << 16) | u16be();
  }
  // count bytes into out (zeros past the end).
  void bytes(void* out, std::size_t count) {
    const std::size_t have = remaining() < count ? remaining() : count;
    if (have) std::memcpy(out, data_ + pos_, have);
    if (have < count) {
      std::memset(static_cast<std::uint8_t*>(out) + have, 0, count - have);
      ok_ = false;
    }
    pos_ += count;
  }
  // A fixed-size text field, cut at its first zero.
  std::string text(std::size_t count) {
    std::string s(count, '\0');
    bytes(s.data(), count);
    s.resize(std::strlen(s.c_str()));
    return s;
  }
  // Whether the bytes at offset are exactly tag (a four-character chunk id, a signature).
  bool matches(std::size_t offset, const char* tag) const {
    const std::size_t n = std::strlen(tag);
    return offset + n <= size_ && std::memcmp(data_ + offset, tag, n) == 0;
  }
  // Pointer to the current position (valid for remaining() bytes).
  const std::uint8_t* here() const { return data_ + (pos_ < size_ ? pos_ : size_); }
  // Pointer to offset (valid for size() - offset bytes; offset at most size()).
  const std::uint8_t* at(std::size_t offset) const { return data_ + (offset < size_ ? offset : size_); }

 private:
  std::uint8_t fail() {
    ok_ = false;
    ++pos_;
    return 0;
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace korvo::sound::formats
