// Low mappings: MAP_32BIT first (the kernel's window in the first 2 GB), then explicit
// hints below the limit for kernels or sanitizers that refuse it.
#include "base/low_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace korvo::platform {
namespace {

std::size_t pageRound(std::size_t size) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (size + page - 1) / page * page;
}

void* mapLow(std::size_t size, int protection) {
  const int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_32BIT
  void* p = mmap(nullptr, size, protection, flags | MAP_32BIT, -1, 0);
  if (p != MAP_FAILED) {
    if (isLow(p, size)) return p;
    munmap(p, size);
  }
#endif
  // Hints spread over the low range; the kernel honours a hint only when it is free.
  for (std::uintptr_t hint = 0x10000000; hint + size < kLowLimit; hint += 0x08000000) {
    p = mmap(reinterpret_cast<void*>(hint), size, protection, flags, -1, 0);
    if (p == MAP_FAILED) continue;
    if (isLow(p, size)) return p;
    munmap(p, size);
  }
  return nullptr;
}

// The copies lowCopy made, kept for the process (compiled code holds their addresses): by
// original address, carved out of low arenas, the last of which has used bytes taken.
struct LowCopies {
  std::mutex mutex;
  std::map<const void*, const void*> copies;
  std::vector<LowBlock> arenas;
  std::size_t used = 0;
};

}  // namespace

LowBlock::LowBlock(std::size_t size, bool executable) {
  const std::size_t rounded = pageRound(size == 0 ? 1 : size);
  const int protection = PROT_READ | PROT_WRITE | (executable ? PROT_EXEC : 0);
  if (void* p = mapLow(rounded, protection)) {
    data_ = static_cast<std::uint8_t*>(p);
    size_ = rounded;
  }
}

LowBlock::~LowBlock() {
  if (data_) munmap(data_, size_);
}

LowBlock::LowBlock(LowBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LowBlock& LowBlock::operator=(LowBlock&& other) noexcept {
  if (this != &other) {
    if (data_) munmap(data_, size_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

std::uint8_t* LowBlock::release() {
  size_ = 0;
  return std::exchange(data_, nullptr);
}

const void* lowCopy(const void* address, std::size_t size) {
  if (isLow(address, size)) return address;
  static LowCopies low;
  constexpr std::size_t kAlign = 16;
  std::lock_guard<std::mutex> lock(low.mutex);
  if (auto it = low.copies.find(address); it != low.copies.end()) return it->second;
  const std::size_t need = (size + kAlign - 1) / kAlign * kAlign;
  if (low.arenas.empty() || low.used + need > low.arenas.back().size()) {
    LowBlock block(need > 4096 ? need : 4096, false);
    if (!block.data()) return address;
    low.arenas.push_back(std::move(block));
    low.used = 0;
  }
  std::uint8_t* copy = low.arenas.back().data() + low.used;
  low.used += need;
  std::memcpy(copy, address, size);
  low.copies[address] = copy;
  return copy;
}

bool isLow(const void* address, std::size_t size) {
  const auto start = reinterpret_cast<std::uintptr_t>(address);
  return start < kLowLimit && size <= kLowLimit - start;
}

}  // namespace korvo::platform
