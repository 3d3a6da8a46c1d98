// Pixel formats: mask analysis, colour conversion and the per-format store and fetch
// routines. The routines are picked once when a format is made: a straight copy where the
// channels already sit where ARGB has them, channel shifting otherwise.
#include "media/canvas/pixel_format.h"

#include <bit>
#include <cstring>

namespace korvo::platform {
namespace {

constexpr std::uint32_t kRgbLow = 0x00FFFFFF;
constexpr std::uint32_t kOpaque = 0xFF000000;

// Where each 8-bit channel sits in an ARGB value.
constexpr int kChannelOffset[4] = {24, 16, 8, 0};
// The full lane of each channel, ORed in when a format lacks the channel.
constexpr std::uint32_t kChannelLane[4] = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF};

// --- Raw access by pixel size ---
void storeRaw16(std::uint8_t* a, std::uint32_t v) {
  const auto w = static_cast<std::uint16_t>(v);
  std::memcpy(a, &w, 2);
}
std::uint32_t fetchRaw16(const std::uint8_t* a) {
  std::uint16_t w;
  std::memcpy(&w, a, 2);
  return w;
}
void storeRaw24(std::uint8_t* a, std::uint32_t v) {
  a[0] = static_cast<std::uint8_t>(v);
  a[1] = static_cast<std::uint8_t>(v >> 8);
  a[2] = static_cast<std::uint8_t>(v >> 16);
}
std::uint32_t fetchRaw24(const std::uint8_t* a) {
  return a[0] | (std::uint32_t{a[1]} << 8) | (std::uint32_t{a[2]} << 16);
}
void storeRaw32(std::uint8_t* a, std::uint32_t v) { std::memcpy(a, &v, 4); }
std::uint32_t fetchRaw32(const std::uint8_t* a) {
  std::uint32_t v;
  std::memcpy(&v, a, 4);
  return v;
}

// --- Converting routines, one per pixel size, shifting each channel ---
template <StoreRawFn kStore>
void storeShifted(std::uint8_t* a, std::uint32_t argb, const PixelFormat& f) {
  kStore(a, f.toSurface(argb));
}
template <FetchRawFn kFetch>
std::uint32_t fetchShifted(const std::uint8_t* a, const PixelFormat& f) {
  return f.toARGB(kFetch(a));
}

// --- Straight routines for formats laid out like ARGB ---
void storeStraight24(std::uint8_t* a, std::uint32_t argb, const PixelFormat&) { storeRaw24(a, argb); }
std::uint32_t fetchStraight24(const std::uint8_t* a, const PixelFormat&) { return fetchRaw24(a) | kOpaque; }
void storeStraightX32(std::uint8_t* a, std::uint32_t argb, const PixelFormat&) { storeRaw32(a, argb & kRgbLow); }
std::uint32_t fetchStraightX32(const std::uint8_t* a, const PixelFormat&) { return fetchRaw32(a) | kOpaque; }
void storeStraightA32(std::uint8_t* a, std::uint32_t argb, const PixelFormat&) { storeRaw32(a, argb); }
std::uint32_t fetchStraightA32(const std::uint8_t* a, const PixelFormat&) { return fetchRaw32(a); }

// Width of the run of set bits starting at the lowest set bit; false when the mask has bits
// outside that run.
bool analyseMask(std::uint32_t mask, int& position, int& width) {
  if (mask == 0) {
    position = width = 0;
    return true;
  }
  position = std::countr_zero(mask);
  width = std::countr_one(mask >> position);
  const std::uint64_t run = ((std::uint64_t{1} << width) - 1) << position;
  return run == mask;
}

}  // namespace

std::optional<PixelFormat> PixelFormat::fromMasks(int depth, std::uint32_t alphaMask, std::uint32_t redMask,
                                                  std::uint32_t greenMask, std::uint32_t blueMask) {
  if (depth != 16 && depth != 24 && depth != 32) return std::nullopt;
  PixelFormat f;
  f.depth_ = depth;
  f.bytesPerPixel_ = depth / 8;
  f.masks_[kAlpha] = alphaMask;
  f.masks_[kRed] = redMask;
  f.masks_[kGreen] = greenMask;
  f.masks_[kBlue] = blueMask;
  const std::uint64_t limit = std::uint64_t{1} << depth;
  std::uint32_t seen = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t m = f.masks_[c];
    int position = 0;
    int width = 0;
    if (!analyseMask(m, position, width) || width > 8 || m >= limit || (seen & m)) {
      return std::nullopt;
    }
    seen |= m;
    f.shifts_[c] = static_cast<std::uint8_t>(kChannelOffset[c] + 8 - width);
    f.shifts_[4 + c] = static_cast<std::uint8_t>(position);
    if (m == 0) f.fillBits_ |= kChannelLane[c];
  }

  const bool argbLayout = redMask == 0x00FF0000 && greenMask == 0x0000FF00 && blueMask == 0x000000FF &&
                          (alphaMask == 0 || alphaMask == kOpaque);
  switch (depth) {
    case 16:
      f.storeRaw_ = storeRaw16;
      f.fetchRaw_ = fetchRaw16;
      f.store_ = storeShifted<storeRaw16>;
      f.fetch_ = fetchShifted<fetchRaw16>;
      break;
    case 24:
      f.storeRaw_ = storeRaw24;
      f.fetchRaw_ = fetchRaw24;
      f.store_ = argbLayout ? storeStraight24 : storeShifted<storeRaw24>;
      f.fetch_ = argbLayout ? fetchStraight24 : fetchShifted<fetchRaw24>;
      break;
    default:
      f.storeRaw_ = storeRaw32;
      f.fetchRaw_ = fetchRaw32;
      if (argbLayout) {
        f.store_ = alphaMask ? storeStraightA32 : storeStraightX32;
        f.fetch_ = alphaMask ? fetchStraightA32 : fetchStraightX32;
      } else {
        f.store_ = storeShifted<storeRaw32>;
        f.fetch_ = fetchShifted<fetchRaw32>;
      }
      break;
  }
  return f;
}

PixelFormat PixelFormat::rgb565() { return *fromMasks(16, 0, 0xF800, 0x07E0, 0x001F); }
PixelFormat PixelFormat::rgb888() { return *fromMasks(24, 0, 0xFF0000, 0x00FF00, 0x0000FF); }
PixelFormat PixelFormat::xrgb8888() { return *fromMasks(32, 0, 0xFF0000, 0x00FF00, 0x0000FF); }
PixelFormat PixelFormat::argb8888() { return *fromMasks(32, kOpaque, 0xFF0000, 0x00FF00, 0x0000FF); }

std::uint32_t PixelFormat::toSurface(std::uint32_t argb) const {
  std::uint32_t raw = 0;
  for (int c = 0; c < 4; ++c) {
    // An absent channel's shift can reach 32, which a 32-bit shift must not take.
    if (masks_[c]) raw |= ((argb >> shifts_[c]) << shifts_[4 + c]) & masks_[c];
  }
  return raw;
}

std::uint32_t PixelFormat::toARGB(std::uint32_t raw) const {
  std::uint32_t argb = fillBits_;
  for (int c = 0; c < 4; ++c) {
    if (masks_[c]) argb |= ((raw & masks_[c]) >> shifts_[4 + c]) << shifts_[c];
  }
  return argb;
}

}  // namespace korvo::platform
