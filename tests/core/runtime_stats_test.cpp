// RuntimeStats: the three counter lines reach the debugger's log, in order.
#include <gtest/gtest.h>

#include "core/kv_object.h"
#include "core/kv_string.h"
#include "core/runtime_stats.h"
#include "core/type_records.h"
#include "core/test_types.h"
#include "support/recording_hooks.h"
#include "startup/runtime_modules.h"
#include "host/runtime_host.h"

namespace korvo {
namespace {

using platform::RuntimeHost;

TEST(RuntimeStats, LogsLiveStringsLiveObjectsAndUnreleasedObjects) {
  testing::RecordingHooks hooks;
  RuntimeHost* host = RuntimeHost::create("", &hooks);
  ASSERT_NE(host, nullptr);
  createBasicModule();

  testing::UserType<1> thing{&core::kvIntType};
  KvObj* held = nullptr;
  core::kvObjNew(&thing.type);
  core::kvObjStore(&held, core::kvObjNew(&thing.type));
  core::kvObjDelete(held);
  KvString* s = core::kvStrConst("one");
  cmd::RuntimeStats();
  EXPECT_EQ(hooks.logs, (std::vector<std::string>{"Active strings :1", "Active objects :1", "Unreleased objs:2"}));

  core::kvStrRelease(s);
  core::kvObjRelease(held);
  hooks.logs.clear();
  cmd::RuntimeStats();
  EXPECT_EQ(hooks.logs, (std::vector<std::string>{"Active strings :0", "Active objects :1", "Unreleased objs:1"}));

  destroyBasicModule();
  RuntimeHost::destroy(host);
}

TEST(RuntimeStats, WithoutAHostNothingHappens) { cmd::RuntimeStats(); }

}  // namespace
}  // namespace korvo
