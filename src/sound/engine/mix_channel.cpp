// What happens when a channel reaches its loop boundary.
#include "sound/engine/mix_channel.h"

namespace korvo::sound {
namespace {
constexpr std::int64_t kOne = std::int64_t{1} << 32;
// Mirror steps tried before a position that keeps escaping the loop is put at its start.
constexpr int kMaxMirrors = 1024;
}  // namespace

bool wrapAtBoundary(Channel& c, const LoopSpan& loop, std::int64_t& pos, bool& backward) {
  const std::int64_t start = loop.start;
  const std::int64_t end = loop.end;
  const std::int64_t length = end - start;
  switch (c.loopMode) {
    case mode::kLoopNormal:
      if (length <= 0) break;
      if (!backward && pos >= end) pos = end - length + (pos - end) % length;
      if (backward && pos <= start) pos = start + length - (start - pos) % length;
      return true;
    case mode::kLoopBidi: {
      if (length <= 0) break;
      // A one-sample loop holds that sample.
      if (length == kOne) {
        pos = start;
        backward = false;
        return true;
      }
      const std::int64_t last = end - kOne;
      for (int i = 0; i < kMaxMirrors; ++i) {
        if (!backward && pos >= end) {
          pos = 2 * last - pos;
          backward = true;
        } else if (backward && pos <= start) {
          pos = 2 * start - pos;
          backward = false;
        } else {
          return true;
        }
      }
      pos = start;
      backward = false;
      return true;
    }
    default: break;
  }
  // Loop off (or an empty loop): the channel ends.
  c.position = 0;
  c.priority = 0;
  c.sample.store(nullptr, std::memory_order_release);
  return false;
}

}  // namespace korvo::sound
