// The string pool (blocks of 512, FIFO free list) and the string routines.
#include "core/kv_string.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "base/kv_ex.h"
#include "core/block_set.h"

namespace korvo::core {
namespace {

constexpr int kBlockStrings = 512;

// Circular lists with a sentinel each; the sentinels never carry text.
struct StringPool {
  KvString used{{}, &used, &used};
  KvString free{{}, &free, &free};
  std::int32_t live = 0;
};

// Made on first use (so no other file's start-up code can find it unmade), and inlined: each
// string operation reaches the pool two or three times, and a call each time cost more than
// the work.
[[gnu::always_inline]] inline StringPool& pool() {
  static StringPool p;
  return p;
}

void unlink(KvString* s) {
  s->prev->next = s->next;
  s->next->prev = s->prev;
}

void append(KvString& head, KvString* s) {
  s->prev = head.prev;
  s->next = &head;
  head.prev->next = s;
  head.prev = s;
}

void grow() {
  auto* block = static_cast<KvString*>(blockSet().allocate(sizeof(KvString) * kBlockStrings));
  for (int i = 0; i < kBlockStrings; ++i) append(pool().free, &block[i]);
}

// A string object from the pool holding text (a view to copy or a string to take). The text
// is made in place in the first free object while it is still on the free list, so that a
// failed allocation leaves the pool as it was, and no temporary string is made and moved.
template <typename Text>
KvString* pooled(Text&& text) {
  StringPool& p = pool();
  if (p.free.next == &p.free) grow();
  KvString* s = p.free.next;
  new (&s->text) std::string(std::forward<Text>(text));
  unlink(s);
  append(p.used, s);
  ++p.live;
  return s;
}

}  // namespace

void resetStringPool() {
  StringPool& p = pool();
  p.used.next = p.used.prev = &p.used;
  p.free.next = p.free.prev = &p.free;
  p.live = 0;
}

void releaseAllStrings() {
  StringPool& p = pool();
  while (p.used.next != &p.used) kvStrRelease(p.used.next);
}

std::int32_t liveStringCount() { return pool().live; }

void requireStringLength(std::size_t length) {
  if (length > kMaxStringLength) raiseError(kOutOfMemory);
}

KvString* newString(std::string_view text) {
  requireStringLength(text.size());
  return pooled(text);
}

KvString* newString(std::string&& text) {
  requireStringLength(text.size());
  return pooled(std::move(text));
}

std::string takeString(KvString* s) {
  if (!s) return {};
  std::string text = std::move(s->text);
  kvStrRelease(s);
  return text;
}

StringArg::~StringArg() { kvStrRelease(s_); }

KvString* kvStrConst(const char* text) { return newString(text ? text : ""); }

KvString* kvStrLoad(KvString** variable) { return newString(viewString(*variable)); }

void kvStrStore(KvString** variable, KvString* value) {
  if (*variable) kvStrRelease(*variable);
  *variable = value;
}

void kvStrRelease(KvString* s) {
  if (!s) return;
  using std::string;
  s->text.~string();
  --pool().live;
  unlink(s);
  append(pool().free, s);
}

KvString* kvStrConcat(KvString* a, KvString* b) {
  // A null a is the empty string like any other null: b (or a new empty string) is the result.
  if (!a) return b ? b : newString("");
  if (a->text.size() + viewString(b).size() > kMaxStringLength) {
    kvStrRelease(a);
    kvStrRelease(b);
    raiseError(kOutOfMemory);
  }
  a->text.append(viewString(b));
  kvStrRelease(b);
  return a;
}

std::int32_t kvStrCompare(KvString* a, KvString* b) {
  const std::string_view x = viewString(a), y = viewString(b);
  const std::size_t n = x.size() < y.size() ? x.size() : y.size();
  int r = n ? std::memcmp(x.data(), y.data(), n) : 0;
  if (r == 0) r = x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
  kvStrRelease(a);
  kvStrRelease(b);
  return r;
}

std::int32_t kvStrToInt(KvString* s) {
  StringArg arg(s);
  return std::atoi(arg.c_str());
}

KvString* kvStrFromInt(std::int32_t value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  return pooled(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

float kvStrToFloat(KvString* s) {
  StringArg arg(s);
  return static_cast<float>(std::strtod(arg.c_str(), nullptr));
}

KvString* kvStrFromFloat(float value) { return newString(floatText(value)); }

}  // namespace korvo::core
