// Canvas: one drawable pixel surface (front or back buffer, image frame, glyph sheet or
// temporary) with its own drawing state: origin, viewport, colours, mask colour, handle and
// font. It converts ARGB colours to its surface's format, draws the 2D primitives with their
// exact clipping and rasterising rules, copies rectangles between canvases with or without a
// mask colour, and keeps an optional one-bit collision mask in step with its pixels.
//
// Coordinates are canvas pixels; "drawing coordinates" have the origin added first. Drawing
// is clipped to the viewport, which always lies inside the surface.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "media/canvas/pixel_format.h"
#include "media/canvas/rect.h"
#include "media/canvas/surface.h"

namespace korvo::platform {

class BitmapFont;

// Creation flag: keep the surface in system memory (all our surfaces are; kept for callers).
inline constexpr std::uint32_t kCanvasSystemMemory = 0x2000;

class Canvas {
 public:
  // A canvas over surface, which must not be null (two canvases may share one: a window's
  // front and back buffer).
  // Colour white, cls colour and mask colour black, origin and handle (0, 0), viewport the
  // whole surface, modification counter 0, no mask.
  Canvas(std::shared_ptr<Surface> surface, std::uint32_t flags = 0, BitmapFont* font = nullptr);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  std::uint32_t flags() const { return flags_; }
  std::int32_t width() const { return rect_.x1; }
  std::int32_t height() const { return rect_.y1; }
  // (0, 0, width, height).
  const Rect& rect() const { return rect_; }
  const PixelFormat& format() const { return surface_->format(); }
  Surface& surface() { return *surface_; }
  const Surface& surface() const { return *surface_; }
  const std::shared_ptr<Surface>& sharedSurface() const { return surface_; }

  // Advanced by every drawing operation; read by the presenter (any thread).
  std::uint32_t modCount() const { return modCount_.load(std::memory_order_relaxed); }
  // Flip copies the back buffer's counter into the front buffer's.
  void setModCount(std::uint32_t n) { modCount_.store(n, std::memory_order_relaxed); }

  // --- Drawing state ---
  void setOrigin(std::int32_t x, std::int32_t y) {
    originX_ = x;
    originY_ = y;
  }
  std::int32_t originX() const { return originX_; }
  std::int32_t originY() const { return originY_; }
  // Subtracted from the destination when this canvas is drawn onto another.
  void setHandle(std::int32_t x, std::int32_t y) {
    handleX_ = x;
    handleY_ = y;
  }
  std::int32_t handleX() const { return handleX_; }
  std::int32_t handleY() const { return handleY_; }
  // Viewport (x, y, x + w, y + h) in canvas coordinates, kept inside the canvas.
  void setViewport(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
  // The clip rectangle (exclusive right and bottom).
  const Rect& viewport() const { return viewport_; }
  void setFont(BitmapFont* font) { font_ = font; }
  BitmapFont* font() const { return font_; }

  // Drawing colour: alpha forced to 0xFF, then converted to the surface format.
  void setColour(std::uint32_t argb);
  // The drawing colour after its round trip through the surface format.
  std::uint32_t colourARGB() const { return format().toARGB(colour_); }
  // The drawing colour as a raw surface value.
  std::uint32_t colour() const { return colour_; }
  // Clear colour: alpha forced to 0xFF, then converted.
  void setClsColour(std::uint32_t argb);
  std::uint32_t clsColour() const { return clsColour_; }
  // Mask (transparent) colour, converted without forcing alpha; refreshes an existing mask.
  void setMaskColour(std::uint32_t argb);
  std::uint32_t maskColour() const { return maskColour_; }
  // The mask colour converted back to ARGB (what reads outside the viewport return).
  std::uint32_t maskColourARGB() const { return format().toARGB(maskColour_); }

  // --- Locking (nests; the outermost unlock rebuilds the mask after changes) ---
  bool lock();
  void unlock();
  bool locked() const { return lockCount_ > 0; }

  // --- Pixels ---
  // ARGB at drawing coordinates; maskColourARGB() outside the viewport.
  std::uint32_t getPixel(std::int32_t x, std::int32_t y);
  // Stores argb at drawing coordinates inside the viewport.
  void setPixel(std::int32_t x, std::int32_t y, std::uint32_t argb);
  // ARGB at canvas coordinates, no origin or viewport; 0 outside the canvas.
  std::uint32_t getPixelFast(std::int32_t x, std::int32_t y) const;
  // Stores argb at canvas coordinates, no origin or viewport; ignored outside the canvas.
  void setPixelFast(std::int32_t x, std::int32_t y, std::uint32_t argb);
  // Raw copy of src's pixel (sx, sy) (src's origin and viewport) to (x, y) (ours).
  void copyPixel(std::int32_t x, std::int32_t y, Canvas& src, std::int32_t sx, std::int32_t sy);
  // Raw copy at canvas coordinates of both; ignored outside either canvas.
  void copyPixelFast(std::int32_t x, std::int32_t y, const Canvas& src, std::int32_t sx, std::int32_t sy);

  // --- Drawing ---
  // Fills the viewport with the cls colour (the origin is not used).
  void cls();
  // One pixel in the drawing colour.
  void plot(std::int32_t x, std::int32_t y);
  // A line including both end points, clipped to the viewport.
  void line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
  // A filled rectangle or its one-pixel outline; nothing when w or h is not positive.
  void rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool solid);
  // A filled ellipse or its outline inside the box (x, y, w, h).
  void oval(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, bool solid);
  // Copies src's rectangle (sx, sy, w, h) to (x, y) in drawing coordinates less src's handle;
  // without solid, src pixels of src's mask colour are not copied. src may be this canvas.
  void blit(std::int32_t x, std::int32_t y, const Canvas& src, std::int32_t sx, std::int32_t sy, std::int32_t w,
            std::int32_t h, bool solid);

