// PixelFormat: the layout of a surface's pixels (16-bit, 3-byte and 32-bit) and the conversion
// between the program's 32-bit ARGB colours and raw surface values. The store and fetch
// routines are chosen once per format, so per-pixel code never tests the format.
#pragma once

#include <cstdint>
#include <optional>

namespace korvo::platform {

class PixelFormat;

// Writes argb converted to the format at address (bytesPerPixel bytes).
using StoreFn = void (*)(std::uint8_t* address, std::uint32_t argb, const PixelFormat& format);
// Reads bytesPerPixel bytes at address and converts them to ARGB.
using FetchFn = std::uint32_t (*)(const std::uint8_t* address, const PixelFormat& format);
// Writes a raw surface value (bytesPerPixel bytes) at address.
using StoreRawFn = void (*)(std::uint8_t* address, std::uint32_t raw);
// Reads a raw surface value (bytesPerPixel bytes) at address.
using FetchRawFn = std::uint32_t (*)(const std::uint8_t* address);

class PixelFormat {
 public:
  // Channel order in shifts(): alpha, red, green, blue.
  enum Channel { kAlpha = 0, kRed = 1, kGreen = 2, kBlue = 3 };

  // A format for depth 16, 24 or 32 with the given channel masks (alpha may be 0); none for
  // another depth, a mask wider than 8 bits or overlapping or out-of-range masks.
  static std::optional<PixelFormat> fromMasks(int depth, std::uint32_t alphaMask, std::uint32_t redMask,
                                              std::uint32_t greenMask, std::uint32_t blueMask);
  // 16-bit 5-6-5 without alpha.
  static PixelFormat rgb565();
  // 24-bit, 3 bytes per pixel (blue, green, red in memory), no alpha.
  static PixelFormat rgb888();
  // 32-bit with red, green, blue in the low 3 bytes and an unused top byte (the display's).
  static PixelFormat xrgb8888();
  // 32-bit with an alpha channel in the top byte.
  static PixelFormat argb8888();

  int depth() const { return depth_; }
  int bytesPerPixel() const { return bytesPerPixel_; }
  std::uint32_t alphaMask() const { return masks_[kAlpha]; }
  std::uint32_t redMask() const { return masks_[kRed]; }
  std::uint32_t greenMask() const { return masks_[kGreen]; }
  std::uint32_t blueMask() const { return masks_[kBlue]; }
  // The bits of a raw value that carry red, green or blue.
  std::uint32_t colourMask() const { return masks_[kRed] | masks_[kGreen] | masks_[kBlue]; }
  // ORed into every colour read back: full alpha without an alpha mask, and a full channel for
  // each colour channel the format lacks.
  std::uint32_t fillBits() const { return fillBits_; }
  // Right shift that reduces the 8-bit channel c (counted from bit 0 of ARGB) to its width.
  std::uint8_t rightShift(Channel c) const { return shifts_[c]; }
  // Lowest bit of channel c's mask.
  std::uint8_t position(Channel c) const { return shifts_[4 + c]; }

  // ARGB to a raw surface value.
  std::uint32_t toSurface(std::uint32_t argb) const;
  // A raw surface value to ARGB (with fillBits).
  std::uint32_t toARGB(std::uint32_t raw) const;

  // Converts and writes one pixel.
  void store(std::uint8_t* address, std::uint32_t argb) const { store_(address, argb, *this); }
  // Reads and converts one pixel.
  std::uint32_t fetch(const std::uint8_t* address) const { return fetch_(address, *this); }
  // Writes a raw value without conversion.
  void storeRaw(std::uint8_t* address, std::uint32_t raw) const { storeRaw_(address, raw); }
  // Reads a raw value without conversion.
  std::uint32_t fetchRaw(const std::uint8_t* address) const { return fetchRaw_(address); }

  // The routines chosen for this format, for loops that hoist them.
  StoreFn storeFn() const { return store_; }
  FetchFn fetchFn() const { return fetch_; }

  // Same depth and masks.
  bool operator==(const PixelFormat& o) const {
    return depth_ == o.depth_ && masks_[0] == o.masks_[0] && masks_[1] == o.masks_[1] && masks_[2] == o.masks_[2] &&
           masks_[3] == o.masks_[3];
  }

 private:
  PixelFormat() = default;

  int depth_ = 0;
  int bytesPerPixel_ = 0;
  std::uint32_t masks_[4] = {};
  std::uint32_t fillBits_ = 0;
  std::uint8_t shifts_[8] = {};
  StoreFn store_ = nullptr;
  FetchFn fetch_ = nullptr;
  StoreRawFn storeRaw_ = nullptr;
  FetchRawFn fetchRaw_ = nullptr;
};

}  // namespace korvo::platform
