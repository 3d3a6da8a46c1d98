// Integer handles of objects: numbered 1, 2, 3, ... in order of first request and never
// reused within a run, so a handle kept past Delete finds nothing rather than a newer object.
#include <unordered_map>

#include "base/handle_registry.h"
#include "core/kv_object.h"

namespace korvo::core {
namespace {

struct HandleTables {
  HandleTable<KvObj> byHandle;
  std::unordered_map<const KvObj*, std::int32_t> byObject;
};

HandleTables& tables() {
  static HandleTables t;
  return t;
}

}  // namespace

void forgetObjectHandle(KvObj* obj) {
  HandleTables& t = tables();
  auto it = t.byObject.find(obj);
  if (it == t.byObject.end()) return;
  t.byHandle.erase(it->second);
  t.byObject.erase(it);
}

void resetObjectHandles() {
  HandleTables& t = tables();
  t.byObject.clear();
  t.byHandle.reset();
}

std::int32_t kvObjToHandle(KvObj* obj) {
  if (!obj || !obj->fields) return 0;
  HandleTables& t = tables();
  auto it = t.byObject.find(obj);
  if (it != t.byObject.end()) return it->second;
  const std::int32_t handle = t.byHandle.add(obj);
  t.byObject.emplace(obj, handle);
  return handle;
}

KvObj* kvObjFromHandle(std::int32_t handle, KvObjType* type) {
  KvObj* obj = tables().byHandle.find(handle);
  return obj && obj->type == type ? obj : nullptr;
}

}  // namespace korvo::core
