// Samples: mode normalisation, the slot table, upload conversions, guard samples after the
// loop end, locking, loop points, defaults and freeing.
#include <cstring>

#include "engine_fixture.h"
#include "sample_packer.h"
#include "sound/engine/sample_store.h"

namespace korvo::sound::test {
namespace {

using SampleTest = EngineTest;

TEST(SampleMode, Normalisation) {
  using namespace mode;
  EXPECT_EQ(SampleStore::normaliseMode(0, false, true), kMono | k8Bits | kLoopOff);
  EXPECT_EQ(SampleStore::normaliseMode(k8Bits | k16Bits | kMono | kStereo | kLoopNormal, false, true),
            k16Bits | kStereo | kLoopNormal);
  EXPECT_EQ(SampleStore::normaliseMode(kHardware | 0x1000000, false, true) & (kHardware | 0x1000000), 0x1000000u);
  EXPECT_EQ(SampleStore::normaliseMode(kOutputOwned, false, false) & kOutputOwned, 0u);
  EXPECT_EQ(SampleStore::normaliseMode(kOutputOwned | kKeepOutputOwned, false, false) & (kOutputOwned | k2D),
            kOutputOwned | k2D);
  EXPECT_EQ(SampleStore::normaliseMode(kOutputOwnedRequest, false, true) & (kOutputOwned | kOneAtATime | k2D),
            kOutputOwned | kOneAtATime | k2D);
}

TEST_F(SampleTest, AllocationChecksAndDefaults) {
  EXPECT_EQ(engine_.allocSample(kSlotFree, 10, 0, 44100, 255, 128, 255), nullptr);
  EXPECT_EQ(lastError(), EngineError::kNotStarted);
  start();
  EXPECT_EQ(engine_.allocSample(kSlotFree, 0, 0, 44100, 255, 128, 255), nullptr);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_EQ(engine_.allocSample(kSlotFree, 0xFFFFFFFF, mode::k16Bits | mode::kStereo, 44100, 255, 128, 255), nullptr);
  EXPECT_EQ(lastError(), EngineError::kOutOfMemory);
  EXPECT_EQ(engine_.allocSample(kSlotFree, 10, mode::kPackedUnmixable, 44100, 255, 128, 255), nullptr);
  EXPECT_EQ(lastError(), EngineError::kUnrecognised);

  Sample* s = engine_.allocSample(kSlotFree, 10, mode::k16Bits, 22050, 200, 100, 50);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->loopLength, 10u);
  EXPECT_EQ(s->c4Rate, 8363);
  EXPECT_EQ(s->maxPlaybacks, -1);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(s->data()) % 16, 0u);
  ASSERT_TRUE(engine_.setSampleDefaults(s, 0, 0, -1, 7));
  std::int32_t f, v, p, pr;
  ASSERT_TRUE(engine_.getSampleDefaults(s, f, v, p, pr));
  EXPECT_EQ(f, 22050);
  EXPECT_EQ(v, 200);
  EXPECT_EQ(p, 100);
  EXPECT_EQ(pr, 7);
}

TEST_F(SampleTest, SlotTableGrowsByWholeSteps) {
  start();
  Sample* last = nullptr;
  for (int i = 0; i < 257; ++i) last = engine_.allocSample(kSlotFree, 4, 0, 44100, 255, 128, 255);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->slot, 256);
  EXPECT_EQ(engine_.sampleInSlot(256), last);
  engine_.freeSample(engine_.sampleInSlot(3));
  EXPECT_EQ(engine_.sampleInSlot(3), nullptr);
  EXPECT_EQ(engine_.allocSample(kSlotFree, 4, 0, 44100, 255, 128, 255)->slot, 3);
  // A given slot replaces what is there.
  Sample* again = engine_.allocSample(256, 8, 0, 44100, 255, 128, 255);
  EXPECT_EQ(engine_.sampleInSlot(256), again);
}

