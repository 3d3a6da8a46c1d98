// Memory surfaces and the surface layer's fast paths: colour fills (a pattern of whole pixels
// stored along each row, 32 bytes a store with AVX2), solid copies (one memcpy per row, or one
// for the whole block when rows are contiguous) and colour-keyed copies (the vector kernels of
// pixel_kernels.cpp).
#include "media/canvas/surface.h"

#include "media/canvas/pixel_kernels.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KORVO_X86 1
#endif

namespace korvo::platform {
namespace {

// Rows start on 16-byte boundaries so that vector loads of whole rows stay aligned.
constexpr std::int32_t kRowAlign = 16;

// Clips s to src and (dx, dy, size of s) to dst, moving the other rectangle alike. Returns
// the destination rectangle; s is updated to the matching source.
Rect clipCopy(std::int32_t dx, std::int32_t dy, const Rect& dstBounds, const Rect& srcBounds, Rect& s) {
  Rect src = s.intersect(srcBounds);
  if (src.empty()) return {};
  const std::int64_t ox = std::int64_t{dx} + src.x0 - s.x0;
  const std::int64_t oy = std::int64_t{dy} + src.y0 - s.y0;
  const Rect d = clampedRect(ox, oy, ox + src.width(), oy + src.height());
  const Rect clipped = d.intersect(dstBounds);
  if (clipped.empty()) return {};
  src.x0 = static_cast<std::int32_t>(src.x0 + (clipped.x0 - ox));
  src.y0 = static_cast<std::int32_t>(src.y0 + (clipped.y0 - oy));
  src.x1 = src.x0 + clipped.width();
  src.y1 = src.y0 + clipped.height();
  s = src;
  return clipped;
}

bool overlaps(const Rect& a, const Rect& b) { return !a.intersect(b).empty(); }

// A fill's pattern: whole pixels at every depth (48 bytes: 24, 16 or 12 of them), held three
// times over so that 32 bytes at any offset into a 96-byte step can be read from it.
constexpr std::size_t kPattern = 48;
constexpr std::size_t kPatternHeld = 3 * kPattern;

#ifdef KORVO_X86
__attribute__((target("avx2"), always_inline)) inline void store32(std::uint8_t* at, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v);
}

// Rows of 32 bytes or more in 32-byte stores: 96-byte steps of the pattern, then what whole
// 32-byte parts remain, then 32 bytes ending at the row's end, read from the pattern at the
// same offset within a step (96 bytes hold whole pixels, so the pattern lines up there too).
__attribute__((target("avx2"))) void fillRowsAvx2(std::uint8_t* row, std::ptrdiff_t pitch, std::int32_t rows,
                                                  std::size_t rowBytes, const std::uint8_t* pattern) {
  const __m256i p0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pattern));
  const __m256i p1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pattern + 32));
  const __m256i p2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pattern + 64));
  const std::size_t end = rowBytes - 32;
  const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pattern + end % (2 * kPattern)));
  for (std::int32_t y = 0; y < rows; ++y, row += pitch) {
    std::size_t i = 0;
    for (; i + 2 * kPattern <= rowBytes; i += 2 * kPattern) {
      store32(row + i, p0);
      store32(row + i + 32, p1);
      store32(row + i + 64, p2);
    }
    if (i + 32 <= rowBytes) store32(row + i, p0);
    if (i + 64 <= rowBytes) store32(row + i + 32, p1);
    store32(row + end, last);
  }
}
#endif

}  // namespace

Surface::Surface(std::int32_t width, std::int32_t height, std::int32_t pitch, const PixelFormat& format,
                 std::uint8_t* pixels)
    : width_(width),
      height_(height),
      pitch_(pitch),
      format_(format),
      keyed_(keyedBlockFor(format.bytesPerPixel())),
      pixels_(pixels) {}

Surface::~Surface() { std::free(pixels_); }

std::shared_ptr<Surface> Surface::create(std::int32_t width, std::int32_t height, const PixelFormat& format) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  const std::int64_t rowBytes = std::int64_t{width} * format.bytesPerPixel();
  const std::int64_t pitch = (rowBytes + kRowAlign - 1) / kRowAlign * kRowAlign;
  const std::int64_t bytes = pitch * height;
  if (static_cast<std::uint64_t>(bytes) > kMaxBytes) return nullptr;
  auto* pixels = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(bytes), 1));
  if (!pixels) return nullptr;
  auto* surface = new (std::nothrow) Surface(width, height, static_cast<std::int32_t>(pitch), format, pixels);
  if (!surface) {
    std::free(pixels);
    return nullptr;
  }
  return std::shared_ptr<Surface>(surface);
}

