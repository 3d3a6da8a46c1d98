// Image files of any content through loadSurface: format detection, the header checks, our
// BITFIELDS BMP reader and the library's decoders behind them. The input lives in a memory
// file opened by path, as a program's file would be.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "media/canvas/surface_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int fd = ::memfd_create("image", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != ssize_t(size)) return 0;
  // The first byte picks the target format, as the display's depth would.
  using korvo::platform::PixelFormat;
  const PixelFormat formats[] = {PixelFormat::xrgb8888(), PixelFormat::rgb888(),
                                 PixelFormat::rgb565()};
  const auto surface = korvo::platform::loadSurface(path, formats[size ? data[0] % 3 : 0]);
  if (surface && (surface->width() > korvo::platform::kMaxImageSide ||
                  surface->height() > korvo::platform::kMaxImageSide)) {
    __builtin_trap();
  }
  return 0;
}
