// Canvas drawing speed, side by side with SDL2's software blitter in the same run: 32×32
// solid and colour-keyed blits onto 800×600 at 16, 24 and 32 bits, glyph-sized and one-pixel
// keyed blits, full-screen solid and keyed copies against memcpy of the same bytes, rectangle
// fills, lines, collision-mask building, and PNG loading against the decoding library alone.
#include <FreeImage.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "media/canvas/canvas.h"
#include "media/canvas/surface_loader.h"

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
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, c.width(), c.height(), depth, sdlFormatFor(depth));
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

// w × h pixels of the sprite blitted at spread positions: the sprite's size, a glyph's (8×16)
// and a single pixel (what every call costs besides its pixels).
void korvoBlit(benchmark::State& state, bool solid, int w, int h) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  Canvas screen(Surface::create(kScreenW, kScreenH, f));
  auto sprite = makeSprite(f);
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    screen.blit(p.x, p.y, *sprite, 0, 0, w, h, solid);
  }
  benchmark::DoNotOptimize(screen.surface().pixels());
  state.SetItemsProcessed(state.iterations() * w * h);
}

void sdlBlit(benchmark::State& state, bool solid, int w, int h) {
  const int depth = static_cast<int>(state.range(0));
  const PixelFormat f = formatFor(depth);
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  auto sprite = makeSprite(f);
  SDL_Surface* src = sdlCopy(*sprite, depth);
  if (!solid) SDL_SetColorKey(src, SDL_TRUE, sprite->maskColour());
  SDL_Rect from{0, 0, w, h};
  std::size_t i = 0;
  for (auto _ : state) {
    const SDL_Point& p = kPositions.points[i++ & 1023];
    SDL_Rect d{p.x, p.y, w, h};
    SDL_BlitSurface(src, &from, screen, &d);
  }
  benchmark::DoNotOptimize(screen->pixels);
  state.SetItemsProcessed(state.iterations() * w * h);
  SDL_FreeSurface(src);
  SDL_FreeSurface(screen);
}

void BM_KorvoBlitSolid(benchmark::State& s) { korvoBlit(s, true, kSprite, kSprite); }
void BM_SdlBlitSolid(benchmark::State& s) { sdlBlit(s, true, kSprite, kSprite); }
void BM_KorvoBlitKeyed(benchmark::State& s) { korvoBlit(s, false, kSprite, kSprite); }
void BM_SdlBlitKeyed(benchmark::State& s) { sdlBlit(s, false, kSprite, kSprite); }
void BM_KorvoBlitGlyph(benchmark::State& s) { korvoBlit(s, false, 8, 16); }
void BM_SdlBlitGlyph(benchmark::State& s) { sdlBlit(s, false, 8, 16); }
void BM_KorvoBlitPixel(benchmark::State& s) { korvoBlit(s, false, 1, 1); }
void BM_SdlBlitPixel(benchmark::State& s) { sdlBlit(s, false, 1, 1); }

// An 800×600 sheet of sprites on the key colour, as a level's backdrop or a sprite sheet.
std::unique_ptr<Canvas> makeSheet(const PixelFormat& f) {
  auto sheet = std::make_unique<Canvas>(Surface::create(kScreenW, kScreenH, f));
  sheet->setClsColour(kKey);
  sheet->cls();
  auto sprite = makeSprite(f);
  for (const SDL_Point& p : kPositions.points) sheet->blit(p.x, p.y, *sprite, 0, 0, kSprite, kSprite, false);
  sheet->setMaskColour(kKey);
  return sheet;
}

// The sheet blitted whole with its key, against memcpy of the same bytes (BM_MemcpyFullScreen).
void BM_KorvoFullScreenKeyed(benchmark::State& state) {
  const PixelFormat f = formatFor(static_cast<int>(state.range(0)));
  auto sheet = makeSheet(f);
  Canvas to(Surface::create(kScreenW, kScreenH, f));
  for (auto _ : state) to.blit(0, 0, *sheet, 0, 0, kScreenW, kScreenH, false);
  benchmark::DoNotOptimize(to.surface().pixels());
  state.SetBytesProcessed(state.iterations() * std::int64_t{to.surface().pitch()} * kScreenH);
}

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
  SDL_Surface* from = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
  SDL_Surface* to = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
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
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
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
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, sdlFormatFor(depth));
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
  auto sheet = makeSheet(f);
  sheet->ensureMask();
  for (auto _ : state) sheet->buildMask(sheet->rect());
  benchmark::DoNotOptimize(sheet->mask());
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

