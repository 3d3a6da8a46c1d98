// Objects of user types: the per-type pools and lists, reference counts, walks, handles and
// the text form. The layouts (KvObj, KvObjType) are those of the program interface.
#pragma once

#include <cstdint>

#include "core/kv_string.h"
#include "korvo_layout.h"

namespace korvo::core {

// Forgets every type's lists, the handle tables and both counters (basic module create and
// destroy; the pooled blocks themselves belong to the block set).
void resetObjectPools();
// Objects created and not yet deleted.
std::int32_t activeObjectCount();
// Objects created and not yet returned to a free list.
std::int32_t unreleasedObjectCount();

// Internal routines of compiled code.
KvObj* kvObjNew(KvObjType* type);
void kvObjDelete(KvObj* obj);
void kvObjDeleteEach(KvObjType* type);
void kvObjRelease(KvObj* obj);
void kvObjStore(KvObj** variable, KvObj* value);
std::int32_t kvObjCompare(KvObj* a, KvObj* b);
KvObj* kvObjNext(KvObj* obj);
KvObj* kvObjPrev(KvObj* obj);
KvObj* kvObjFirst(KvObjType* type);
KvObj* kvObjLast(KvObjType* type);
void kvObjInsBefore(KvObj* a, KvObj* b);
void kvObjInsAfter(KvObj* a, KvObj* b);
std::int32_t kvObjEachFirst(KvObj** variable, KvObjType* type);
std::int32_t kvObjEachNext(KvObj** variable);
KvString* kvObjToStr(KvObj* obj);
std::int32_t kvObjToHandle(KvObj* obj);
KvObj* kvObjFromHandle(std::int32_t handle, KvObjType* type);
void kvNullObjEx();

// Handle tables (object_handles.cpp), used by the object routines.
// Drops obj's handle from both tables (on delete).
void forgetObjectHandle(KvObj* obj);
// Empties both tables and restarts the handle counter.
void resetObjectHandles();

}  // namespace korvo::core
