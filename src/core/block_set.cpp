// BlockSet: calloc-backed blocks freed together at the end of the program.
#include "core/block_set.h"

#include <cstdlib>
#include <new>

namespace korvo::core {

void* BlockSet::allocate(std::size_t size) {
  void* block = std::calloc(1, size ? size : 1);
  if (!block) throw std::bad_alloc();
  blocks_.insert(block);
  return block;
}

void BlockSet::free(void* block) {
  if (blocks_.erase(block)) std::free(block);
}

void BlockSet::freeAll() {
  for (void* block : blocks_) std::free(block);
  blocks_.clear();
}

BlockSet& blockSet() {
  static BlockSet set;
  return set;
}

}  // namespace korvo::core
