// Canvas operations driven by the input: three small canvases of assorted depths, then a
// stream of drawing, copying, locking and state changes with small or extreme arguments.
// Memory errors are the sanitizers' to find; a collision mask that disagrees with the pixels
// after an operation, or a viewport outside its canvas, stops the run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "media/canvas/canvas.h"

namespace {

using korvo::platform::Canvas;
using korvo::platform::PixelFormat;
using korvo::platform::Surface;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  bool empty() const { return n_ == 0; }
  std::uint8_t byte() {
    if (n_ == 0) return 0;
    --n_;
    return *p_++;
  }
  // Mostly small values around the canvases, now and then any 32-bit value.
  std::int32_t value() {
    const std::uint8_t b = byte();
    if (b < 240) return static_cast<std::int32_t>(b) - 80;
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = v << 8 | byte();
    return static_cast<std::int32_t>(v);
  }
  std::uint32_t colour() {
    return std::uint32_t(byte()) << 16 | std::uint32_t(byte()) << 8 | byte();
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

PixelFormat formatFor(std::uint8_t b) {
  switch (b % 4) {
    case 0:
      return PixelFormat::rgb565();
    case 1:
      return PixelFormat::rgb888();
    case 2:
      return PixelFormat::xrgb8888();
    default:
      return PixelFormat::argb8888();
  }
}

void checkMask(const Canvas& c) {
  if (c.locked() || !c.hasMask()) return;
  const std::uint32_t key = c.maskColourARGB() & 0xFFFFFF;
  for (int y = 0; y < c.height(); ++y) {
    for (int x = 0; x < c.width(); ++x) {
      const bool bit = (c.mask()[y * c.maskWords() + x / 32] >> (31 - x % 32)) & 1;
      if (bit != ((c.getPixelFast(x, y) & 0xFFFFFF) != key)) __builtin_trap();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  std::unique_ptr<Canvas> canvases[3];
  for (auto& c : canvases) {
    const PixelFormat f = formatFor(in.byte());
    c = std::make_unique<Canvas>(Surface::create(1 + in.byte() % 70, 1 + in.byte() % 40, f));
  }
  for (int ops = 0; ops < 200 && !in.empty(); ++ops) {
    Canvas& c = *canvases[in.byte() % 3];
    Canvas& other = *canvases[in.byte() % 3];
    switch (in.byte() % 20) {
      case 0:
        c.setOrigin(in.value(), in.value());
        break;
      case 1:
        c.setViewport(in.value(), in.value(), in.value(), in.value());
        break;
      case 2:
        c.setHandle(in.value(), in.value());
        break;
      case 3:
        c.setColour(in.colour());
        break;
      case 4:
        c.setMaskColour(in.colour());
        break;
      case 5:
        c.setClsColour(in.colour());
        c.cls();
        break;
      case 6:
        c.plot(in.value(), in.value());
        break;
      case 7:
        c.line(in.value(), in.value(), in.value(), in.value());
        break;
      case 8:
        c.rect(in.value(), in.value(), in.value(), in.value(), in.byte() & 1);
        break;
      case 9:
        c.oval(in.value(), in.value(), in.value(), in.value(), in.byte() & 1);
        break;
      case 10:
        c.blit(in.value(), in.value(), other, in.value(), in.value(), in.value(), in.value(),
               in.byte() & 1);
        break;
      case 11:
        c.copyPixel(in.value(), in.value(), other, in.value(), in.value());
        break;
      case 12:
        c.copyPixelFast(in.value(), in.value(), other, in.value(), in.value());
        break;
      case 13:
        c.setPixel(in.value(), in.value(), in.colour());
        break;
      case 14:
        c.setPixelFast(in.value(), in.value(), in.colour());
        break;
      case 15:
        (void)c.getPixel(in.value(), in.value());
        (void)c.getPixelFast(in.value(), in.value());
        break;
      case 16:
        c.lock();
        break;
      case 17:
        c.unlock();
        break;
      case 18:
        c.ensureMask();
        break;
      default:
        c.saveContents();
        c.cls();
        c.restoreContents();
        break;
    }
    for (const auto& k : canvases) {
      const auto& v = k->viewport();
      if (!v.empty() && (v.x0 < 0 || v.y0 < 0 || v.x1 > k->width() || v.y1 > k->height())) {
        __builtin_trap();
      }
      checkMask(*k);
    }
  }
  return 0;
}
