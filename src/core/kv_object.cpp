// The object pools and lists of user types: creation, deletion, reference counts, walks,
// reordering and the Each loop.
//
// Every type keeps a used list (live objects and deleted ones that variables still hold)
// and a free list, both circular with the head inside the type descriptor. A deleted object
// keeps its memory until its last reference is released, so a stale reference reads as
// Null instead of touching a reused object.
#include <unordered_set>

#include "core/block_set.h"
#include "core/kv_array.h"
#include "core/kv_object.h"
#include "base/kv_ex.h"

namespace korvo::core {
namespace {

constexpr int kBlockObjects = 512;

struct ObjectPools {
  std::int32_t active = 0;
  std::int32_t unreleased = 0;
  // Types that own pooled objects: their lists point into the block set, so they are
  // emptied whenever the blocks go.
  std::unordered_set<KvObjType*> types;
};

ObjectPools& pools() {
  static ObjectPools p;
  return p;
}

bool isHead(const KvObj* o) { return o->type == nullptr; }

void unlink(KvObj* o) {
  o->prev->next = o->next;
  o->next->prev = o->prev;
}

void insertBefore(KvObj* o, KvObj* at) {
  o->next = at;
  o->prev = at->prev;
  at->prev->next = o;
  at->prev = o;
}

KvSlot* slotsOf(KvObj* o) { return reinterpret_cast<KvSlot*>(o + 1); }

void grow(KvObjType* type) {
  const std::size_t size = kvObjSize(type);
  auto* block = static_cast<unsigned char*>(blockSet().allocate(size * kBlockObjects));
  for (int i = 0; i < kBlockObjects; ++i) insertBefore(reinterpret_cast<KvObj*>(block + i * size), &type->freeList);
  pools().types.insert(type);
}

// The first object from o on (towards next or prev) that is not deleted, or null at the head.
KvObj* liveFrom(KvObj* o, KvObj* KvObj::*step) {
  for (; !isHead(o); o = o->*step) {
    if (o->fields) return o;
  }
  return nullptr;
}

// Moves a just before (or after) b; both must be objects of one type.
void move(KvObj* a, KvObj* b, bool after) {
  if (!a || !b || a == b || isHead(a) || a->type != b->type) return;
  unlink(a);
  insertBefore(a, after ? b->next : b);
}

}  // namespace

void resetObjectPools() {
  ObjectPools& p = pools();
  for (KvObjType* type : p.types) kvObjTypeInit(type, type->fieldCount);
  p.types.clear();
  p.active = 0;
  p.unreleased = 0;
  resetObjectHandles();
}

std::int32_t activeObjectCount() { return pools().active; }
std::int32_t unreleasedObjectCount() { return pools().unreleased; }

KvObj* kvObjNew(KvObjType* type) {
  if (type->freeList.next == &type->freeList) grow(type);
  KvObj* o = type->freeList.next;
  unlink(o);
  o->type = type;
  o->refs = 1;
  o->fields = slotsOf(o);
  const KvTypeRecord* const* records = kvObjTypeFields(type);
  for (std::int32_t i = 0; i < type->fieldCount; ++i) {
    o->fields[i].raw = 0;
    if (records[i]->tag == KV_TAG_VECTOR) o->fields[i].v = kvVecAlloc(reinterpret_cast<const KvVecType*>(records[i]));
  }
  insertBefore(o, &type->usedList);
  ++pools().active;
  ++pools().unreleased;
  return o;
}

void kvObjDelete(KvObj* o) {
  if (!o || !o->fields) return;
  const KvTypeRecord* const* records = kvObjTypeFields(o->type);
  for (std::int32_t i = 0; i < o->type->fieldCount; ++i) {
    KvSlot& slot = o->fields[i];
    switch (records[i]->tag) {
      case KV_TAG_STRING: kvStrRelease(slot.s); break;
      case KV_TAG_OBJECT: kvObjRelease(slot.o); break;
      case KV_TAG_VECTOR: kvVecFree(slot.v, reinterpret_cast<const KvVecType*>(records[i])); break;
      default: break;
    }
    slot.raw = 0;
  }
  forgetObjectHandle(o);
  o->fields = nullptr;
  --pools().active;
  kvObjRelease(o);
}

void kvObjDeleteEach(KvObjType* type) {
  // The successor must be a live object: a deleted one may be held only by the object being
  // deleted and go back to the free list with it, taking the walk off the used list.
  KvObj* o = kvObjFirst(type);
  while (o) {
    KvObj* next = kvObjNext(o);
    kvObjDelete(o);
    o = next;
  }
}

void kvObjRelease(KvObj* o) {
  // Heads (-1) and objects already back on a free list (0) are never released again: an
  // unbalanced release must not relink them.
  if (!o || o->refs <= 0) return;
  if (--o->refs > 0) return;
  unlink(o);
  insertBefore(o, &const_cast<KvObjType*>(o->type)->freeList);
  --pools().unreleased;
}

void kvObjStore(KvObj** variable, KvObj* value) {
  if (value) ++value->refs;
  kvObjRelease(*variable);
  *variable = value;
}

std::int32_t kvObjCompare(KvObj* a, KvObj* b) {
  const KvSlot* x = a ? a->fields : nullptr;
  const KvSlot* y = b ? b->fields : nullptr;
  return x == y ? 0 : 1;
}

KvObj* kvObjNext(KvObj* o) { return o ? liveFrom(o->next, &KvObj::next) : nullptr; }
KvObj* kvObjPrev(KvObj* o) { return o ? liveFrom(o->prev, &KvObj::prev) : nullptr; }
KvObj* kvObjFirst(KvObjType* type) { return liveFrom(type->usedList.next, &KvObj::next); }
KvObj* kvObjLast(KvObjType* type) { return liveFrom(type->usedList.prev, &KvObj::prev); }

void kvObjInsBefore(KvObj* a, KvObj* b) { move(a, b, false); }
void kvObjInsAfter(KvObj* a, KvObj* b) { move(a, b, true); }

std::int32_t kvObjEachFirst(KvObj** variable, KvObjType* type) {
  kvObjStore(variable, kvObjFirst(type));
  return *variable ? 1 : 0;
}

std::int32_t kvObjEachNext(KvObj** variable) {
  // The successor is found before the store, which may free the current object.
  kvObjStore(variable, kvObjNext(*variable));
  return *variable ? 1 : 0;
}

void kvNullObjEx() { raiseError("Object does not exist"); }

}  // namespace korvo::core
