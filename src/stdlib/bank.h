// kvBank: a resizable block of raw memory addressed by byte offset, and the checks that
// keep every access inside it.
#pragma once

#include <cstdint>
#include <memory>

namespace korvo::stdlib {

struct kvBank {
  std::unique_ptr<std::uint8_t[]> data;
  std::int32_t size = 0;      // bytes the program may use
  std::int32_t capacity = 0;  // bytes allocated: a multiple of 16, at least size

  // A zeroed bank of size bytes; null when size is negative or the memory cannot be had.
  static std::unique_ptr<kvBank> create(std::int32_t size);
  // Grows by half the capacity at least, or shrinks by lowering the size; bytes beyond the
  // old size read 0. False (bank unchanged) when the size is negative or memory runs out.
  bool resize(std::int32_t newSize);
  // True when [offset, offset + count) lies inside the bank. A range outside raises
  // "Offset out of range" in debug mode; otherwise the caller must not touch the bytes.
  bool holds(std::int32_t offset, std::int32_t count) const;
};

}  // namespace korvo::stdlib
