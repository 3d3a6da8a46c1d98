// The sample record: PCM data with its mode word, loop points, guard samples and default
// playback values. Samples are made and changed through SoundEngine; loaders fill them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvo::sound {

// Bits of a sample's mode word; bits not listed here are kept unchanged.
namespace mode {
inline constexpr std::uint32_t kLoopOff = 0x1;
inline constexpr std::uint32_t kLoopNormal = 0x2;
inline constexpr std::uint32_t kLoopBidi = 0x4;
inline constexpr std::uint32_t k8Bits = 0x8;
inline constexpr std::uint32_t k16Bits = 0x10;
inline constexpr std::uint32_t kMono = 0x20;
inline constexpr std::uint32_t kStereo = 0x40;
inline constexpr std::uint32_t kUnsigned = 0x80;
inline constexpr std::uint32_t kSigned = 0x100;
inline constexpr std::uint32_t kDelta = 0x200;
inline constexpr std::uint32_t kTrackerPacked = 0x400;
inline constexpr std::uint32_t kTrackerPacked2 = 0x800;
inline constexpr std::uint32_t kHardware = 0x1000;
inline constexpr std::uint32_t k2D = 0x2000;
inline constexpr std::uint32_t kOneAtATime = 0x4000;
inline constexpr std::uint32_t kFromMemory = 0x8000;
inline constexpr std::uint32_t kRaw = 0x10000;
inline constexpr std::uint32_t kAccurateLength = 0x20000;  // streams: MPEG length counted frame by frame
inline constexpr std::uint32_t kOutputOwned = 0x80000;
inline constexpr std::uint32_t kOutputOwnedRequest = 0x100000;
inline constexpr std::uint32_t kPackedUnmixable = 0x400000;
inline constexpr std::uint32_t kPacked4Bit = 0x800000;
inline constexpr std::uint32_t kKeepOutputOwned = 0x80000000u;
inline constexpr std::uint32_t kLoopBits = kLoopOff | kLoopNormal | kLoopBidi;
}  // namespace mode

// A named position in a sample (WAV cue points, AIFF markers).
struct CuePoint {
  std::uint32_t position = 0;
  std::string name;
};

// The two pointer/length pairs of a locked byte range (the second is set when it wraps).
struct SampleLock {
  void* ptr1 = nullptr;
  std::uint32_t len1 = 0;
  void* ptr2 = nullptr;
  std::uint32_t len2 = 0;
};

// Slot value of samples kept outside the slot table.
inline constexpr int kSlotOutside = -2;
// Slot value asking for the first empty slot.
inline constexpr int kSlotFree = -1;

class Sample {
 public:
  std::string name;
  int slot = kSlotOutside;
  std::uint32_t length = 0;      // frames
  std::uint32_t loopStart = 0;   // frames
  std::uint32_t loopLength = 0;  // frames
  std::int32_t maxPlaybacks = -1;
  std::int32_t defaultFrequency = 44100;
  std::int32_t defaultVolume = 255;
  std::int32_t defaultPan = 128;
  std::int32_t defaultPriority = 255;
  std::uint32_t mode = 0;
  std::int32_t c4Rate = 8363;
  bool ownedBySong = false;
  // A decoder kept open while loading (released by freeSample through decoderRelease).
  void* decoder = nullptr;
  void (*decoderRelease)(void*) = nullptr;
  std::vector<CuePoint> cues;

  // PCM data: 16 bytes into an allocation of data size + 64; null for output-owned buffers
  // of an output that gives no memory.
  std::uint8_t* data() const { return data_; }
  // Bytes of PCM data (length frames).
  std::uint32_t dataBytes() const { return length * frameBytes(); }
  // Bytes per frame: 1, 2 or 4.
  std::uint32_t frameBytes() const { return ((mode & mode::k16Bits) ? 2u : 1u) * ((mode & mode::kStereo) ? 2u : 1u); }
  bool is16Bit() const { return (mode & mode::k16Bits) != 0; }
  bool isStereo() const { return (mode & mode::kStereo) != 0; }
  // The loop mode bit in effect: kLoopNormal, kLoopBidi or kLoopOff.
  std::uint32_t loopMode() const {
    if (mode & mode::kLoopNormal) return mode::kLoopNormal;
    if (mode & mode::kLoopBidi) return mode::kLoopBidi;
    return mode::kLoopOff;
  }

 private:
  friend class SampleStore;
  std::unique_ptr<std::uint8_t[]> storage_;
  std::uint8_t* data_ = nullptr;
  // Guard samples overwritten after the loop end, to be put back at the next refresh.
  std::int64_t guardPos_[2] = {-1, -1};
  std::uint32_t guardSave_[2] = {0, 0};
};

}  // namespace korvo::sound
