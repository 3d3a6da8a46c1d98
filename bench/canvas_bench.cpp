// Canvas drawing speed, side by side with SDL2's software blitter in the same run: 32×32
// solid and colour-keyed blits onto 800×600 at 16, 24 and 32 bits, a full-screen solid copy
// against memcpy of the same bytes, rectangle fills, lines and collision-mask building.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "media/canvas/canvas.h"

namespace korvo::platform {
namespace {

constexpr int kScreenW = 800;
constexpr int kScreenH = 600;
constexpr int kSprite = 32;
constexpr std::uint32_t kKey = 0xFF00FF;

PixelFormat formatFor(int depth) {
  switch (depth) {
    case 16: return PixelFormat::rgb565();
    case 24: return PixelFormat::rgb888();
    default: return PixelFormat::xrgb8888();
  }
}

// SDL's name for the same memory layout.
Uint32 sdlFormatFor(int depth) {
  switch (depth) {
    case 16: return SDL_PIXELFORMAT_RGB565;
    case 24: return SDL_PIXELFORMAT_BGR24;
    default: return SDL_PIXELFORMAT_RGB888;
  }
}

// The sprite drawn on both sides: a disc over the key colour, so about 3/4 of the pixels are
// copied and the rest skipped.
std::unique_ptr<Canvas> makeSprite(const PixelFormat& f) {
  auto c = std::make_unique<Canvas>(Surface::create(kSprite, kSprite, f));
  c->setClsColour(kKey);
  c->cls();
  c->setColour(0x30A060);
  c->oval(0, 0, kSprite, kSprite, true);
  c->setColour(0xF0E020);
  c->line(0, 0, kSprite - 1, kSprite - 1);
  c->setMaskColour(kKey);
  return c;
}

// An SDL surface holding a copy of the canvas's pixels.
SDL_Surface* sdlCopy(const Canvas& c, int depth) {
  SDL_Surface* s =
      SDL_CreateRGBSurfaceWithFormat(0, c.width(), c.height(), depth, sdlFormatFor(depth));
  for (int y = 0; y < c.height(); ++y) {
    std::memcpy(static_cast<std::uint8_t*>(s->pixels) + y * s->pitch, c.surface().at(0, y),
                std::size_t(c.width()) * c.format().bytesPerPixel());
  }
  return s;
}

// Blit positions spread over the screen, the same for both sides.
struct Positions {
  std::vector<SDL_Point> points;
  Positions() {
    for (int i = 0; i < 1024; ++i) {
      points.push_back({(i * 389) % (kScreenW - kSprite), (i * 241) % (kScreenH - kSprite)});
    }
  }
};
const Positions kPositions;

void korvoBlit(benchmark::State& state, bool solid) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas screen(Surface::create(kScreenW, kScreenH, f));
  auto sprite = makeSprite(f);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    screen.blit(p.x, p.y, *sprite, 0, 0, kSprite, kSprite, solid);
  }
  benchmark::DoNotOptimize(screen.surface().pixels());
  state.SetItemsProcessed(state.iterations() * kSprite * kSprite);
}

void sdlBlit(benchmark::State& state, bool solid) {
  const int depth = static_cast<int>(state.range(0));
  const PixelFormat f = formatFor(depth);
  SDL_Surface* screen =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  auto sprite = makeSprite(f);
  SDL_Surface* src = sdlCopy(*sprite, depth);
  if (!solid) SDL_SetColorKey(src, SDL_TRUE, sprite->maskColour());
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    SDL_Rect d{p.x, p.y, kSprite, kSprite};
    SDL_BlitSurface(src, nullptr, screen, &d);
  }
  benchmark::DoNotOptimize(screen->pixels);
  state.SetItemsProcessed(state.iterations() * kSprite * kSprite);
  SDL_FreeSurface(src);
  SDL_FreeSurface(screen);
}

void BM_KorvoBlitSolid(benchmark::State& s) { korvoBlit(s, true); }
void BM_SdlBlitSolid(benchmark::State& s) { sdlBlit(s, true); }
void BM_KorvoBlitKeyed(benchmark::State& s) { korvoBlit(s, false); }
void BM_SdlBlitKeyed(benchmark::State& s) { sdlBlit(s, false); }

