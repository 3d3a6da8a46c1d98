// Canvas state, locking, single-pixel access, rectangle copies, the collision mask and the
// save and restore of contents. The primitives live in canvas_draw.cpp.
#include "media/canvas/canvas.h"

#include "media/canvas/pixel_kernels.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace korvo::platform {
namespace {

void maskRows(std::uint32_t* mask, std::int32_t words, const Surface& s, const Rect& r, std::int32_t w0,
              std::int32_t w1, std::uint32_t key) {
  const MaskWordFn maskWord = maskWordFor(s.format().bytesPerPixel());
  const std::uint32_t cmask = s.format().colourMask();
  const std::uint32_t k = key & cmask;
  for (std::int32_t y = r.y0; y < r.y1; ++y) {
    std::uint32_t* out = mask + std::ptrdiff_t{y} * words;
    for (std::int32_t w = w0; w < w1; ++w) {
      const std::int32_t x = w * 32;
      const std::int32_t count = std::min<std::int32_t>(32, s.width() - x);
      out[w] = maskWord(s.at(x, y), count, k, cmask);
    }
  }
}

}  // namespace

Canvas::Canvas(std::shared_ptr<Surface> surface, std::uint32_t flags, BitmapFont* font)
    : surface_(std::move(surface)),
      flags_(flags),
      font_(font),
      maskWords_((surface_->width() + 31) / 32),
      rect_(surface_->rect()),
      viewport_(rect_) {
  setColour(0xFFFFFFFF);
  setClsColour(0);
  setMaskColour(0);
}

Canvas::~Canvas() = default;

void Canvas::setViewport(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  viewport_ = clampedRect(x, y, std::int64_t{x} + w, std::int64_t{y} + h).intersect(rect_);
  if (viewport_.empty()) viewport_ = {};
}

void Canvas::setColour(std::uint32_t argb) { colour_ = format().toSurface(argb | 0xFF000000u); }

void Canvas::setClsColour(std::uint32_t argb) { clsColour_ = format().toSurface(argb | 0xFF000000u); }

void Canvas::setMaskColour(std::uint32_t argb) {
  maskColour_ = format().toSurface(argb);
  if (hasMask()) refreshMask(rect_);
}

bool Canvas::lock() {
  if (lockCount_++ == 0) modCountAtLock_ = modCount();
  return true;
}

void Canvas::unlock() {
  if (lockCount_ <= 0) return;
  if (lockCount_ == 1 && modCount() != modCountAtLock_ && hasMask()) refreshMask(rect_);
  --lockCount_;
}

std::uint32_t Canvas::getPixel(std::int32_t x, std::int32_t y) {
  const std::int64_t px = std::int64_t{x} + originX_;
  const std::int64_t py = std::int64_t{y} + originY_;
  if (px < viewport_.x0 || px >= viewport_.x1 || py < viewport_.y0 || py >= viewport_.y1) {
    return maskColourARGB();
  }
  return format().fetch(surface_->at(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)));
}

void Canvas::setPixel(std::int32_t x, std::int32_t y, std::uint32_t argb) {
  const std::int64_t px = std::int64_t{x} + originX_;
  const std::int64_t py = std::int64_t{y} + originY_;
  if (px < viewport_.x0 || px >= viewport_.x1 || py < viewport_.y0 || py >= viewport_.y1) return;
  lock();
  format().store(surface_->at(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py)), argb);
  advance();
  unlock();
}

std::uint32_t Canvas::getPixelFast(std::int32_t x, std::int32_t y) const {
  if (!rect_.contains(x, y)) return 0;
  return format().fetch(surface_->at(x, y));
}

void Canvas::setPixelFast(std::int32_t x, std::int32_t y, std::uint32_t argb) {
  if (!rect_.contains(x, y)) return;
  format().store(surface_->at(x, y), argb);
  advance();
}

