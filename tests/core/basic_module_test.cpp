// The basic module as a program sees it: every routine reached through its registered
// address, an error raised inside one, and the module's destroy cleaning up after the run.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "core/block_set.h"
#include "core/kv_object.h"
#include "core/kv_string.h"
#include "core/type_records.h"
#include "core/test_types.h"
#include "support/recording_hooks.h"
#include "startup/runtime_interface.h"

namespace korvo {
namespace {

class Addresses : public Registrar {
 public:
  void add(const char* text, void* address) override { byName[text] = address; }
  std::map<std::string, void*> byName;
};

Addresses gBasic;
testing::UserType<2> gThing{&core::kvIntType, &core::kvStrType};
KvObj* gHeld = nullptr;

template <typename F>
F routine(const char* name) {
  return reinterpret_cast<F>(gBasic.byName.at(name));
}

// A program body: objects, a string field, statistics, then a division by zero.
void program() {
  auto objNew = routine<KvObj* (*)(KvObjType*)>("_kvObjNew");
  auto objStore = routine<void (*)(KvObj**, KvObj*)>("_kvObjStore");
  auto strConst = routine<KvString* (*)(const char*)>("_kvStrConst");
  auto stats = routine<void (*)()>("RuntimeStats");
  auto mod = routine<std::int32_t (*)(std::int32_t, std::int32_t)>("_kvMod");

  objNew(&gThing.type);
  objStore(&gHeld, objNew(&gThing.type));
  gHeld->fields[1].s = strConst("field");
  stats();
  mod(1, 0);
  stats();  // never reached
}

TEST(BasicModule, RegistersFiftyRoutinesInTableOrder) {
  struct Texts : Registrar {
    void add(const char* text, void*) override { texts.push_back(text); }
    std::vector<std::string> texts;
  } recorder;
  registerBasicCommands(recorder);
  ASSERT_EQ(recorder.texts.size(), 50u);
  EXPECT_EQ(recorder.texts.front(), "_kvIntType");
  EXPECT_EQ(recorder.texts.back(), "RuntimeStats");
}

TEST(BasicModule, ErrorInsideARoutineEndsTheRunAndDestroyCleansUp) {
  registerBasicCommands(gBasic);
  const RuntimeModule modules[] = {{"basic", &createBasicModule, &destroyBasicModule, "basic_create failed"}};
  testing::RecordingHooks hooks;

  const char* result = runOnModules(&program, "", &hooks, modules);

  ASSERT_NE(result, nullptr);
  EXPECT_STREQ(result, "Integer divide by zero");
  EXPECT_EQ(hooks.logs, (std::vector<std::string>{"Active strings :1", "Active objects :2", "Unreleased objs:2"}));
  ASSERT_FALSE(hooks.messages.empty());
  EXPECT_EQ(hooks.messages.front(), "!Integer divide by zero");
  EXPECT_EQ(core::liveStringCount(), 0);
  EXPECT_EQ(core::blockSet().size(), 0u);
  EXPECT_EQ(gThing.type.usedList.next, &gThing.type.usedList);
}

}  // namespace
}  // namespace korvo
