// Image commands: loading, creation, copies, grabbing, saving, drawing and handles.
#include "media/images/image_commands.h"

#include <algorithm>
#include <climits>

#include "base/kv_ex.h"
#include "media/graphics/graphics_commands.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics_system.h"
#include "media/images/image_set.h"

namespace korvo::platform {
namespace {

// A new canvas of the display, or null (with handle 0).
Canvas* newFrame(GraphicsSystem& g, std::int32_t w, std::int32_t h, std::uint32_t flags, std::int32_t& handle) {
  handle = g.createCanvas(w, h, flags);
  return handle ? g.canvas(handle) : nullptr;
}

void draw(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rx, std::int32_t ry, std::int32_t rw,
          std::int32_t rh, std::int32_t frame, bool whole, bool solid) {
  Canvas* f = checkedFrame(image, frame);
  Canvas* target = currentBuffer();
  if (!f || !target) return;
  if (whole) target->blit(x, y, *f, 0, 0, f->width(), f->height(), solid);
  else target->blit(x, y, *f, rx, ry, rw, rh, solid);
}

void tile(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame, bool solid) {
  Canvas* f = checkedFrame(image, frame);
  Canvas* target = currentBuffer();
  if (!f || !target) return;
  const std::int64_t w = f->width(), h = f->height();
  const Rect& v = target->viewport();
  // One tile has its handle at (x, y) modulo the tile size; the others cover the viewport.
  const std::int64_t dx = std::int64_t{v.x0} + f->handleX() - target->originX();
  const std::int64_t dy = std::int64_t{v.y0} + f->handleY() - target->originY();
  const std::int64_t ex = x - dx < 0 ? w - (dx - x) % w : (x - dx) % w;
  const std::int64_t ey = y - dy < 0 ? h - (dy - y) % h : (y - dy) % h;
  for (std::int64_t row = -h; row < v.height(); row += h) {
    for (std::int64_t column = -w; column < v.width(); column += w) {
      target->blit(static_cast<std::int32_t>(dx + ex + column), static_cast<std::int32_t>(dy + ey + row), *f, 0, 0,
                   f->width(), f->height(), solid);
    }
  }
}

// Applies change to every frame of a live image.
template <typename Change>
void eachFrame(std::int32_t image, Change change) {
  Image* im = checkedImage(image, 0);
  if (!im) return;
  for (std::size_t n = 0; n < im->frames.size(); ++n) {
    if (Canvas* f = frameCanvas(*im, n)) change(*f);
  }
}

// A property of frame 0 of a live image, or 0.
std::int32_t ofFrame0(std::int32_t image, std::int32_t (Canvas::*property)() const) {
  const Canvas* f = checkedFrame(image, 0);
  return f ? (f->*property)() : 0;
}

}  // namespace
}  // namespace korvo::platform