TEST_F(SampleTest, UploadConversions) {
  start();
  Sample* s8 = engine_.allocSample(kSlotFree, 4, mode::k8Bits, 44100, 255, 128, 255);
  const std::uint8_t deltas[4] = {130, 2, 0xFF, 0x80};
  ASSERT_TRUE(engine_.uploadSampleData(s8, deltas, mode::k8Bits | mode::kDelta | mode::kUnsigned));
  // Running sums in 8 bits: 130, 132, 131, 3; then minus 128.
  const std::int8_t want8[4] = {2, 4, 3, -125};
  EXPECT_EQ(std::memcmp(s8->data(), want8, 4), 0);

  Sample* s16 = engine_.allocSample(kSlotFree, 2, mode::k16Bits, 44100, 255, 128, 255);
  const std::uint16_t raw[2] = {0x8000, 0xFFFF};
  ASSERT_TRUE(engine_.uploadSampleData(s16, raw, mode::k16Bits | mode::kUnsigned));
  const std::int16_t* d = reinterpret_cast<const std::int16_t*>(s16->data());
  EXPECT_EQ(d[0], 0);
  EXPECT_EQ(d[1], 32767);
}

TEST_F(SampleTest, TrackerPackedDataIsUnpacked) {
  start();
  // 8-bit codes at the full width 9, whose top bit names a new width (3); a delta of -1 at
  // width 3; at narrow widths the code 1 << (width - 1) takes the next 3 bits + 1 as the width.
  BitWriter bits;
  bits.put(5, 9);          // +5
  bits.put(0x100 | 2, 9);  // width := 3
  bits.put(7, 3);          // -1
  bits.put(4, 3);          // first rule: the next 3 bits + 1 name the width
  bits.put(7, 3);          // 8 -> width 9
  bits.put(0xFE, 9);       // -2
  std::vector<std::uint8_t> packed = {static_cast<std::uint8_t>(bits.bytes.size()), 0};
  packed.insert(packed.end(), bits.bytes.begin(), bits.bytes.end());
  Sample* s8 = engine_.allocSample(kSlotFree, 4, mode::k8Bits, 44100, 255, 128, 255);
  ASSERT_TRUE(engine_.uploadSampleData(s8, packed.data(), mode::kTrackerPacked, packed.size()));
  // Sums 5, 4, 2; the fourth sample has no data and is silent.
  const std::int8_t want8[4] = {5, 4, 2, 0};
  EXPECT_EQ(std::memcmp(s8->data(), want8, 4), 0);

  // Both variants and both depths, across a block boundary.
  std::vector<std::int16_t> wave(0x4000 + 300);
  for (std::size_t i = 0; i < wave.size(); ++i) wave[i] = static_cast<std::int16_t>((i * 2654435761u) >> 20) - 2048;
  for (const bool second : {false, true}) {
    const auto bytes = packTrackerSample(wave, true, second);
    Sample* s16 =
        engine_.allocSample(kSlotFree, static_cast<std::uint32_t>(wave.size()), mode::k16Bits, 44100, 255, 128, 255);
    const std::uint32_t m = mode::k16Bits | (second ? mode::kTrackerPacked2 : mode::kTrackerPacked);
    ASSERT_TRUE(engine_.uploadSampleData(s16, bytes.data(), m, bytes.size()));
    EXPECT_EQ(std::memcmp(s16->data(), wave.data(), wave.size() * 2), 0) << "second variant " << second;
    // Cut short: what is missing is silence, nothing is read past the end.
    Sample* cut =
        engine_.allocSample(kSlotFree, static_cast<std::uint32_t>(wave.size()), mode::k16Bits, 44100, 255, 128, 255);
    ASSERT_TRUE(engine_.uploadSampleData(cut, bytes.data(), m, 1000));
    EXPECT_EQ(reinterpret_cast<const std::int16_t*>(cut->data())[wave.size() - 1], 0);
  }
  std::vector<std::int16_t> bytes8(600);
  // Bytes 0, 37, 74 ... read as two's complement.
  for (std::size_t i = 0; i < bytes8.size(); ++i) {
    const int byte = static_cast<int>((i * 37) & 0xFF);
    bytes8[i] = static_cast<std::int16_t>(byte < 128 ? byte : byte - 256);
  }
  const auto packed8 = packTrackerSample(bytes8, false, true);
  Sample* second8 = engine_.allocSample(kSlotFree, 600, mode::k8Bits, 44100, 255, 128, 255);
  ASSERT_TRUE(engine_.uploadSampleData(second8, packed8.data(), mode::kTrackerPacked2, packed8.size()));
  for (std::size_t i = 0; i < bytes8.size(); ++i) {
    ASSERT_EQ(reinterpret_cast<const std::int8_t*>(second8->data())[i], bytes8[i]) << i;
  }
}

