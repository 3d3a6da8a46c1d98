// The runtime's block set: every pooled block (strings, objects, arrays, vectors) is
// recorded here and freed when the basic module is destroyed.
#pragma once

#include <cstddef>
#include <unordered_set>

namespace korvo::core {

class BlockSet {
 public:
  // A zeroed block of size bytes, recorded in the set.
  void* allocate(std::size_t size);
  // Frees a block early (arrays and vectors); blocks not in the set are ignored.
  void free(void* block);
  // Frees every block still recorded.
  void freeAll();
  std::size_t size() const { return blocks_.size(); }

 private:
  std::unordered_set<void*> blocks_;
};

// The process-wide block set.
BlockSet& blockSet();

}  // namespace korvo::core