namespace korvo::cmd {

using namespace platform;

std::int32_t LoadImage(KvString* file) {
  core::StringArg name(file);
  GraphicsSystem* g = imageDisplay();
  const std::int32_t handle = g ? g->loadCanvas(name.view(), 0) : 0;
  if (!handle) return 0;
  applyAutoMidHandle(*g->canvas(handle));
  return addImage({handle});
}

std::int32_t LoadAnimImage(KvString* file, std::int32_t cellWidth, std::int32_t cellHeight, std::int32_t first,
                           std::int32_t count) {
  core::StringArg name(file);
  if (count <= 0) raiseError("Illegal frame count");
  if (first < 0) raiseError("Illegal first frame");
  if (cellWidth <= 0 || cellHeight <= 0) {
    if (debugMode()) raiseError("Illegal cell size");
    return 0;
  }
  GraphicsSystem* g = imageDisplay();
  const std::int32_t stripHandle = g ? g->loadCanvas(name.view(), kCanvasSystemMemory) : 0;
  if (!stripHandle) return 0;
  const Canvas& strip = *g->canvas(stripHandle);
  const std::int64_t across = strip.width() / cellWidth;
  const std::int64_t rows = strip.height() / cellHeight;
  if (rows * across < std::int64_t{first} + count) {
    g->freeCanvas(stripHandle);
    raiseError("Not enough frames in bitmap");
  }
  std::int32_t sx = static_cast<std::int32_t>(first % across) * cellWidth;
  std::int32_t sy = static_cast<std::int32_t>(first / across) * cellHeight;
  std::vector<std::int32_t> frames;
  for (std::int32_t n = 0; n < count; ++n) {
    std::int32_t handle = 0;
    Canvas* cell = newFrame(*g, cellWidth, cellHeight, 0, handle);
    if (!cell) {
      freeFrames(frames);
      g->freeCanvas(stripHandle);
      return 0;
    }
    frames.push_back(handle);
    cell->blit(0, 0, strip, sx, sy, cellWidth, cellHeight, true);
    applyAutoMidHandle(*cell);
    sx += cellWidth;
    if (strip.width() < sx + cellWidth) {
      sx = 0;
      sy += cellHeight;
    }
  }
  g->freeCanvas(stripHandle);
  return addImage(std::move(frames));
}

std::int32_t CreateImage(std::int32_t width, std::int32_t height, std::int32_t frames) {
  // An image without frames could not be drawn or measured: refuse it.
  if (frames <= 0) {
    if (debugMode()) raiseError("Illegal frame count");
    return 0;
  }
  GraphicsSystem* g = imageDisplay();
  if (!g) return 0;
  std::vector<std::int32_t> made;
  for (std::int32_t n = 0; n < frames; ++n) {
    std::int32_t handle = 0;
    Canvas* frame = newFrame(*g, width, height, 0, handle);
    if (!frame) {
      freeFrames(made);
      return 0;
    }
    applyAutoMidHandle(*frame);
    made.push_back(handle);
  }
  return addImage(std::move(made));
}

std::int32_t CopyImage(std::int32_t image) {
  Image* source = checkedImage(image, 0);
  GraphicsSystem* g = imageDisplay();
  if (!source || !g) return 0;
  std::vector<std::int32_t> copies;
  for (std::size_t n = 0; n < source->frames.size(); ++n) {
    Canvas* f = frameCanvas(*source, n);
    std::int32_t handle = 0;
    Canvas* copy = f ? newFrame(*g, f->width(), f->height(), 0, handle) : nullptr;
    if (!copy) {
      freeFrames(copies);
      return 0;
    }
    copies.push_back(handle);
    const std::int32_t hx = f->handleX(), hy = f->handleY();
    f->setHandle(0, 0);
    copy->blit(0, 0, *f, 0, 0, f->width(), f->height(), true);
    f->setHandle(hx, hy);
    copy->setHandle(hx, hy);
    copy->setMaskColour(f->maskColourARGB());
  }
  return addImage(std::move(copies));
}

void FreeImage(std::int32_t image) {
  std::unique_ptr<Image> im = takeImage(image);
  if (!im) return;
  leaveImageBuffer(*im);
  freeFrames(im->frames);
}

std::int32_t SaveImage(std::int32_t image, KvString* file, std::int32_t frame) {
  core::StringArg name(file);
  Image* im = checkedImage(image, frame);
  if (!im || !frameCanvas(*im, static_cast<std::size_t>(frame))) return 0;
  return SaveBuffer(im->frames[static_cast<std::size_t>(frame)], core::newString(name.view()));
}

void GrabImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame) {
  Canvas* f = checkedFrame(image, frame);
  Canvas* source = currentBuffer();
  if (!f || !source) return;
  // A place beyond the int range stays beyond it (off the buffer) instead of wrapping round.
  const auto place = [](std::int32_t v, std::int32_t origin, std::int32_t handle) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{v} + origin - handle, INT32_MIN, INT32_MAX));
  };
  f->setViewport(0, 0, f->width(), f->height());
  f->blit(0, 0, *source, place(x, source->originX(), f->handleX()), place(y, source->originY(), f->handleY()),
          f->width(), f->height(), true);
}

std::int32_t ImageBuffer(std::int32_t image, std::int32_t frame) {
  Image* im = checkedImage(image, frame);
  return im ? im->frames[static_cast<std::size_t>(frame)] : 0;
}

void DrawImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame) {
  draw(image, x, y, 0, 0, 0, 0, frame, true, false);
}

void DrawBlock(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame) {
  draw(image, x, y, 0, 0, 0, 0, frame, true, true);
}

void DrawImageRect(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX, std::int32_t rectY,
                   std::int32_t rectWidth, std::int32_t rectHeight, std::int32_t frame) {
  draw(image, x, y, rectX, rectY, rectWidth, rectHeight, frame, false, false);
}

void DrawBlockRect(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX, std::int32_t rectY,
                   std::int32_t rectWidth, std::int32_t rectHeight, std::int32_t frame) {
  draw(image, x, y, rectX, rectY, rectWidth, rectHeight, frame, false, true);
}

void TileImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame) {
  tile(image, x, y, frame, false);
}
void TileBlock(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame) {
  tile(image, x, y, frame, true);
}

void MaskImage(std::int32_t image, std::int32_t red, std::int32_t green, std::int32_t blue) {
  const std::uint32_t argb = (static_cast<std::uint32_t>(red) & 0xFFFF) << 16 | static_cast<std::uint32_t>(green) << 8 |
                             static_cast<std::uint32_t>(blue);
  eachFrame(image, [argb](Canvas& f) { f.setMaskColour(argb); });
}

void HandleImage(std::int32_t image, std::int32_t x, std::int32_t y) {
  eachFrame(image, [x, y](Canvas& f) { f.setHandle(x, y); });
}

void MidHandle(std::int32_t image) {
  eachFrame(image, [](Canvas& f) { f.setHandle(f.width() / 2, f.height() / 2); });
}

void AutoMidHandle(std::int32_t enable) { graphicsState().autoMidHandle = enable != 0; }

std::int32_t ImageWidth(std::int32_t image) { return ofFrame0(image, &Canvas::width); }
std::int32_t ImageHeight(std::int32_t image) { return ofFrame0(image, &Canvas::height); }
std::int32_t ImageXHandle(std::int32_t image) { return ofFrame0(image, &Canvas::handleX); }
std::int32_t ImageYHandle(std::int32_t image) { return ofFrame0(image, &Canvas::handleY); }

}  // namespace korvo::cmd
