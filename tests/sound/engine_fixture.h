// Shared set-up for the sound engine tests: a private engine on a virtual clock, and helpers
// to build samples in code.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "backend/clock.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound::test {

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setClock(&clock_);
    setenv("KORVO_AUDIO", audioChoice().c_str(), 1);
  }
  void TearDown() override {
    engine_.close();
    platform::setClock(nullptr);
    setenv("KORVO_AUDIO", "none", 1);
  }
  virtual std::string audioChoice() const { return "none"; }

  void start(int rate = 44100, int channels = 32) { ASSERT_TRUE(engine_.init(rate, channels, 0)); }

  // A 16-bit mono sample holding values, looped as given.
  Sample* sample16(const std::vector<std::int16_t>& values, std::uint32_t loop = mode::kLoopOff) {
    Sample* s = engine_.allocSample(kSlotFree, static_cast<std::uint32_t>(values.size()),
                                    mode::k16Bits | mode::kMono | loop, 44100, 255, 128, 255);
    if (s) engine_.uploadSampleData(s, values.data(), mode::k16Bits);
    return s;
  }

  platform::VirtualClock clock_;
  SoundEngine engine_;
};

}  // namespace korvo::sound::test