TEST_F(SampleTest, GuardSamplesFollowTheLoop) {
  start();
  Sample* s = sample16({10, 20, 30, 40, 50, 60});
  auto at = [s](int i) { return reinterpret_cast<const std::int16_t*>(s->data())[i]; };
  EXPECT_EQ(at(6), 0);
  EXPECT_EQ(at(7), 0);
  ASSERT_TRUE(engine_.setSampleMode(s, mode::kLoopNormal));
  ASSERT_TRUE(engine_.setSampleLoopPoints(s, 1, 3));
  EXPECT_EQ(at(4), 20);
  EXPECT_EQ(at(5), 30);
  ASSERT_TRUE(engine_.setSampleMode(s, mode::kLoopBidi));
  EXPECT_EQ(at(4), 40);
  EXPECT_EQ(at(5), 30);
  // Loop off puts the real data back and zeroes after the end.
  ASSERT_TRUE(engine_.setSampleMode(s, mode::kLoopOff));
  EXPECT_EQ(at(4), 50);
  EXPECT_EQ(at(5), 60);
  EXPECT_EQ(at(6), 0);
  EXPECT_FALSE(engine_.setSampleLoopPoints(s, 3, 3));
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_FALSE(engine_.setSampleLoopPoints(s, 0, 6));
  // Normal wins over bidirectional when both are asked for.
  ASSERT_TRUE(engine_.setSampleMode(s, mode::kLoopNormal | mode::kLoopBidi));
  EXPECT_EQ(s->loopMode(), mode::kLoopNormal);
}

TEST_F(SampleTest, LockWrapsAndUnlockRefreshesGuards) {
  start();
  Sample* s = engine_.allocSample(kSlotFree, 8, mode::k8Bits | mode::kLoopNormal, 44100, 255, 128, 255);
  SampleLock lock;
  ASSERT_TRUE(engine_.lockSample(s, 6, 5, lock));
  EXPECT_EQ(lock.ptr1, s->data() + 6);
  EXPECT_EQ(lock.len1, 2u);
  EXPECT_EQ(lock.ptr2, s->data());
  EXPECT_EQ(lock.len2, 3u);
  std::memset(lock.ptr2, 9, lock.len2);
  ASSERT_TRUE(engine_.unlockSample(s, lock));
  EXPECT_EQ(s->data()[8], 9);
  EXPECT_FALSE(engine_.lockSample(s, 8, 1, lock));
}

TEST_F(SampleTest, FreeStopsChannelsPlayingIt) {
  start(44100, 4);
  Sample* s = sample16(std::vector<std::int16_t>(100, 5), mode::kLoopNormal);
  const std::int32_t a = engine_.playSample(kFreeChannel, s);
  const std::int32_t b = engine_.playSample(kFreeChannel, s);
  clock_.advance(200);
  engine_.freeSample(s);
  EXPECT_FALSE(engine_.isChannelPlaying(a));
  EXPECT_FALSE(engine_.isChannelPlaying(b));
  clock_.advance(200);
  EXPECT_EQ(engine_.playSample(kFreeChannel, s), -1);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
}

}  // namespace
}  // namespace korvo::sound::test
