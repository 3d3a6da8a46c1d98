// The C declarations of the runtime's internal symbols: these carry no signature in the
// command table, so their result and argument lists are kept here, by registration text.
#pragma once

namespace korvo::tools {

struct InternalRoutine {
  const char* text;       // registration text
  const char* result;     // C result type; for data, the object's type
  const char* arguments;  // C argument list; null for data
};

inline constexpr InternalRoutine kInternalRoutines[] = {
    {"_kvDebugStmt", "void", "int32_t a, int32_t b"},
    {"_kvDebugEnter", "void", "int32_t a, int32_t b, int32_t c"},
    {"_kvDebugLeave", "void", "void"},
    {"_kvIntType", "const KvTypeRecord", nullptr},
    {"_kvFltType", "const KvTypeRecord", nullptr},
    {"_kvStrType", "const KvTypeRecord", nullptr},
    {"_kvCStrType", "const KvTypeRecord", nullptr},
    {"_kvStrLoad", "KvString*", "KvString** variable"},
    {"_kvStrRelease", "void", "KvString* s"},
    {"_kvStrStore", "void", "KvString** variable, KvString* value"},
    {"_kvStrCompare", "int32_t", "KvString* a, KvString* b"},
    {"_kvStrConcat", "KvString*", "KvString* a, KvString* b"},
    {"_kvStrToInt", "int32_t", "KvString* s"},
    {"_kvStrFromInt", "KvString*", "int32_t value"},
    {"_kvStrToFloat", "float", "KvString* s"},
    {"_kvStrFromFloat", "KvString*", "float value"},
    {"_kvStrConst", "KvString*", "const char* text"},
    {"_kvDimArray", "void", "KvArray* array"},
    {"_kvUndimArray", "void", "KvArray* array"},
    {"_kvArrayBoundsEx", "void", "void"},
    {"_kvVecAlloc", "KvSlot*", "const KvVecType* type"},
    {"_kvVecFree", "void", "KvSlot* block, const KvVecType* type"},
    {"_kvVecBoundsEx", "void", "void"},
    {"_kvObjNew", "KvObj*", "KvObjType* type"},
    {"_kvObjDelete", "void", "KvObj* obj"},
    {"_kvObjDeleteEach", "void", "KvObjType* type"},
    {"_kvObjRelease", "void", "KvObj* obj"},
    {"_kvObjStore", "void", "KvObj** variable, KvObj* value"},
    {"_kvObjCompare", "int32_t", "KvObj* a, KvObj* b"},
    {"_kvObjNext", "KvObj*", "KvObj* obj"},
    {"_kvObjPrev", "KvObj*", "KvObj* obj"},
    {"_kvObjFirst", "KvObj*", "KvObjType* type"},
    {"_kvObjLast", "KvObj*", "KvObjType* type"},
    {"_kvObjInsBefore", "void", "KvObj* a, KvObj* b"},
    {"_kvObjInsAfter", "void", "KvObj* a, KvObj* b"},
    {"_kvObjEachFirst", "int32_t", "KvObj** variable, KvObjType* type"},
    {"_kvObjEachNext", "int32_t", "KvObj** variable"},
    {"_kvObjToStr", "KvString*", "KvObj* obj"},
    {"_kvObjToHandle", "int32_t", "KvObj* obj"},
    {"_kvObjFromHandle", "KvObj*", "int32_t handle, KvObjType* type"},
    {"_kvNullObjEx", "void", "void"},
    {"_kvRestore", "void", "const KvDataEntry* entry"},
    {"_kvReadInt", "int32_t", "void"},
    {"_kvReadFloat", "float", "void"},
    {"_kvReadStr", "KvString*", "void"},
    {"_kvAbs", "int32_t", "int32_t a"},
    {"_kvSgn", "int32_t", "int32_t a"},
    {"_kvMod", "int32_t", "int32_t a, int32_t b"},
    {"_kvFAbs", "float", "float x"},
    {"_kvFSgn", "float", "float x"},
    {"_kvFMod", "float", "float a, float b"},
    {"_kvFPow", "float", "float a, float b"},
};

}  // namespace korvo::tools
