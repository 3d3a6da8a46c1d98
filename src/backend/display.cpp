// Placement of a display's picture in a window or on the screen, and refresh timing.
#include "backend/display.h"

#include <algorithm>

namespace korvo::platform {

OutputRect letterbox(Size display, Size out) {
  if (display.width <= 0 || display.height <= 0 || out.width <= 0 || out.height <= 0) return {};
  // Compare the aspects in 64 bits: which side limits the picture.
  const std::int64_t wide = std::int64_t{out.width} * display.height;
  const std::int64_t tall = std::int64_t{out.height} * display.width;
  OutputRect r;
  if (wide >= tall) {
    r.height = out.height;
    r.width = static_cast<std::int32_t>(std::int64_t{display.width} * out.height / display.height);
  } else {
    r.width = out.width;
    r.height = static_cast<std::int32_t>(std::int64_t{display.height} * out.width / display.width);
  }
  r.x = (out.width - r.width) / 2;
  r.y = (out.height - r.height) / 2;
  return r;
}

OutputRect outputRect(DisplayKind kind, Size display, Size client) {
  if (kind == DisplayKind::kFullScreen) return letterbox(display, client);
  return {0, 0, client.width, client.height};
}

namespace {

// The vertical blank: the first twentieth of each refresh.
constexpr std::uint64_t kBlankThousandths = 50;

// Whole refreshes and the thousandths of one since the origin (64 bits: no overflow at any rate).
struct RefreshPhase {
  std::uint64_t count;
  std::uint64_t thousandths;
};

RefreshPhase phaseAt(const RefreshTiming& t, std::uint32_t now) {
  const std::uint64_t scaled = std::uint64_t{now - t.origin} * static_cast<std::uint64_t>(std::max(1, t.rate));
  return {scaled / 1000, scaled % 1000};
}

}  // namespace

std::uint32_t RefreshTiming::nextBoundary(std::uint32_t now) const {
  const std::uint64_t hz = static_cast<std::uint64_t>(std::max(1, rate));
  const std::uint64_t next = phaseAt(*this, now).count + 1;
  return origin + static_cast<std::uint32_t>((next * 1000 + hz - 1) / hz);
}

std::int32_t RefreshTiming::scanLine(std::uint32_t now, std::int32_t height) const {
  const std::uint64_t phase = phaseAt(*this, now).thousandths;
  if (height <= 0 || phase < kBlankThousandths) return 0;
  return static_cast<std::int32_t>((phase - kBlankThousandths) * static_cast<std::uint32_t>(height) /
                                   (1000 - kBlankThousandths));
}

}  // namespace korvo::platform
