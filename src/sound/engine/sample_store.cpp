// Sample records, their slot table and their data.
#include "sound/engine/sample_store.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace korvo::sound {
namespace {

// The data starts this far into its allocation, which has this much spare beyond the data:
// room for the two guard frames after the end and for aligned wide reads.
constexpr std::uint32_t kDataOffset = 16;
constexpr std::uint32_t kSpareBytes = 64;
// Sizes beyond this are refused rather than attempted (2 GiB of PCM).
constexpr std::uint64_t kMaxDataBytes = 0x80000000ull;

void copyFrame(Sample& s, std::int64_t to, std::int64_t from) {
  const std::uint32_t fb = s.frameBytes();
  std::memmove(s.data() + to * fb, s.data() + from * fb, fb);
}

template <typename T>
void sumDeltas(T* data, std::uint32_t frames, std::uint32_t channels) {
  for (std::uint32_t ch = 0; ch < channels; ++ch) {
    T acc = 0;
    for (std::uint32_t i = 0; i < frames; ++i) {
      acc = static_cast<T>(acc + data[i * channels + ch]);
      data[i * channels + ch] = acc;
    }
  }
}

}  // namespace

SampleStore::SampleStore() : slots_(kSlotGrowth) {}
SampleStore::~SampleStore() = default;

std::uint32_t SampleStore::normaliseMode(std::uint32_t m, bool hardwareMixing, bool outputBuffers) {
  using namespace mode;
  if (!hardwareMixing) m &= ~kHardware;
  if (!(m & (kMono | kStereo))) m |= kMono;
  if (!(m & (k8Bits | k16Bits))) m |= k8Bits;
  if (!(m & kLoopBits)) m |= kLoopOff;
  if ((m & kOutputOwnedRequest) && !(m & (kOutputOwned | kHardware))) m |= kOutputOwned;
  if (!(m & kKeepOutputOwned) && !outputBuffers) m &= ~kOutputOwned;
  if (m & (k2D | kOutputOwned)) m &= ~kHardware;
  if (m & k16Bits) m &= ~k8Bits;
  if (m & kStereo) m &= ~kMono;
  if (m & kOutputOwned) m |= k2D;
  if (m & kOutputOwnedRequest) m |= kOneAtATime;
  return m;
}

Sample* SampleStore::place(int slot, std::uint32_t normalisedMode) {
  auto record = std::make_unique<Sample>();
  record->mode = normalisedMode;
  Sample* s = record.get();
  if (slot == kSlotOutside) {
    s->slot = kSlotOutside;
    outside_.push_back(std::move(record));
    return s;
  }
  if (slot == kSlotFree) {
    auto it = std::find(slots_.begin(), slots_.end(), nullptr);
    if (it == slots_.end()) {
      slots_.resize(slots_.size() + kSlotGrowth);
      it = slots_.end() - kSlotGrowth;
    }
    slot = static_cast<int>(it - slots_.begin());
  } else if (slot < 0) {
    return nullptr;
  } else if (slot >= slotCount()) {
    // A given slot past the table grows it in whole steps.
    const std::size_t want = (static_cast<std::size_t>(slot) / kSlotGrowth + 1) * kSlotGrowth;
    slots_.resize(want);
  }
  s->slot = slot;
  slots_[static_cast<std::size_t>(slot)] = std::move(record);
  return s;
}

bool SampleStore::createBuffer(Sample& s, std::uint32_t length) {
  const std::uint64_t bytes = static_cast<std::uint64_t>(length) * s.frameBytes();
  if (bytes > kMaxDataBytes) return false;
  const std::size_t total = static_cast<std::size_t>(bytes) + kSpareBytes;
  s.storage_.reset(new (std::nothrow) std::uint8_t[total]);
  if (!s.storage_) return false;
  std::memset(s.storage_.get(), 0, total);
  s.data_ = s.storage_.get() + kDataOffset;
  s.length = length;
  return true;
}

void SampleStore::useOutputBuffer(Sample& s, std::uint8_t* data, std::uint32_t length) {
  s.storage_.reset();
  s.data_ = data;
  s.length = length;
}

