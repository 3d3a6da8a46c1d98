// Bank memory: creation, the growth policy and range checks. Capacities are computed in
// 64 bits so that sizes near 2 GiB cannot wrap.
#include "stdlib/bank.h"

#include <cstring>
#include <new>

#include "base/kv_ex.h"

namespace korvo::stdlib {
namespace {

constexpr std::int64_t kMaxCapacity = 0x7ffffff0;

std::int64_t roundUp16(std::int64_t n) { return (n + 15) & ~std::int64_t{15}; }

std::unique_ptr<std::uint8_t[]> allocate(std::int64_t capacity) {
  if (capacity > kMaxCapacity) return nullptr;
  return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(capacity)]());
}

}  // namespace

std::unique_ptr<kvBank> kvBank::create(std::int32_t size) {
  if (size < 0) return nullptr;
  auto bank = std::make_unique<kvBank>();
  const std::int64_t capacity = roundUp16(size);
  if (capacity > 0) {
    bank->data = allocate(capacity);
    if (!bank->data) return nullptr;
  }
  bank->size = size;
  bank->capacity = static_cast<std::int32_t>(capacity);
  return bank;
}

bool kvBank::resize(std::int32_t newSize) {
  if (newSize < 0) return false;
  if (newSize <= size) {
    size = newSize;
    return true;
  }
  if (newSize <= capacity) {
    std::memset(data.get() + size, 0, static_cast<std::size_t>(newSize - size));
    size = newSize;
    return true;
  }
  std::int64_t grown = std::int64_t{capacity} * 3 / 2;
  if (grown < newSize) grown = newSize;
  grown = roundUp16(grown);
  if (grown > kMaxCapacity) grown = roundUp16(newSize);
  auto block = allocate(grown);
  if (!block) return false;
  if (size > 0) std::memcpy(block.get(), data.get(), static_cast<std::size_t>(size));
  data = std::move(block);
  size = newSize;
  capacity = static_cast<std::int32_t>(grown);
  return true;
}

bool kvBank::holds(std::int32_t offset, std::int32_t count) const {
  const bool inside = offset >= 0 && count >= 0 && std::int64_t{offset} + count <= size;
  if (!inside && debugMode()) raiseError("Offset out of range");
  return inside;
}

}  // namespace korvo::stdlib
