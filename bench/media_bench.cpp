// Images and text: DrawImage of masked 32 × 32 frames, ImagesCollide over mask words
// against a naive per-pixel test, and Text throughput.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "media/images/collisions.h"
#include "media/text/bitmap_font.h"
#include "media/text/font_finder.h"

namespace korvo::platform {
namespace {

constexpr std::uint32_t kMaskColour = 0xFF00FF;

std::unique_ptr<Canvas> canvas(std::int32_t w, std::int32_t h, const PixelFormat& f = PixelFormat::xrgb8888()) {
  return std::make_unique<Canvas>(Surface::create(w, h, f));
}

// A 32 × 32 sprite: a disc of colour on the mask colour.
std::unique_ptr<Canvas> sprite(const PixelFormat& f = PixelFormat::xrgb8888()) {
  auto s = canvas(32, 32, f);
  s->setMaskColour(kMaskColour);
  for (std::int32_t y = 0; y < 32; ++y)
    for (std::int32_t x = 0; x < 32; ++x)
      s->setPixelFast(x, y, (x - 16) * (x - 16) + (y - 16) * (y - 16) < 15 * 15 ? 0x2080C0 + x : kMaskColour);
  return s;
}

void DrawImageMasked32(benchmark::State& state, const PixelFormat& format) {
  auto target = canvas(800, 600, format);
  auto frame = sprite(format);
  std::mt19937 rng(1);
  std::uniform_int_distribution<std::int32_t> x(-16, 800), y(-16, 600);
  std::vector<std::pair<std::int32_t, std::int32_t>> spots(1024);
  for (auto& p : spots) p = {x(rng), y(rng)};
  std::size_t i = 0;
  for (auto _ : state) {
    const auto [px, py] = spots[i++ & 1023];
    target->blit(px, py, *frame, 0, 0, 32, 32, false);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(DrawImageMasked32, xrgb8888, PixelFormat::xrgb8888());
BENCHMARK_CAPTURE(DrawImageMasked32, rgb565, PixelFormat::rgb565());

// Offsets at which two sprites' boxes overlap, most of them without touching pixels.
std::vector<std::pair<std::int32_t, std::int32_t>> offsets() {
  std::mt19937 rng(2);
  std::uniform_int_distribution<std::int32_t> d(-31, 31);
  std::vector<std::pair<std::int32_t, std::int32_t>> out(1024);
  for (auto& p : out) p = {d(rng), d(rng)};
  return out;
}

void ImagesCollideMaskWords(benchmark::State& state) {
  auto a = sprite(), b = sprite();
  a->ensureMask();
  b->ensureMask();
  const auto spots = offsets();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto [dx, dy] = spots[i++ & 1023];
    benchmark::DoNotOptimize(framesCollide(*a, 100, 100, *b, 100 + dx, 100 + dy));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ImagesCollideMaskWords);

// The test a program could write itself: every pixel of the overlap, both colours read.
bool naiveCollide(const Canvas& a, std::int32_t x1, std::int32_t y1, const Canvas& b, std::int32_t x2,
                  std::int32_t y2) {
  const std::int32_t x0 = std::max(x1, x2), xe = std::min(x1 + a.width(), x2 + b.width());
  const std::int32_t y0 = std::max(y1, y2), ye = std::min(y1 + a.height(), y2 + b.height());
  const std::uint32_t ma = a.maskColourARGB() & 0xFFFFFF, mb = b.maskColourARGB() & 0xFFFFFF;
  for (std::int32_t y = y0; y < ye; ++y)
    for (std::int32_t x = x0; x < xe; ++x)
      if ((a.getPixelFast(x - x1, y - y1) & 0xFFFFFF) != ma && (b.getPixelFast(x - x2, y - y2) & 0xFFFFFF) != mb)
        return true;
  return false;
}

void ImagesCollideNaivePerPixel(benchmark::State& state) {
  auto a = sprite(), b = sprite();
  const auto spots = offsets();
  std::size_t i = 0;
  for (auto _ : state) {
    const auto [dx, dy] = spots[i++ & 1023];
    benchmark::DoNotOptimize(naiveCollide(*a, 100, 100, *b, 100 + dx, 100 + dy));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ImagesCollideNaivePerPixel);

void TextThroughput(benchmark::State& state, const char* face, std::int32_t height) {
  auto file = FontFinder::instance().find(face, false, false);
  auto raster = file ? RasterFace::open(*file, height, {}) : nullptr;
  auto font = raster ? BitmapFont::create(*raster, PixelFormat::xrgb8888(), 800) : nullptr;
  if (!font) {
    state.SkipWithError("no font");
    return;
  }
  auto target = canvas(800, 600);
  target->setFont(font.get());
  const std::string line = "The quick brown fox jumps over the lazy dog";
  std::int32_t y = 0;
  for (auto _ : state) {
    font->render(*target, 0xFFFFFF, 10, y, line);
    y = (y + height) % 580;
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(line.size()));
}
BENCHMARK_CAPTURE(TextThroughput, courier12, "courier", 12);
BENCHMARK_CAPTURE(TextThroughput, sans24, "DejaVu Sans", 24);

}  // namespace
}  // namespace korvo::platform

BENCHMARK_MAIN();