  // --- Collision mask: bit 31 - k of a word is pixel (word start + k) differing from the mask
  // colour in red, green or blue ---
  // Advances the counter and refreshes the mask over r.
  void damage(const Rect& r) {
    advance();
    if (hasMask()) refreshMask(r);
  }
  // Refreshes the mask over r (canvas pixels); builds the whole mask the first time.
  void buildMask(const Rect& r);
  // Builds the whole mask if there is none yet.
  void ensureMask();
  bool hasMask() const { return !mask_.empty(); }
  // 32-bit words per mask row.
  std::int32_t maskWords() const { return maskWords_; }
  // The mask, height × maskWords words (null before ensureMask()).
  const std::uint32_t* mask() const { return mask_.empty() ? nullptr : mask_.data(); }

  // --- Suspend and resume ---
  // Keeps a copy of the pixels until restoreContents().
  void saveContents();
  // Puts the saved copy back and drops it; nothing when none was saved.
  void restoreContents();

 private:
  // Fills r clipped to the viewport with a raw value; false when nothing was left.
  bool fillClipped(Rect r, std::uint32_t raw);
  // Only the program's thread draws, so a plain load and store do (a locked read-modify-write
  // on every drawing call cost as much as a small blit's pixels).
  void advance(std::uint32_t n = 1) {
    modCount_.store(modCount_.load(std::memory_order_relaxed) + n, std::memory_order_relaxed);
  }
  void refreshMask(const Rect& r);

  std::shared_ptr<Surface> surface_;
  std::uint32_t flags_;
  BitmapFont* font_;
  std::atomic<std::uint32_t> modCount_{0};
  std::shared_ptr<Surface> backup_;
  std::int32_t lockCount_ = 0;
  std::uint32_t modCountAtLock_ = 0;
  std::int32_t maskWords_;
  std::vector<std::uint32_t> mask_;
  Rect rect_;
  Rect viewport_;
  std::int32_t originX_ = 0;
  std::int32_t originY_ = 0;
  std::int32_t handleX_ = 0;
  std::int32_t handleY_ = 0;
  std::uint32_t maskColour_ = 0;
  std::uint32_t colour_ = 0;
  std::uint32_t clsColour_ = 0;
};

}  // namespace korvo::platform
