// Global arrays (re-dimensionable, several dimensions) and vectors (fixed arrays inside
// objects and variables). Their blocks come from the block set; elements are KvSlots.
#pragma once

#include "korvo_layout.h"

namespace korvo::core {

// Internal routines of compiled code.
void kvDimArray(KvArray* array);
void kvUndimArray(KvArray* array);
void kvArrayBoundsEx();
KvSlot* kvVecAlloc(const KvVecType* type);
void kvVecFree(KvSlot* block, const KvVecType* type);
void kvVecBoundsEx();

}  // namespace korvo::core
