// The basic module: the language core's pools, counters and tables, and its registrations.
#include "core/block_set.h"
#include "core/kv_array.h"
#include "core/kv_data.h"
#include "core/kv_object.h"
#include "core/kv_string.h"
#include "core/runtime_stats.h"
#include "core/type_records.h"
#include "core/basic_module.h"

namespace korvo {
namespace {

void resetCore() {
  core::resetStringPool();
  core::resetObjectPools();
  core::resetDataPointer();
}

}  // namespace

bool createBasicModule() {
  resetCore();
  return true;
}

void destroyBasicModule() {
  // Strings first: their texts are heap storage of their own, unlike objects and arrays,
  // which live wholly inside the pooled blocks.
  core::releaseAllStrings();
  core::blockSet().freeAll();
  resetCore();
}

void registerBasicCommands(Registrar& r) {
  using namespace core;
  r.add("_kvIntType", datum(&kvIntType));
  r.add("_kvFltType", datum(&kvFltType));
  r.add("_kvStrType", datum(&kvStrType));
  r.add("_kvCStrType", datum(&kvCStrType));
  r.add("_kvStrLoad", entry<&kvStrLoad>());
  r.add("_kvStrRelease", entry<&kvStrRelease>());
  r.add("_kvStrStore", entry<&kvStrStore>());
  r.add("_kvStrCompare", entry<&kvStrCompare>());
  r.add("_kvStrConcat", entry<&kvStrConcat>());
  r.add("_kvStrToInt", entry<&kvStrToInt>());
  r.add("_kvStrFromInt", entry<&kvStrFromInt>());
  r.add("_kvStrToFloat", entry<&kvStrToFloat>());
  r.add("_kvStrFromFloat", entry<&kvStrFromFloat>());
  r.add("_kvStrConst", entry<&kvStrConst>());
  r.add("_kvDimArray", entry<&kvDimArray>());
  r.add("_kvUndimArray", entry<&kvUndimArray>());
  r.add("_kvArrayBoundsEx", entry<&kvArrayBoundsEx>());
  r.add("_kvVecAlloc", entry<&kvVecAlloc>());
  r.add("_kvVecFree", entry<&kvVecFree>());
  r.add("_kvVecBoundsEx", entry<&kvVecBoundsEx>());
  r.add("_kvObjNew", entry<&kvObjNew>());
  r.add("_kvObjDelete", entry<&kvObjDelete>());
  r.add("_kvObjDeleteEach", entry<&kvObjDeleteEach>());
  r.add("_kvObjRelease", entry<&kvObjRelease>());
  r.add("_kvObjStore", entry<&kvObjStore>());
  r.add("_kvObjCompare", entry<&kvObjCompare>());
  r.add("_kvObjNext", entry<&kvObjNext>());
  r.add("_kvObjPrev", entry<&kvObjPrev>());
  r.add("_kvObjFirst", entry<&kvObjFirst>());
  r.add("_kvObjLast", entry<&kvObjLast>());
  r.add("_kvObjInsBefore", entry<&kvObjInsBefore>());
  r.add("_kvObjInsAfter", entry<&kvObjInsAfter>());
  r.add("_kvObjEachFirst", entry<&kvObjEachFirst>());
  r.add("_kvObjEachNext", entry<&kvObjEachNext>());
  r.add("_kvObjToStr", entry<&kvObjToStr>());
  r.add("_kvObjToHandle", entry<&kvObjToHandle>());
  r.add("_kvObjFromHandle", entry<&kvObjFromHandle>());
  r.add("_kvNullObjEx", entry<&kvNullObjEx>());
  r.add("_kvRestore", entry<&kvRestore>());
  r.add("_kvReadInt", entry<&kvReadInt>());
  r.add("_kvReadFloat", entry<&kvReadFloat>());
  r.add("_kvReadStr", entry<&kvReadStr>());
  r.add("_kvAbs", entry<&kvAbs>());
  r.add("_kvSgn", entry<&kvSgn>());
  r.add("_kvMod", entry<&kvMod>());
  r.add("_kvFAbs", entry<&kvFAbs>());
  r.add("_kvFSgn", entry<&kvFSgn>());
  r.add("_kvFMod", entry<&kvFMod>());
  r.add("_kvFPow", entry<&kvFPow>());
  r.add("RuntimeStats", entry<&cmd::RuntimeStats>());
}

}  // namespace korvo