void Surface::fill(const Rect& area, std::uint32_t raw) {
  const Rect r = area.intersect(rect());
  if (r.empty()) return;
  const int bpp = format_.bytesPerPixel();
  std::uint8_t pattern[kPatternHeld];
  for (std::size_t i = 0; i < kPattern; i += bpp) format_.storeRaw(pattern + i, raw);
  std::memcpy(pattern + kPattern, pattern, kPattern);
  std::memcpy(pattern + 2 * kPattern, pattern, kPattern);
  const std::size_t rowBytes = std::size_t(r.width()) * bpp;
#ifdef KORVO_X86
  static const bool kAvx2 = __builtin_cpu_supports("avx2");
  if (kAvx2 && rowBytes >= 32) {
    fillRowsAvx2(at(r.x0, r.y0), pitch_, r.height(), rowBytes, pattern);
    return;
  }
#endif
  // Elsewhere the pattern is stored along each row by fixed-size copies, which the compiler
  // makes plain vector stores.
  const std::size_t whole = rowBytes / kPattern * kPattern;
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    std::uint8_t* row = at(r.x0, y);
    for (std::size_t i = 0; i < whole; i += kPattern) std::memcpy(row + i, pattern, kPattern);
    std::memcpy(row + whole, pattern, rowBytes - whole);
  }
}

void Surface::copyFrom(std::int32_t dx, std::int32_t dy, const Surface& src, const Rect& area) {
  Rect s = area;
  const Rect d = clipCopy(dx, dy, rect(), src.rect(), s);
  if (!d.empty()) copyClipped(d, src, s);
}

void Surface::copyClipped(const Rect& d, const Surface& src, const Rect& s) {
  const std::int32_t w = d.width();
  const std::int32_t h = d.height();

  if (!(src.format_ == format_)) {
    const FetchFn fetch = src.format_.fetchFn();
    const StoreFn store = format_.storeFn();
    for (std::int32_t y = 0; y < h; ++y) {
      const std::uint8_t* sp = src.at(s.x0, s.y0 + y);
      std::uint8_t* dp = at(d.x0, d.y0 + y);
      for (std::int32_t x = 0; x < w; ++x) {
        store(dp + x * format_.bytesPerPixel(), fetch(sp + x * src.format_.bytesPerPixel(), src.format_), format_);
      }
    }
    return;
  }

  const std::size_t rowBytes = std::size_t(w) * format_.bytesPerPixel();
  if (&src == this) {
    // Same surface: memmove per row, walking rows away from the overlap.
    if (d.y0 > s.y0) {
      for (std::int32_t y = h - 1; y >= 0; --y) {
        std::memmove(at(d.x0, d.y0 + y), src.at(s.x0, s.y0 + y), rowBytes);
      }
    } else {
      for (std::int32_t y = 0; y < h; ++y) {
        std::memmove(at(d.x0, d.y0 + y), src.at(s.x0, s.y0 + y), rowBytes);
      }
    }
    return;
  }
  if (w == width_ && w == src.width_ && pitch_ == src.pitch_) {
    std::memcpy(at(0, d.y0), src.at(0, s.y0), std::size_t(h - 1) * pitch_ + rowBytes);
    return;
  }
  for (std::int32_t y = 0; y < h; ++y) {
    std::memcpy(at(d.x0, d.y0 + y), src.at(s.x0, s.y0 + y), rowBytes);
  }
}

void Surface::copyKeyedFrom(std::int32_t dx, std::int32_t dy, const Surface& src, const Rect& area, std::uint32_t key) {
  Rect s = area;
  const Rect d = clipCopy(dx, dy, rect(), src.rect(), s);
  if (!d.empty()) copyKeyedClipped(d, src, s, key);
}

void Surface::copyKeyedClipped(const Rect& d, const Surface& src, const Rect& s, std::uint32_t key) {
  const std::int32_t w = d.width();
  const std::int32_t h = d.height();
  const std::uint32_t cmask = src.format_.colourMask();

  if (!(src.format_ == format_)) {
    const FetchFn fetch = src.format_.fetchFn();
    const StoreFn store = format_.storeFn();
    const std::uint32_t k = key & cmask;
    for (std::int32_t y = 0; y < h; ++y) {
      const std::uint8_t* sp = src.at(s.x0, s.y0 + y);
      std::uint8_t* dp = at(d.x0, d.y0 + y);
      for (std::int32_t x = 0; x < w; ++x) {
        const std::uint8_t* p = sp + x * src.format_.bytesPerPixel();
        if ((src.format_.fetchRaw(p) & cmask) == k) continue;
        store(dp + x * format_.bytesPerPixel(), fetch(p, src.format_), format_);
      }
    }
    return;
  }

  if (&src == this && overlaps(d, s)) {
    // Overlap within one surface: take the source aside first.
    const std::size_t rowBytes = std::size_t(w) * format_.bytesPerPixel();
    std::vector<std::uint8_t> copy(rowBytes * h);
    for (std::int32_t y = 0; y < h; ++y) {
      std::memcpy(copy.data() + rowBytes * y, src.at(s.x0, s.y0 + y), rowBytes);
    }
    keyed_(at(d.x0, d.y0), pitch_, copy.data(), static_cast<std::ptrdiff_t>(rowBytes), w, h, key, cmask);
    return;
  }
  keyed_(at(d.x0, d.y0), pitch_, src.at(s.x0, s.y0), src.pitch_, w, h, key, cmask);
}

std::shared_ptr<Surface> Surface::clone() const {
  auto copy = create(width_, height_, format_);
  if (copy) std::memcpy(copy->pixels_, pixels_, std::size_t(pitch_) * height_);
  return copy;
}

}  // namespace korvo::platform
