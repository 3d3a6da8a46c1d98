// Integer handles of objects: numbered 1, 2, 3, ... in order of first request and never
// reused, so a handle kept past Delete finds nothing rather than a newer object.
#include <unordered_map>

#include "core/kv_object.h"

namespace korvo::core {
namespace {

struct HandleTables {
  std::unordered_map<const KvObj*, std::int32_t> byObject;
  std::unordered_map<std::int32_t, KvObj*> byHandle;
  std::int32_t last = 0;
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
  t.byHandle.clear();
  t.last = 0;
}

std::int32_t kvObjToHandle(KvObj* obj) {
  if (!obj || !obj->fields) return 0;
  HandleTables& t = tables();
  auto [it, added] = t.byObject.try_emplace(obj, t.last + 1);
  if (added) {
    t.last = it->second;
    t.byHandle.emplace(t.last, obj);
  }
  return it->second;
}

KvObj* kvObjFromHandle(std::int32_t handle, KvObjType* type) {
  HandleTables& t = tables();
  auto it = t.byHandle.find(handle);
  if (it == t.byHandle.end() || it->second->type != type) return nullptr;
  return it->second;
}

}  // namespace korvo::core
