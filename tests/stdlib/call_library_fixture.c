/* A tiny shared library for CallDLL: sums the in-bank's bytes into the out-bank's first
   four bytes and reports the sizes it was given. */
#include <stdint.h>
#include <string.h>

int32_t sumBytes(const uint8_t* in, int32_t inSize, uint8_t* out, int32_t outSize) {
  int32_t sum = 0;
  for (int32_t i = 0; i < inSize; ++i) sum += in[i];
  if (out && outSize >= 4) memcpy(out, &sum, 4);
  return inSize * 1000 + outSize;
}

int32_t nullBanks(const void* in, int32_t inSize, const void* out, int32_t outSize) {
  return (in == 0 && inSize == 0 && out == 0 && outSize == 0) ? 77 : -1;
}
