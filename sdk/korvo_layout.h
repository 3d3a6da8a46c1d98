/* The data layouts shared by the runtime and compiled programs: type records, objects of
 * user types and their type descriptors, array descriptors, vector type records and data
 * entries. Compiled code builds descriptors and data blocks in these shapes and the runtime
 * reads and writes them, so every offset here is part of the contract and is checked below.
 *
 * Plain C (C11 or later) and C++. In C++ the types live in namespace korvo, where KvString
 * is the runtime's string type; C code treats KvString as opaque.
 *
 * 64-bit layout rules:
 *  - field order is fixed; every field that holds an address is pointer-sized;
 *  - object field slots, array elements and vector elements are 8-byte KvSlot values: a slot
 *    holds a KvString* (null reads as ""), a KvObj* (null is Null) or a vector block, or an
 *    int32 or a float in its low 4 bytes (readers of ints and floats look at those only);
 *  - data entries are 16 bytes: int32 tag, int32 padding, then an 8-byte value (int32 or
 *    float in the low 4 bytes, or a const char*);
 *  - every type record starts with an int32 tag.
 */
#ifndef KORVO_LAYOUT_H
#define KORVO_LAYOUT_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
namespace korvo {
#endif

/* Type tags: the first field of every type record. Array descriptors store the element tag
 * itself; data entries use 0 for the end of the data. */
enum {
  KV_TAG_END = 0,
  KV_TAG_INT = 1,
  KV_TAG_FLOAT = 2,
  KV_TAG_STRING = 3,
  KV_TAG_CSTRING = 4,
  KV_TAG_OBJECT = 5,
  KV_TAG_VECTOR = 6
};

struct KvString;
struct KvObj;
#ifndef __cplusplus
typedef struct KvString KvString;
#endif

/* One 8-byte value: object field, array element or vector element. */
typedef union KvSlot {
  int32_t i;
  float f;
  struct KvString* s;
  struct KvObj* o;
  union KvSlot* v; /* vector block */
  uint64_t raw;
} KvSlot;

/* The built-in records (int, float, string, C string) are just the tag. */
typedef struct KvTypeRecord {
  int32_t tag;
} KvTypeRecord;

/* A fixed-size array inside an object or variable: tag 6, element count, element type. */
typedef struct KvVecType {
  int32_t tag;
  int32_t count;
  const KvTypeRecord* elementType;
} KvVecType;

/* An object of a user type: this header, then the type's field slots. List heads share the
 * shape with type null (the end of every walk) and reference count -1. */
typedef struct KvObj {
  KvSlot* fields;      /* the first field slot while the object exists; null once deleted */
  struct KvObj* next;  /* next object in its used or free list */
  struct KvObj* prev;  /* previous object in its list */
  const struct KvObjType* type;
  int32_t refs;        /* variables holding it, plus one for the used list until deleted */
  int32_t pad;
} KvObj;

/* A user type (tag 5), emitted by the compiler as `_t` + name. fieldCount pointers to the
 * fields' type records follow the structure directly (see kvObjTypeFields). */
typedef struct KvObjType {
  int32_t tag;
  int32_t pad;
  KvObj usedList; /* head of the list of live objects and deleted ones still held */
  KvObj freeList; /* head of the list of free objects */
  int32_t fieldCount;
  int32_t pad2;
} KvObjType;

/* A global array (`_a` + name): dims int32 scale words follow the structure directly. Before
 * dimensioning they hold the declared upper bounds, afterwards the cumulative sizes. */
typedef struct KvArray {
  KvSlot* data;       /* element block, or null while not dimensioned */
  int32_t elementTag; /* 1 int, 2 float, 3 string, 5 object */
  int32_t dims;
} KvArray;

/* One entry of the data block (`__DATA`). */
typedef struct KvDataEntry {
  int32_t tag; /* 0 end, 1 int, 2 float, 4 C string */
  int32_t pad;
  union {
    int32_t i;
    float f;
    const char* s;
  } value;
} KvDataEntry;

/* The field type records of t. */
static inline const KvTypeRecord* const* kvObjTypeFields(const KvObjType* t) {
  return (const KvTypeRecord* const*)(t + 1);
}

/* The scale words of a. */
static inline int32_t* kvArrayScales(KvArray* a) { return (int32_t*)(a + 1); }

/* Bytes of one object of t (header and field slots). */
static inline size_t kvObjSize(const KvObjType* t) {
  return sizeof(KvObj) + (size_t)t->fieldCount * sizeof(KvSlot);
}

/* Makes t an empty user type with fieldCount fields (the field records are set by the
 * caller), as the compiler emits it. */
static inline void kvObjTypeInit(KvObjType* t, int32_t fieldCount) {
  t->tag = KV_TAG_OBJECT;
  t->pad = 0;
  t->usedList.fields = NULL;
  t->usedList.next = t->usedList.prev = &t->usedList;
  t->usedList.type = NULL;
  t->usedList.refs = -1;
  t->usedList.pad = 0;
  t->freeList = t->usedList;
  t->freeList.next = t->freeList.prev = &t->freeList;
  t->fieldCount = fieldCount;
  t->pad2 = 0;
}

#ifdef __cplusplus
#define KV_LAYOUT_ASSERT(cond, what) static_assert(cond, what)
#else
#define KV_LAYOUT_ASSERT(cond, what) _Static_assert(cond, what)
#endif

KV_LAYOUT_ASSERT(sizeof(void*) == 8, "the layouts are defined for 64-bit targets");
KV_LAYOUT_ASSERT(sizeof(KvSlot) == 8, "slots are 8 bytes");
KV_LAYOUT_ASSERT(offsetof(KvVecType, count) == 4 && offsetof(KvVecType, elementType) == 8,
                 "vector type record");
KV_LAYOUT_ASSERT(offsetof(KvObj, next) == 8 && offsetof(KvObj, prev) == 16 &&
                     offsetof(KvObj, type) == 24 && offsetof(KvObj, refs) == 32 &&
                     sizeof(KvObj) == 40,
                 "object header");
KV_LAYOUT_ASSERT(offsetof(KvObjType, usedList) == 8 && offsetof(KvObjType, freeList) == 48 &&
                     offsetof(KvObjType, fieldCount) == 88 && sizeof(KvObjType) == 96,
                 "user type descriptor");
KV_LAYOUT_ASSERT(offsetof(KvArray, elementTag) == 8 && offsetof(KvArray, dims) == 12 &&
                     sizeof(KvArray) == 16,
                 "array descriptor");
KV_LAYOUT_ASSERT(offsetof(KvDataEntry, value) == 8 && sizeof(KvDataEntry) == 16, "data entry");

#undef KV_LAYOUT_ASSERT

#ifdef __cplusplus
} /* namespace korvo */
#endif

#endif /* KORVO_LAYOUT_H */
