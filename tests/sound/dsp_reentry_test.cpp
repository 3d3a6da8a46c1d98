// Engine operations called by a DSP unit while its pass runs on the program's own thread (the
// synchronous pump, or blocks mixed directly): they must neither start another pass inside
// the running one nor wait for the running pass to end. A fault here is a real deadlock, so
// each case runs on a thread of its own and is judged by whether that thread comes back.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound {
namespace {

// Far longer than any of these cases takes; only a thread stuck for good runs out of it.
constexpr auto kDeadlockWait = std::chrono::seconds(20);

struct Rig {
  platform::VirtualClock clock;
  SoundEngine engine;
};

// Runs body(rig) as the engine's owner thread; false when that thread never came back (the rig
// is then left to the stuck thread).
template <typename Body>
bool returns(Body body) {
  auto* rig = new Rig;
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread owner([rig, body, &done]() mutable {
    platform::setClock(&rig->clock);
    setenv("KORVO_AUDIO", "none", 1);
    if (rig->engine.init(44100, 8, 0)) body(*rig);
    rig->engine.close();
    platform::setClock(nullptr);
    done.set_value();
  });
  if (finished.wait_for(kDeadlockWait) != std::future_status::ready) {
    owner.detach();
    return false;
  }
  owner.join();
  delete rig;
  return true;
}

TEST(DspReentryTest, UnitsCallingEngineOperationsWhileBlocksAreMixedDirectly) {
  int calls = 0;
  EXPECT_TRUE(returns([&calls](Rig& rig) {
    rig.engine.createDspUnit(
        [&rig, &calls](void* buffer, std::int32_t, std::int32_t) {
          ++calls;
          rig.engine.setChannelVolume(kAllChannels, 200);
          rig.engine.pump();
          return buffer;
        },
        dsp::kMusic, true);
    rig.clock.advance(100);
    rig.engine.mixUpTo(rig.engine.bufferSamples() / 2);
  })) << "a pass started inside the running pass";
  EXPECT_GT(calls, 0);
}

TEST(DspReentryTest, UnitsFreeingSamplesDuringThePump) {
  bool freed = false;
  EXPECT_TRUE(returns([&freed](Rig& rig) {
    Sample* doomed = rig.engine.allocSample(kSlotFree, 16, mode::k16Bits | mode::kMono, 44100, 255, 128, 255);
    ASSERT_NE(doomed, nullptr);
    rig.engine.createDspUnit(
        [&rig, &doomed, &freed](void* buffer, std::int32_t, std::int32_t) {
          if (doomed) {
            rig.engine.freeSample(doomed);
            freed = true;
            doomed = nullptr;
          }
          return buffer;
        },
        dsp::kMusic, true);
    rig.clock.advance(100);
    rig.engine.pump();
  })) << "a pass waited for itself to end";
  EXPECT_TRUE(freed);
}

}  // namespace
}  // namespace korvo::sound