// A 640×480 PNG of the given bits per pixel (8: a palette picture, 24: RGB, 32: RGBA) of
// smooth gradients and noise, in memory and in a file.
struct PngPicture {
  std::vector<BYTE> bytes;
  std::string path;
  explicit PngPicture(int bpp) {
    FIBITMAP* dib = FreeImage_Allocate(640, 480, bpp);
    if (bpp == 8) {
      RGBQUAD* palette = FreeImage_GetPalette(dib);
      for (int i = 0; i < 256; ++i) palette[i] = {BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
    }
    std::uint32_t noise = 12345;
    for (unsigned y = 0; y < 480; ++y) {
      BYTE* line = FreeImage_GetScanLine(dib, static_cast<int>(y));
      for (unsigned x = 0; x < 640 * unsigned(bpp / 8); ++x) {
        noise = noise * 1664525u + 1013904223u;
        line[x] = static_cast<BYTE>((x + y) / 3 + (noise >> 29));
      }
    }
    FIMEMORY* memory = FreeImage_OpenMemory();
    FreeImage_SaveToMemory(FIF_PNG, dib, memory, 0);
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    bytes.assign(data, data + size);
    FreeImage_CloseMemory(memory);
    FreeImage_Unload(dib);
    path = "/tmp/korvo_bench_" + std::to_string(bpp) + ".png";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
};

void BM_KorvoLoadPng(benchmark::State& state) {
  const PngPicture png(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(loadSurface(png.path, PixelFormat::xrgb8888()));
  std::remove(png.path.c_str());
}

// The library alone: decoding from memory and converting to 32 bits.
void BM_FreeImageLoadPng(benchmark::State& state) {
  const PngPicture png(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    FIMEMORY* memory = FreeImage_OpenMemory(const_cast<BYTE*>(png.bytes.data()), static_cast<DWORD>(png.bytes.size()));
    FIBITMAP* dib = FreeImage_LoadFromMemory(FIF_PNG, memory, 0);
    if (FreeImage_GetBPP(dib) != 32) {
      FIBITMAP* converted = FreeImage_ConvertTo32Bits(dib);
      FreeImage_Unload(dib);
      dib = converted;
    }
    benchmark::DoNotOptimize(FreeImage_GetBits(dib));
    FreeImage_Unload(dib);
    FreeImage_CloseMemory(memory);
  }
  std::remove(png.path.c_str());
}

#define KORVO_DEPTHS ->Arg(16)->Arg(24)->Arg(32)
BENCHMARK(BM_KorvoBlitSolid) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitSolid) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBlitKeyed) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitKeyed) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBlitGlyph) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitGlyph) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBlitPixel) KORVO_DEPTHS;
BENCHMARK(BM_SdlBlitPixel) KORVO_DEPTHS;
BENCHMARK(BM_KorvoFullScreenKeyed) KORVO_DEPTHS;
BENCHMARK(BM_KorvoFullScreenCopy) KORVO_DEPTHS;
BENCHMARK(BM_SdlFullScreenCopy) KORVO_DEPTHS;
BENCHMARK(BM_MemcpyFullScreen) KORVO_DEPTHS;
BENCHMARK(BM_KorvoRectFill) KORVO_DEPTHS;
BENCHMARK(BM_SdlRectFill) KORVO_DEPTHS;
BENCHMARK(BM_KorvoLine) KORVO_DEPTHS;
BENCHMARK(BM_SdlLine) KORVO_DEPTHS;
BENCHMARK(BM_KorvoBuildMask) KORVO_DEPTHS;
BENCHMARK(BM_KorvoLoadPng)->Arg(8)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeImageLoadPng)->Arg(8)->Arg(24)->Arg(32)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvo::platform

BENCHMARK_MAIN();
