// Canvas operations driven by the input: three small canvases of assorted depths, then a
// stream of drawing, copying, locking and state changes with small or extreme arguments.
// Memory errors are the sanitizers' to find; a collision mask that disagrees with the pixels
// after an operation, or a viewport outside its canvas, stops the run.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_seeds.h"
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
  // count values, read in order (the reads must not be arguments of one call, whose order
  // of evaluation differs between compilers: a kept input must mean the same to each).
  template <std::size_t kCount>
  std::array<std::int32_t, kCount> values() {
    std::array<std::int32_t, kCount> v;
    for (auto& x : v) x = value();
    return v;
  }
  std::uint32_t colour() {
    std::uint32_t c = 0;
    for (int i = 0; i < 3; ++i) c = c << 8 | byte();
    return c;
  }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

PixelFormat formatFor(std::uint8_t b) {
  switch (b % 4) {
    case 0: return PixelFormat::rgb565();
    case 1: return PixelFormat::rgb888();
    case 2: return PixelFormat::xrgb8888();
    default: return PixelFormat::argb8888();
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
    const int width = 1 + in.byte() % 70;
    const int height = 1 + in.byte() % 40;
    c = std::make_unique<Canvas>(Surface::create(width, height, f));
  }
  // Pixel copies and the Fast writes leave the mask as it was (a copy does not count as a
  // change, and a Fast write belongs inside a lock): a canvas they touched is not checked
  // until its mask colour is set again, which rebuilds the whole mask.
  bool stale[3] = {};
  for (int ops = 0; ops < 200 && !in.empty(); ++ops) {
    const int which = in.byte() % 3;
    Canvas& c = *canvases[which];
    Canvas& other = *canvases[in.byte() % 3];
    switch (in.byte() % 20) {
      case 0: {
        const auto v = in.values<2>();
        c.setOrigin(v[0], v[1]);
        break;
      }
      case 1: {
        const auto v = in.values<4>();
        c.setViewport(v[0], v[1], v[2], v[3]);
        break;
      }
      case 2: {
        const auto v = in.values<2>();
        c.setHandle(v[0], v[1]);
        break;
      }
      case 3: c.setColour(in.colour()); break;
      case 4:
        c.setMaskColour(in.colour());
        stale[which] = false;
        break;
      case 5:
        c.setClsColour(in.colour());
        c.cls();
        break;
      case 6: {
        const auto v = in.values<2>();
        c.plot(v[0], v[1]);
        break;
      }
      case 7: {
        const auto v = in.values<4>();
        c.line(v[0], v[1], v[2], v[3]);
        break;
      }
      case 8: {
        const auto v = in.values<4>();
        c.rect(v[0], v[1], v[2], v[3], in.byte() & 1);
        break;
      }
      case 9: {
        const auto v = in.values<4>();
        c.oval(v[0], v[1], v[2], v[3], in.byte() & 1);
        break;
      }
      case 10: {
        const auto v = in.values<6>();
        c.blit(v[0], v[1], other, v[2], v[3], v[4], v[5], in.byte() & 1);
        break;
      }
      case 11: {
        const auto v = in.values<4>();
        c.copyPixel(v[0], v[1], other, v[2], v[3]);
        stale[which] = true;
        break;
      }
      case 12: {
        const auto v = in.values<4>();
        c.copyPixelFast(v[0], v[1], other, v[2], v[3]);
        stale[which] = true;
        break;
      }
      case 13: {
        const auto v = in.values<2>();
        c.setPixel(v[0], v[1], in.colour());
        break;
      }
      case 14: {
        const auto v = in.values<2>();
        c.setPixelFast(v[0], v[1], in.colour());
        stale[which] = true;
        break;
      }
      case 15: {
        const auto v = in.values<4>();
        (void)c.getPixel(v[0], v[1]);
        (void)c.getPixelFast(v[2], v[3]);
        break;
      }
      case 16: c.lock(); break;
      case 17: c.unlock(); break;
      case 18: c.ensureMask(); break;
      default:
        // A lost surface between suspend and resume: the pixels go, the mask stays.
        c.saveContents();
        c.surface().fill(c.surface().rect(), 0x5A5A5A5A);
        c.restoreContents();
        break;
    }
    for (int k = 0; k < 3; ++k) {
      const Canvas& canvas = *canvases[k];
      const auto& v = canvas.viewport();
      if (!v.empty() && (v.x0 < 0 || v.y0 < 0 || v.x1 > canvas.width() || v.y1 > canvas.height())) {
        __builtin_trap();
      }
      if (!stale[k]) checkMask(canvas);
    }
  }
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  // Bytes each operation reads after its two canvas bytes and its own (values are one byte
  // each when small).
  constexpr int kArgBytes[20] = {2, 4, 2, 3, 3, 3, 2, 4, 5, 5, 7, 4, 4, 5, 5, 4, 0, 0, 0, 0};
  // Three canvases: 16-bit 30x20, 24-bit 40x30, 32-bit with alpha 10x10.
  const Bytes canvases = {0, 29, 19, 1, 39, 29, 3, 9, 9};
  const auto program = [&](std::initializer_list<int> ops, std::uint8_t small) {
    Bytes b = canvases;
    for (int op : ops) {
      b.insert(b.end(), {static_cast<std::uint8_t>(op % 3), static_cast<std::uint8_t>((op + 1) % 3),
                         static_cast<std::uint8_t>(op)});
      for (int i = 0; i < kArgBytes[op]; ++i) b.push_back(static_cast<std::uint8_t>(small + 7 * i));
    }
    return b;
  };
  seeds.add("every_op", program({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 82));
  seeds.add("masked_blits", program({4, 18, 3, 8, 10, 10, 11, 12, 13, 19, 10}, 85));
  seeds.add("locked_drawing", program({16, 6, 7, 9, 13, 14, 15, 17, 18}, 78));
  // Offsets and sizes at the ends of the int range (a byte of 240 or more, then four bytes).
  Bytes extreme = canvases;
  for (int op : {1, 7, 8, 10}) {
    extreme.insert(extreme.end(), {0, 1, static_cast<std::uint8_t>(op)});
    for (int i = 0; i < kArgBytes[op]; ++i) {
      if (i % 2) {
        extreme.insert(extreme.end(), {0xF0, 0x7F, 0xFF, 0xFF, 0xFF});
      } else {
        extreme.insert(extreme.end(), {0xF0, 0x80, 0x00, 0x00, 0x00});
      }
    }
  }
  seeds.add("extreme_values", extreme);
}
