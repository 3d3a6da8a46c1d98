// Reading data statements: one process-wide pointer into the program's data block, moved
// by Restore and by every successful read.
#include <cstdlib>

#include "core/kv_data.h"
#include "base/kv_ex.h"

namespace korvo::core {
namespace {

const KvDataEntry* gNext = nullptr;

// The entry to read; an unset pointer reads as the end of the data.
const KvDataEntry& current() {
  if (!gNext || gNext->tag == KV_TAG_END) raiseError("Out of data");
  if (gNext->tag != KV_TAG_INT && gNext->tag != KV_TAG_FLOAT && gNext->tag != KV_TAG_CSTRING)
    raiseError("Bad data type");
  return *gNext;
}

const char* text(const KvDataEntry& e) { return e.value.s ? e.value.s : ""; }

// Truncation toward zero; values no int can hold (and NaN) give the smallest int, as the
// processor's own conversion does.
std::int32_t truncate(float f) {
  if (!(f > -2147483904.0f && f < 2147483648.0f)) return INT32_MIN;
  return static_cast<std::int32_t>(f);
}

}  // namespace

void resetDataPointer() { gNext = nullptr; }

void kvRestore(const KvDataEntry* entry) { gNext = entry; }

std::int32_t kvReadInt() {
  const KvDataEntry& e = current();
  ++gNext;
  if (e.tag == KV_TAG_INT) return e.value.i;
  if (e.tag == KV_TAG_FLOAT) return truncate(e.value.f);
  return std::atoi(text(e));
}

float kvReadFloat() {
  const KvDataEntry& e = current();
  ++gNext;
  if (e.tag == KV_TAG_INT) return static_cast<float>(e.value.i);
  if (e.tag == KV_TAG_FLOAT) return e.value.f;
  return static_cast<float>(std::strtod(text(e), nullptr));
}

KvString* kvReadStr() {
  const KvDataEntry& e = current();
  KvString* s = e.tag == KV_TAG_INT     ? kvStrFromInt(e.value.i)
                : e.tag == KV_TAG_FLOAT ? kvStrFromFloat(e.value.f)
                                        : kvStrConst(text(e));
  ++gNext;
  return s;
}

}  // namespace korvo::core
