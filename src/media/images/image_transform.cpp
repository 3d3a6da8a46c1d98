// Transforms: the box, the resampling, and the transform commands.
#include "media/images/image_transform.h"

#include <algorithm>
#include <cmath>

#include "base/kv_ex.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics_system.h"
#include "media/images/image_commands.h"
#include "media/images/image_set.h"

namespace korvo::platform {
namespace {

// Largest side a transformed frame may have: beyond this the canvas could not be made anyway.
constexpr float kMaxSide = 32768.0f;

// The bilinear sample at (x, y) of source, read through its origin and viewport.
std::uint32_t bilinear(Canvas& source, float x, float y) {
  x -= 0.5f;
  y -= 0.5f;
  const float x0 = std::floor(x), y0 = std::floor(y);
  const float fx = x - x0, fy = y - y0;
  const auto ix = static_cast<std::int32_t>(x0), iy = static_cast<std::int32_t>(y0);
  const std::uint32_t p00 = source.getPixel(ix, iy), p10 = source.getPixel(ix + 1, iy);
  const std::uint32_t p11 = source.getPixel(ix + 1, iy + 1), p01 = source.getPixel(ix, iy + 1);
  std::uint32_t result = 0;
  for (int shift = 16; shift >= 0; shift -= 8) {
    auto c = [shift](std::uint32_t p) { return static_cast<float>((p >> shift) & 0xFF); };
    const float v =
        c(p11) * fx * fy + c(p01) * (1 - fx) * fy + c(p10) * fx * (1 - fy) + c(p00) * (1 - fx) * (1 - fy) + 0.5f;
    result |= static_cast<std::uint32_t>(v) << shift;
  }
  return result;
}

// Applies m to every frame of image; a matrix that gives no picture changes nothing.
void transformImage(std::int32_t image, const Transform& m) {
  Image* im = checkedImage(image, 0);
  GraphicsSystem* g = imageDisplay();
  if (!im || !g) return;
  // Every frame's box first, so a bad matrix leaves the image as it was.
  std::vector<TransformedBox> boxes;
  for (std::size_t n = 0; n < im->frames.size(); ++n) {
    Canvas* f = frameCanvas(*im, n);
    auto box = f ? transformedBox(m, f->width(), f->height(), f->handleX(), f->handleY()) : std::nullopt;
    if (!box) {
      if (debugMode()) raiseError("Illegal image transform");
      return;
    }
    boxes.push_back(*box);
  }
  leaveImageBuffer(*im);
  const bool filter = graphicsState().transformFilter;
  for (std::size_t n = 0; n < im->frames.size(); ++n) {
    const std::int32_t handle = g->createCanvas(boxes[n].width, boxes[n].height, 0);
    if (!handle) return;
    transformInto(*frameCanvas(*im, n), m, boxes[n], filter, *g->canvas(handle));
    g->freeCanvas(im->frames[n]);
    im->frames[n] = handle;
  }
}

}  // namespace

std::optional<TransformedBox> transformedBox(const Transform& m, std::int32_t w, std::int32_t h, std::int32_t hx,
                                             std::int32_t hy) {
  const float det = m.a * m.d - m.c * m.b;
  if (!std::isfinite(det) || det == 0.0f || !std::isfinite(1.0f / det)) return std::nullopt;
  // Handles may be anywhere in the int range: the corners are taken in 64 bits.
  const auto left = static_cast<float>(-std::int64_t{hx}), right = static_cast<float>(std::int64_t{w} - hx);
  const auto top = static_cast<float>(-std::int64_t{hy}), bottom = static_cast<float>(std::int64_t{h} - hy);
  const float xs[4] = {left, right, right, left};
  const float ys[4] = {top, top, bottom, bottom};
  float minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
  for (int i = 0; i < 4; ++i) {
    const float x = m.a * xs[i] + m.c * ys[i], y = m.b * xs[i] + m.d * ys[i];
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  minX = std::floor(minX), minY = std::floor(minY), maxX = std::ceil(maxX), maxY = std::ceil(maxY);
  if (!(maxX - minX >= 1.0f && maxY - minY >= 1.0f && maxX - minX <= kMaxSide && maxY - minY <= kMaxSide &&
        std::fabs(minX) <= kMaxSide * 4 && std::fabs(minY) <= kMaxSide * 4)) {
    return std::nullopt;
  }
  return TransformedBox{static_cast<std::int32_t>(maxX - minX), static_cast<std::int32_t>(maxY - minY),
                        static_cast<std::int32_t>(-minX), static_cast<std::int32_t>(-minY)};
}

void transformInto(Canvas& source, const Transform& m, const TransformedBox& box, bool filter, Canvas& target) {
  const float det = 1.0f / (m.a * m.d - m.c * m.b);
  const float ia = m.d * det, ib = -m.b * det, ic = -m.c * det, id = m.a * det;
  const float hx = static_cast<float>(source.handleX()), hy = static_cast<float>(source.handleY());
  const float minX = static_cast<float>(-box.handleX), minY = static_cast<float>(-box.handleY);
  target.setHandle(box.handleX, box.handleY);
  target.setMaskColour(source.maskColourARGB());
  source.lock();
  target.lock();
  for (std::int32_t i = 0; i < box.height; ++i) {
    for (std::int32_t j = 0; j < box.width; ++j) {
      const float px = minX + static_cast<float>(j) + 0.5f, py = minY + static_cast<float>(i) + 0.5f;
      const float u = ia * px + ic * py, v = ib * px + id * py;
      const std::uint32_t colour = filter ? bilinear(source, hx + u, hy + v)
                                          : source.getPixel(static_cast<std::int32_t>(std::floor(hx + u)),
                                                            static_cast<std::int32_t>(std::floor(hy + v)));
      target.setPixel(j, i, colour);
    }
  }
  target.unlock();
  source.unlock();
}

}  // namespace korvo::platform

namespace korvo::cmd {

void ScaleImage(std::int32_t image, float xScale, float yScale) {
  platform::transformImage(image, {xScale, 0.0f, 0.0f, yScale});
}

void ResizeImage(std::int32_t image, float width, float height) {
  const platform::Canvas* f = platform::checkedFrame(image, 0);
  if (!f) return;
  platform::transformImage(
      image, {width / static_cast<float>(f->width()), 0.0f, 0.0f, height / static_cast<float>(f->height())});
}

void RotateImage(std::int32_t image, float angle) {
  const float theta = angle * 0.017453292f;
  platform::transformImage(image, {std::cos(theta), std::sin(theta), -std::sin(theta), std::cos(theta)});
}

void TFormImage(std::int32_t image, float a, float b, float c, float d) {
  platform::transformImage(image, {a, b, c, d});
}

void TFormFilter(std::int32_t enable) { platform::graphicsState().transformFilter = enable != 0; }

}  // namespace korvo::cmd