void BM_KorvoFullScreenCopy(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas from(Surface::create(kScreenW, kScreenH, f));
  Canvas to(Surface::create(kScreenW, kScreenH, f));
  for (auto _ : state) to.blit(0, 0, from, 0, 0, kScreenW, kScreenH, true);
  benchmark::DoNotOptimize(to.surface().pixels());
  state.SetBytesProcessed(state.iterations() * std::int64_t{to.surface().pitch()} * kScreenH);
}

void BM_SdlFullScreenCopy(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  SDL_Surface* from =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  SDL_Surface* to =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  for (auto _ : state) SDL_BlitSurface(from, nullptr, to, nullptr);
  benchmark::DoNotOptimize(to->pixels);
  state.SetBytesProcessed(state.iterations() * std::int64_t{to->pitch} * kScreenH);
  SDL_FreeSurface(from);
  SDL_FreeSurface(to);
}

void BM_MemcpyFullScreen(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  auto from = Surface::create(kScreenW, kScreenH, f);
  auto to = Surface::create(kScreenW, kScreenH, f);
  const std::size_t bytes = std::size_t(to->pitch()) * kScreenH;
  for (auto _ : state) {
    std::memcpy(to->pixels(), from->pixels(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * std::int64_t(bytes));
}

void BM_KorvoRectFill(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas screen(Surface::create(kScreenW, kScreenH, f));
  screen.setColour(0x336699);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    screen.rect(p.x / 2, p.y / 2, 100, 100, true);
  }
  benchmark::DoNotOptimize(screen.surface().pixels());
  state.SetItemsProcessed(state.iterations() * 100 * 100);
}

void BM_SdlRectFill(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  SDL_Surface* screen =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  const Uint32 colour = SDL_MapRGB(screen->format, 0x33, 0x66, 0x99);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    SDL_Rect r{p.x / 2, p.y / 2, 100, 100};
    SDL_FillRect(screen, &r, colour);
  }
  benchmark::DoNotOptimize(screen->pixels);
  state.SetItemsProcessed(state.iterations() * 100 * 100);
  SDL_FreeSurface(screen);
}

void BM_KorvoLine(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas screen(Surface::create(kScreenW, kScreenH, f));
  screen.setColour(0xFFFFFF);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& a = kPositions.points[i++ & 1023];
    const SDL_Point& b = kPositions.points[(i * 7) & 1023];
    screen.line(a.x, a.y, b.x, b.y);
  }
  benchmark::DoNotOptimize(screen.surface().pixels());
}

void BM_SdlLine(benchmark::State& state) {
  const int depth = static_cast<int>(state.range(0));
  SDL_Surface* screen =
      SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(screen);
  SDL_SetRenderDrawColor(r, 255, 255, 255, 255);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& a = kPositions.points[i++ & 1023];
    const SDL_Point& b = kPositions.points[(i * 7) & 1023];
    SDL_RenderDrawLine(r, a.x, a.y, b.x, b.y);
  }
  benchmark::DoNotOptimize(screen->pixels);
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(screen);
}

// Rebuilding the collision mask of a sprite sheet of 800×600.
void BM_KorvoBuildMask(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas sheet(Surface::create(kScreenW, kScreenH, f));
  auto sprite = makeSprite(f);
  for (const SDL_Point& p : kPositions.points) sheet.blit(p.x, p.y, *sprite, 0, 0, 32, 32, true);
  sheet.setMaskColour(kKey);
  sheet.ensureMask();
  for (auto _ : state) sheet.buildMask(sheet.rect());
  benchmark::DoNotOptimize(sheet.mask());
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

#define KORVO_DEPTHS ->Arg(16)->Arg(24)->Arg(32)
BENCHMARK(BM_KorvoBlitSolid) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitSolid) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBlitKeyed) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitKeyed) KORVO_DEPTHS;
BENCHMARK(BM_KorvoFullScreenCopy) KORVO_DEPTHS;
BENCHMARK(BM_SdlFullScreenCopy) KORVO_DEPTHS;
BENCHMARK(BM_MemcpyFullScreen) KORVO_DEPTHS;
BENCHMARK(BM_KorvoRectFill) KORVO_DEPTHS;
BENCHMARK(BM_SdlRectFill) KORVO_DEPTHS;
BENCHMARK(BM_KorvoLine) KORVO_DEPTHS;
BENCHMARK(BM_SdlLine) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBuildMask) KORVO_DEPTHS;

}  // namespace
}  // namespace korvo::platform

BENCHMARK_MAIN();
