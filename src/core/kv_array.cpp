// Arrays and vectors: allocation through the block set, release of string and object
// elements when a block goes, and the two bounds errors compiled code raises.
#include "core/kv_array.h"

#include <cstdint>
#include <limits>
#include <new>

#include "core/block_set.h"
#include "core/kv_object.h"
#include "core/kv_string.h"
#include "base/kv_ex.h"

namespace korvo::core {
namespace {

// A zeroed block of count slots (at least one byte, so a block always has an address).
KvSlot* allocateSlots(std::int64_t count) {
  const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
  return static_cast<KvSlot*>(blockSet().allocate(n * sizeof(KvSlot)));
}

// Releases the elements that own something, then frees the block.
void freeSlots(KvSlot* block, std::int64_t count, std::int32_t tag) {
  if (tag == KV_TAG_STRING) {
    for (std::int64_t i = 0; i < count; ++i) kvStrRelease(block[i].s);
  } else if (tag == KV_TAG_OBJECT) {
    for (std::int64_t i = 0; i < count; ++i) kvObjRelease(block[i].o);
  }
  blockSet().free(block);
}

std::int32_t elementCount(KvArray* array) { return array->dims > 0 ? kvArrayScales(array)[array->dims - 1] : 0; }

}  // namespace

void kvDimArray(KvArray* array) {
  std::int32_t* scales = kvArrayScales(array);
  std::int64_t size = 1;
  for (std::int32_t k = 0; k < array->dims; ++k) {
    size *= static_cast<std::int64_t>(scales[k]) + 1;
    // A size the scale words cannot hold cannot be allocated either: out of memory.
    if (size > std::numeric_limits<std::int32_t>::max() || size < std::numeric_limits<std::int32_t>::min())
      throw std::bad_alloc();
    scales[k] = static_cast<std::int32_t>(size);
  }
  array->data = allocateSlots(elementCount(array));
}

void kvUndimArray(KvArray* array) {
  if (!array->data) return;
  freeSlots(array->data, elementCount(array), array->elementTag);
  array->data = nullptr;
}

void kvArrayBoundsEx() { raiseError("Array index out of bounds"); }

KvSlot* kvVecAlloc(const KvVecType* type) { return allocateSlots(type->count); }

void kvVecFree(KvSlot* block, const KvVecType* type) {
  if (block) freeSlots(block, type->count, type->elementType->tag);
}

void kvVecBoundsEx() { raiseError("Korvo array index out of bounds"); }

}  // namespace korvo::core
