// Memory below 2 GB. Compiled programs hold addresses in 32-bit fields (call and jump
// displacements, absolute operands), so their code and the runtime data they point at must
// live where such a field can reach.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo::platform {

// The highest address (exclusive) that every 32-bit field, signed or unsigned, can hold.
inline constexpr std::uintptr_t kLowLimit = std::uintptr_t{1} << 31;

// A block of pages below kLowLimit, zero-filled; freed by the destructor.
class LowBlock {
 public:
  LowBlock() = default;
  // Maps size bytes (rounded up to pages); executable blocks are readable, writable and
  // executable. An empty block (data() null) means the mapping failed.
  LowBlock(std::size_t size, bool executable);
  ~LowBlock();
  LowBlock(LowBlock&& other) noexcept;
  LowBlock& operator=(LowBlock&& other) noexcept;
  LowBlock(const LowBlock&) = delete;
  LowBlock& operator=(const LowBlock&) = delete;

  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }
  // Keeps the mapping for the rest of the process (the destructor will not unmap it).
  std::uint8_t* release();

 private:
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

// A copy of size bytes at address below kLowLimit, made once per address and kept for the
// rest of the process; address itself when it is low already. For constant records only:
// later changes to the original do not reach the copy.
const void* lowCopy(const void* address, std::size_t size);

// True when every byte of [address, address + size) lies below kLowLimit.
bool isLow(const void* address, std::size_t size = 1);

}  // namespace korvo::platform
