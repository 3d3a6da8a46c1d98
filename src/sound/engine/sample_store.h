// The sample slot table and the data-side work on samples: mode normalisation, buffers,
// upload conversions, guard samples, locking. The engine wraps these with its checks.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/sample.h"

namespace korvo::sound {

class SampleStore {
 public:
  static constexpr int kSlotGrowth = 256;

  SampleStore();
  ~SampleStore();

  // Applies the mode rules in their order. hardwareMixing and outputBuffers describe the output.
  static std::uint32_t normaliseMode(std::uint32_t mode, bool hardwareMixing, bool outputBuffers);

  // A new record with the defaults, placed in slot (-1 first empty, growing the table; -2
  // outside). A record already in a given slot must have been freed by the caller.
  Sample* place(int slot, std::uint32_t normalisedMode);
  // Creates the software buffer for length frames; false on overflow or no memory.
  static bool createBuffer(Sample& sample, std::uint32_t length);
  // Uses memory the output owns (may be null for an output without memory).
  static void useOutputBuffer(Sample& sample, std::uint8_t* data, std::uint32_t length);
  // Empties the sample's slot and deletes it.
  void release(Sample* sample);

  // Puts back the saved guard samples and writes new ones after the loop end.
  static void refreshGuards(Sample& sample);
  // Running sums of delta data and unsigned-to-signed conversion, in place.
  static void convertUploaded(Sample& sample, std::uint32_t srcMode);
  // Up to two pointer/length pairs for the byte range, wrapping past the end.
  static bool lockRange(Sample& sample, std::uint32_t offset, std::uint32_t length, SampleLock& lock);

  Sample* at(int slot) const;
  int slotCount() const { return static_cast<int>(slots_.size()); }
  bool owns(const Sample* sample) const;
  // Every sample held, in the table and outside it.
  std::vector<Sample*> all() const;

 private:
  std::vector<std::unique_ptr<Sample>> slots_;
  std::vector<std::unique_ptr<Sample>> outside_;
};

}  // namespace korvo::sound
