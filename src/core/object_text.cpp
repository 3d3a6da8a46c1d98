// The text form of an object: its fields in brackets, nested objects recursively, the
// object being converted shown as [ROOT] and anything deeper than eight levels as "....".
#include <string>

#include "core/kv_object.h"

namespace korvo::core {
namespace {

constexpr int kMaxDepth = 8;

// The conversion in progress: process-wide, as nested conversions of one object share it.
struct Conversion {
  const KvObj* root = nullptr;
  int depth = 0;
};

Conversion& conversion() {
  static Conversion c;
  return c;
}

// Restores the previous root and depth, also when building the text throws.
class Level {
 public:
  explicit Level(const KvObj* obj) : saved_(conversion()) {
    Conversion& c = conversion();
    ++c.depth;
    if (!c.root) c.root = obj;
  }
  ~Level() { conversion() = saved_; }
  Level(const Level&) = delete;
  Level& operator=(const Level&) = delete;

 private:
  Conversion saved_;
};

void appendObject(std::string& out, const KvObj* obj) {
  if (!obj || !obj->fields) {
    out += "[NULL]";
    return;
  }
  if (obj == conversion().root) {
    out += "[ROOT]";
    return;
  }
  if (conversion().depth >= kMaxDepth) {
    out += "....";
    return;
  }
  Level level(obj);
  const KvTypeRecord* const* records = kvObjTypeFields(obj->type);
  out += '[';
  for (std::int32_t i = 0; i < obj->type->fieldCount; ++i) {
    if (i) out += ',';
    const KvSlot& slot = obj->fields[i];
    switch (records[i]->tag) {
      case KV_TAG_INT: out += std::to_string(slot.i); break;
      case KV_TAG_FLOAT: out += floatText(slot.f); break;
      case KV_TAG_STRING:
        out += '"';
        out += viewString(slot.s);
        out += '"';
        break;
      case KV_TAG_OBJECT: appendObject(out, slot.o); break;
      default: out += "???"; break;
    }
  }
  out += ']';
}

}  // namespace

KvString* kvObjToStr(KvObj* obj) {
  std::string text;
  appendObject(text, obj);
  return newString(text);
}

}  // namespace korvo::core