void Canvas::copyPixel(std::int32_t x, std::int32_t y, Canvas& src, std::int32_t sx, std::int32_t sy) {
  const std::int64_t dx = std::int64_t{x} + originX_;
  const std::int64_t dy = std::int64_t{y} + originY_;
  const std::int64_t px = std::int64_t{sx} + src.originX_;
  const std::int64_t py = std::int64_t{sy} + src.originY_;
  const Rect& sv = src.viewport_;
  if (dx < viewport_.x0 || dx >= viewport_.x1 || dy < viewport_.y0 || dy >= viewport_.y1) return;
  if (px < sv.x0 || px >= sv.x1 || py < sv.y0 || py >= sv.y1) return;
  copyPixelFast(static_cast<std::int32_t>(dx), static_cast<std::int32_t>(dy), src, static_cast<std::int32_t>(px),
                static_cast<std::int32_t>(py));
}

void Canvas::copyPixelFast(std::int32_t x, std::int32_t y, const Canvas& src, std::int32_t sx, std::int32_t sy) {
  if (!rect_.contains(x, y) || !src.rect_.contains(sx, sy)) return;
  // Raw bytes of this canvas's depth; a source of another depth is converted instead, since
  // reading past its pixel would be reading another pixel (or past the surface).
  if (src.format() == format()) {
    std::memmove(surface_->at(x, y), src.surface_->at(sx, sy), format().bytesPerPixel());
  } else {
    format().store(surface_->at(x, y), src.format().fetch(src.surface_->at(sx, sy)));
  }
}

void Canvas::blit(std::int32_t x, std::int32_t y, const Canvas& src, std::int32_t sx, std::int32_t sy, std::int32_t w,
                  std::int32_t h, bool solid) {
  // Edges in 64 bits, where program coordinates cannot overflow: each side loses what lies
  // outside the viewport or outside src, whichever cuts more.
  const std::int64_t dx = std::int64_t{x} + originX_ - src.handleX_;
  const std::int64_t dy = std::int64_t{y} + originY_ - src.handleY_;
  const std::int64_t left = std::max({std::int64_t{0}, viewport_.x0 - dx, std::int64_t{src.rect_.x0} - sx});
  const std::int64_t top = std::max({std::int64_t{0}, viewport_.y0 - dy, std::int64_t{src.rect_.y0} - sy});
  const std::int64_t right = std::min(viewport_.x1 - dx, src.rect_.x1 - std::int64_t{sx});
  const std::int64_t bottom = std::min(viewport_.y1 - dy, src.rect_.y1 - std::int64_t{sy});
  const std::int64_t cw = std::min<std::int64_t>(w, right) - left;
  const std::int64_t ch = std::min<std::int64_t>(h, bottom) - top;
  if (cw <= 0 || ch <= 0) return;
  const auto x0 = static_cast<std::int32_t>(dx + left);
  const auto y0 = static_cast<std::int32_t>(dy + top);
  const auto u0 = static_cast<std::int32_t>(sx + left);
  const auto v0 = static_cast<std::int32_t>(sy + top);
  const Rect d{x0, y0, x0 + static_cast<std::int32_t>(cw), y0 + static_cast<std::int32_t>(ch)};
  const Rect s{u0, v0, u0 + static_cast<std::int32_t>(cw), v0 + static_cast<std::int32_t>(ch)};

  if (solid) {
    surface_->copyClipped(d, *src.surface_, s);
  } else {
    surface_->copyKeyedClipped(d, *src.surface_, s, src.maskColour_);
  }
  damage(d);
}

void Canvas::buildMask(const Rect& r) {
  if (!hasMask()) {
    ensureMask();
    return;
  }
  refreshMask(r);
}

void Canvas::ensureMask() {
  if (hasMask()) return;
  mask_.assign(std::size_t(maskWords_) * rect_.y1, 0);
  refreshMask(rect_);
}

void Canvas::refreshMask(const Rect& area) {
  const Rect r = area.intersect(rect_);
  if (r.empty()) return;
  const std::int32_t w0 = r.x0 / 32;
  const std::int32_t w1 = (r.x1 + 31) / 32;
  maskRows(mask_.data(), maskWords_, *surface_, r, w0, w1, maskColour_);
}

void Canvas::saveContents() { backup_ = surface_->clone(); }

void Canvas::restoreContents() {
  if (!backup_) return;
  surface_->copyFrom(0, 0, *backup_, backup_->rect());
  backup_.reset();
}

}  // namespace korvo::platform
