// Image files of any content through loadSurface: format detection, the header checks, our
// BITFIELDS BMP reader and the library's decoders behind them. The input lives in a memory
// file opened by path, as a program's file would be.
#include <FreeImage.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_seeds.h"
#include "media/canvas/surface_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int kFile = ::memfd_create("image", 0);
  static const std::string kPath = "/proc/self/fd/" + std::to_string(kFile);
  if (kFile < 0 || ::ftruncate(kFile, 0) != 0 || ::pwrite(kFile, data, size, 0) != ssize_t(size)) return 0;
  // The first byte picks the target format, as the display's depth would.
  using korvo::platform::PixelFormat;
  const PixelFormat formats[] = {PixelFormat::xrgb8888(), PixelFormat::rgb888(), PixelFormat::rgb565()};
  const auto surface = korvo::platform::loadSurface(kPath, formats[size ? data[0] % 3 : 0]);
  if (surface &&
      (surface->width() > korvo::platform::kMaxImageSide || surface->height() > korvo::platform::kMaxImageSide)) {
    __builtin_trap();
  }
  return 0;
}

namespace {

using korvo::fuzz::Bytes;

// A small picture of gradients and one transparent corner, in format at depth bits.
Bytes encoded(FREE_IMAGE_FORMAT format, int bits, int flags = 0) {
  FIBITMAP* rgba = FreeImage_Allocate(5, 4, 32);
  for (unsigned y = 0; y < 4; ++y) {
    auto* row = reinterpret_cast<RGBQUAD*>(FreeImage_GetScanLine(rgba, static_cast<int>(y)));
    for (unsigned x = 0; x < 5; ++x) {
      row[x] = {static_cast<BYTE>(x * 60), static_cast<BYTE>(y * 80), static_cast<BYTE>(200 - x * 40),
                static_cast<BYTE>(x == 0 && y == 0 ? 0 : 255)};
    }
  }
  FIBITMAP* rgb = bits == 32 ? rgba : FreeImage_ConvertTo24Bits(rgba);
  FIBITMAP* dib = bits == 8 ? FreeImage_ColorQuantize(rgb, FIQ_WUQUANT) : rgb;
  FIMEMORY* memory = FreeImage_OpenMemory();
  Bytes bytes;
  if (FreeImage_SaveToMemory(format, dib, memory, flags)) {
    BYTE* data = nullptr;
    DWORD size = 0;
    FreeImage_AcquireMemory(memory, &data, &size);
    bytes.assign(data, data + size);
  }
  FreeImage_CloseMemory(memory);
  if (dib != rgb) FreeImage_Unload(dib);
  if (rgb != rgba) FreeImage_Unload(rgb);
  FreeImage_Unload(rgba);
  return bytes;
}

void putLe(Bytes& b, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 3x2 16-bit BMP with 5-6-5 masks after the header (our own reader's kind).
Bytes bitfieldsBmp() {
  Bytes b = {'B', 'M'};
  putLe(b, 54 + 12 + 16, 4);
  putLe(b, 0, 4);
  putLe(b, 54 + 12, 4);
  for (std::uint32_t v : {40u, 3u, 2u}) putLe(b, v, 4);
  putLe(b, 1, 2);
  putLe(b, 16, 2);
  putLe(b, 3, 4);
  putLe(b, 16, 4);
  for (int i = 0; i < 4; ++i) putLe(b, 0, 4);
  for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) putLe(b, mask, 4);
  for (std::uint32_t pixel : {0xF800u, 0x07E0u, 0x001Fu, 0u, 0xFFFFu, 0x8410u, 0x1234u, 0u}) putLe(b, pixel, 2);
  return b;
}

}  // namespace

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  FreeImage_Initialise(FALSE);
  seeds.add("palette8.bmp", encoded(FIF_BMP, 8));
  seeds.add("rgb24.bmp", encoded(FIF_BMP, 24));
  seeds.add("bitfields16.bmp", bitfieldsBmp());
  seeds.add("rgba.png", encoded(FIF_PNG, 32));
  seeds.add("rgb.jpg", encoded(FIF_JPEG, 24, JPEG_QUALITYNORMAL));
  seeds.add("rgba.tga", encoded(FIF_TARGA, 32));
  seeds.add("palette.gif", encoded(FIF_GIF, 8));
}
