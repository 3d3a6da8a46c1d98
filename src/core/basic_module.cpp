// The basic module: the language core's pools, counters and tables, and its registrations.
#include "core/block_set.h"
#include "core/kv_string.h"
#include "core/type_records.h"
#include "host/runtime_modules.h"

namespace korvo {

bool createBasicModule() {
  core::resetStringPool();
  return true;
}

void destroyBasicModule() {
  core::releaseAllStrings();
  core::blockSet().freeAll();
  core::resetStringPool();
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
}

}  // namespace korvo
