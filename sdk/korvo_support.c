/* The memory routines that the compiler may call on its own (structure copies, zeroed
 * arrays), built into every program since a program links no C library. */
#include <stddef.h>

void* memcpy(void* dest, const void* src, size_t n) {
  unsigned char* d = dest;
  const unsigned char* s = src;
  while (n--) *d++ = *s++;
  return dest;
}

void* memmove(void* dest, const void* src, size_t n) {
  unsigned char* d = dest;
  const unsigned char* s = src;
  if (d < s) {
    while (n--) *d++ = *s++;
  } else {
    while (n--) d[n] = s[n];
  }
  return dest;
}

void* memset(void* dest, int value, size_t n) {
  unsigned char* d = dest;
  while (n--) *d++ = (unsigned char)value;
  return dest;
}

int memcmp(const void* a, const void* b, size_t n) {
  const unsigned char* x = a;
  const unsigned char* y = b;
  for (; n; --n, ++x, ++y) {
    if (*x != *y) return *x - *y;
  }
  return 0;
}

/* Called by code that a compiler built with its stack protector (the default of some systems)
 * when a function's frame was overwritten: the program ends with the runtime error of an
 * illegal instruction. */
__attribute__((noreturn)) void __stack_chk_fail(void) { __builtin_trap(); }