void SampleStore::release(Sample* s) {
  if (!s) return;
  if (s->slot >= 0 && s->slot < slotCount() && slots_[static_cast<std::size_t>(s->slot)].get() == s) {
    slots_[static_cast<std::size_t>(s->slot)].reset();
    return;
  }
  auto it = std::find_if(outside_.begin(), outside_.end(), [s](const auto& p) { return p.get() == s; });
  if (it != outside_.end()) outside_.erase(it);
}

void SampleStore::refreshGuards(Sample& s) {
  // Output-owned buffers are never read by the mixer and have no spare room.
  if (!s.data() || !s.storage_ || s.length == 0) return;
  const std::uint32_t fb = s.frameBytes();
  for (int i = 1; i >= 0; --i) {
    if (s.guardPos_[i] >= 0) std::memcpy(s.data() + s.guardPos_[i] * fb, &s.guardSave_[i], fb);
  }
  const std::int64_t start = s.loopStart;
  const std::int64_t end = start + s.loopLength;
  if (s.loopLength == 0 || end > s.length) {
    s.guardPos_[0] = s.guardPos_[1] = -1;
    return;
  }
  for (int i = 0; i < 2; ++i) {
    s.guardPos_[i] = end + i;
    std::memcpy(&s.guardSave_[i], s.data() + (end + i) * fb, fb);
  }
  switch (s.loopMode()) {
    case mode::kLoopNormal:
      copyFrame(s, end, start);
      copyFrame(s, end + 1, std::min(start + 1, end - 1));
      break;
    case mode::kLoopBidi:
      copyFrame(s, end, end - 1);
      copyFrame(s, end + 1, std::max(start, end - 2));
      break;
    default: std::memset(s.data() + static_cast<std::size_t>(s.length) * fb, 0, 2 * fb); break;
  }
}

void SampleStore::convertUploaded(Sample& s, std::uint32_t srcMode) {
  const std::uint32_t channels = s.isStereo() ? 2 : 1;
  const std::uint32_t values = s.length * channels;
  if (s.is16Bit()) {
    auto* d = reinterpret_cast<std::int16_t*>(s.data());
    if (srcMode & mode::kDelta) sumDeltas(d, s.length, channels);
    if (srcMode & mode::kUnsigned) {
      for (std::uint32_t i = 0; i < values; ++i)
        d[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(d[i]) - 0x8000);
    }
  } else {
    auto* d = reinterpret_cast<std::int8_t*>(s.data());
    if (srcMode & mode::kDelta) sumDeltas(d, s.length, channels);
    if (srcMode & mode::kUnsigned) {
      for (std::uint32_t i = 0; i < values; ++i) d[i] = static_cast<std::int8_t>(static_cast<std::uint8_t>(d[i]) - 128);
    }
  }
}

bool SampleStore::lockRange(Sample& s, std::uint32_t offset, std::uint32_t length, SampleLock& lock) {
  lock = SampleLock{};
  const std::uint32_t size = s.dataBytes();
  if (!s.data() || offset >= size) return false;
  lock.ptr1 = s.data() + offset;
  lock.len1 = std::min(length, size - offset);
  if (length > lock.len1) {
    lock.ptr2 = s.data();
    lock.len2 = std::min(length - lock.len1, offset);
  }
  return true;
}

Sample* SampleStore::at(int slot) const {
  if (slot < 0 || slot >= slotCount()) return nullptr;
  return slots_[static_cast<std::size_t>(slot)].get();
}

bool SampleStore::owns(const Sample* s) const {
  // Compares addresses only: s may be a sample freed earlier.
  if (!s) return false;
  if (std::any_of(slots_.begin(), slots_.end(), [s](const auto& p) { return p.get() == s; })) return true;
  return std::any_of(outside_.begin(), outside_.end(), [s](const auto& p) { return p.get() == s; });
}

std::vector<Sample*> SampleStore::all() const {
  std::vector<Sample*> out;
  for (const auto& p : slots_)
    if (p) out.push_back(p.get());
  for (const auto& p : outside_) out.push_back(p.get());
  return out;
}

}  // namespace korvo::sound
