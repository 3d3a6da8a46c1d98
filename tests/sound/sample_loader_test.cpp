// loadSample on a running engine: files and memory become samples with the file's format,
// signed data, loop and cue points; failures leave the engine's codes and no sample.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine_fixture.h"
#include "sound/formats/sample_loader.h"
#include "sound_builders.h"

namespace korvo::sound::test {
namespace {

using korvo::test::Bytes;
using korvo::test::fmtBody;
using korvo::test::riffChunk;
using korvo::test::riffWave;

constexpr std::uint32_t kLoadSoundMode = 0x2130;

class SampleLoaderTest : public EngineTest {
 protected:
  Sample* fromMemory(const Bytes& bytes, std::uint32_t modeWord = kLoadSoundMode, int slot = kSlotFree) {
    return loadSample(engine_, slot, bytes.data(), modeWord | mode::kFromMemory,
                      static_cast<std::int32_t>(bytes.size()));
  }
  std::string writeFile(const Bytes& bytes) {
    const auto path = std::filesystem::temp_directory_path() / ("korvo_loader_" + std::to_string(::getpid()) + ".snd");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    files_.push_back(path);
    return path.string();
  }
  void TearDown() override {
    for (const auto& f : files_) std::filesystem::remove(f);
    EngineTest::TearDown();
  }
  std::vector<std::filesystem::path> files_;
};

TEST_F(SampleLoaderTest, FailuresLeaveTheirCodesAndNoSample) {
  const Bytes junk(100, 0x33);
  EXPECT_EQ(fromMemory(junk), nullptr);
  EXPECT_EQ(lastError(), EngineError::kNotStarted);
  start();
  EXPECT_EQ(loadSample(engine_, kSlotFree, nullptr, kLoadSoundMode, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_EQ(loadSample(engine_, kSlotFree, junk.data(), mode::kFromMemory, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kInvalidArgument);
  EXPECT_EQ(loadSample(engine_, kSlotFree, "/nonexistent/korvo.wav", kLoadSoundMode, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kFileOpen);
  // A folder opens for reading here but holds no bytes a loader could take.
  const std::string folder = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(loadSample(engine_, kSlotFree, folder.c_str(), kLoadSoundMode, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kFileOpen);
  EXPECT_EQ(loadSample(engine_, kSlotFree, folder.c_str(), mode::kRaw, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kFileOpen);
  EXPECT_EQ(fromMemory(junk), nullptr);
  EXPECT_EQ(lastError(), EngineError::kUnrecognised);
  EXPECT_EQ(loadSample(engine_, kSlotFree, writeFile({}).c_str(), mode::kRaw, 0), nullptr);
  EXPECT_EQ(lastError(), EngineError::kRawEmpty);
  EXPECT_EQ(engine_.sampleInSlot(0), nullptr);  // nothing was left behind
}

TEST_F(SampleLoaderTest, EightBitWavBecomesASignedSampleWithItsLoop) {
  start();
  Bytes data(100);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(128 + i);
  const Bytes wav =
      riffWave({riffChunk("fmt ", fmtBody(1, 1, 11025, 8)), riffChunk("smpl", korvo::test::smplBody(1, 10, 49)),
                riffChunk("cue ", korvo::test::cueBody({{1, 70}, {2, 5}})), riffChunk("data", data)});
  Sample* s = loadSample(engine_, kSlotFree, writeFile(wav).c_str(), kLoadSoundMode, 0);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(lastError(), EngineError::kNone);
  EXPECT_EQ(s->name, files_.back().string());
  EXPECT_EQ(s->length, 100u);
  EXPECT_TRUE(s->mode & mode::k8Bits);
  EXPECT_TRUE(s->mode & mode::kMono);
  EXPECT_EQ(s->loopMode(), mode::kLoopNormal);
  EXPECT_EQ(s->loopStart, 10u);
  EXPECT_EQ(s->loopLength, 40u);
  const auto* d = reinterpret_cast<const std::int8_t*>(s->data());
  EXPECT_EQ(d[0], 0);
  EXPECT_EQ(d[99], 99);
  EXPECT_EQ(d[50], d[10]);  // the guard after the loop end repeats its start
  EXPECT_EQ(d[51], d[11]);
  std::int32_t f, v, p, pr;
  ASSERT_TRUE(engine_.getSampleDefaults(s, f, v, p, pr));
  EXPECT_EQ(f, 11025);
  EXPECT_EQ(v, 255);
  EXPECT_EQ(p, 128);
  EXPECT_EQ(pr, 255);
  ASSERT_EQ(s->cues.size(), 2u);
  EXPECT_EQ(s->cues[0].position, 5u);
}

TEST_F(SampleLoaderTest, LoopOffRequestedKeepsTheFilesLoopPointsWithoutLooping) {
  start();
  const Bytes wav =
      riffWave({riffChunk("fmt ", fmtBody(1, 2, 22050, 16)), riffChunk("smpl", korvo::test::smplBody(1, 1, 2)),
                riffChunk("data", korvo::test::pcm16({1, 2, 3, 4, 5, 6, 7, 8}))});
  Sample* s = fromMemory(wav, kLoadSoundMode | mode::kLoopOff);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->name, "Memory file");
  EXPECT_EQ(s->loopMode(), mode::kLoopOff);
  EXPECT_EQ(s->loopStart, 1u);
  EXPECT_EQ(s->loopLength, 2u);
  EXPECT_TRUE(s->isStereo());
  EXPECT_TRUE(s->is16Bit());
  const auto* d = reinterpret_cast<const std::int16_t*>(s->data());
  EXPECT_EQ(d[8], 0);  // loop off: silence after the end
  EXPECT_EQ(d[9], 0);
  std::int32_t f, v, p, pr;
  engine_.getSampleDefaults(s, f, v, p, pr);
  EXPECT_EQ(p, -1);
}

TEST_F(SampleLoaderTest, RawDataIsConvertedAsTheModeSaysAndSlotsAreReplaced) {
  start();
  const Bytes raw = {0x80, 0x81, 0x7F, 0x00};
  Sample* first = fromMemory(raw, mode::kRaw | mode::k8Bits | mode::kUnsigned, 3);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->slot, 3);
  const auto* d = reinterpret_cast<const std::int8_t*>(first->data());
  EXPECT_EQ(d[0], 0);
  EXPECT_EQ(d[1], 1);
  EXPECT_EQ(d[2], -1);
  EXPECT_EQ(d[3], -128);
  Sample* second = fromMemory({1, 0, 2, 0, 3, 0, 4, 0, 5, 0}, mode::kRaw | mode::k16Bits | mode::kStereo, 3);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(engine_.sampleInSlot(3), second);
  EXPECT_EQ(second->length, 2u);
}

}  // namespace
}  // namespace korvo::sound::test
