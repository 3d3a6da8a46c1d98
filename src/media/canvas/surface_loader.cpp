// loadSurface: image files through the decoding library, behind our own guards. The file is
// opened by the path rules and read only through our callbacks; its format must be one of six
// and its header must promise a picture within the size limits before the decoder sees it.
#include "media/canvas/surface_loader.h"

#include <FreeImage.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "backend/path_resolver.h"
#include "base/error_detail.h"
#include "media/canvas/bmp_bitfields.h"
#include "media/canvas/image_header.h"

namespace korvo::platform {
namespace {

// --- The file, for the header readers and for the decoder's callbacks ---
class File final : public ByteSource {
 public:
  // Opens path only if it is a regular file: a pipe or device could block or never end.
  explicit File(const std::string& path) : f_(openRegular(path)) {}
  ~File() override {
    if (f_) std::fclose(f_);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return f_ != nullptr; }
  std::FILE* stream() { return f_; }

  std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) override {
    if (offset > static_cast<std::uint64_t>(LONG_MAX) || std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) {
      return 0;
    }
    return std::fread(out, 1, n, f_);
  }

 private:
  static std::FILE* openRegular(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
      ::close(fd);
      return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f) ::close(fd);
    return f;
  }

  std::FILE* f_;
};

unsigned DLL_CALLCONV readProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  return static_cast<unsigned>(std::fread(buffer, size, count, static_cast<std::FILE*>(handle)));
}
unsigned DLL_CALLCONV writeProc(void*, unsigned, unsigned, fi_handle) { return 0; }
int DLL_CALLCONV seekProc(fi_handle handle, long offset, int origin) {
  return std::fseek(static_cast<std::FILE*>(handle), offset, origin);
}
long DLL_CALLCONV tellProc(fi_handle handle) { return std::ftell(static_cast<std::FILE*>(handle)); }

// Our formats and the library's names for them.
struct KindFormat {
  ImageKind kind;
  FREE_IMAGE_FORMAT format;
};
constexpr KindFormat kFormats[] = {
    {ImageKind::kPng, FIF_PNG},   {ImageKind::kBmp, FIF_BMP}, {ImageKind::kJpeg, FIF_JPEG},
    {ImageKind::kTga, FIF_TARGA}, {ImageKind::kGif, FIF_GIF}, {ImageKind::kPcx, FIF_PCX},
};

FREE_IMAGE_FORMAT libraryFormat(ImageKind kind) {
  for (const KindFormat& k : kFormats) {
    if (k.kind == kind) return k.format;
  }
  return FIF_UNKNOWN;
}

// Initialises the library once and switches off every decoder we do not accept.
void initialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    FreeImage_Initialise(FALSE);
    const int count = FreeImage_GetFIFCount();
    for (int i = 0; i < count; ++i) {
      const auto fif = static_cast<FREE_IMAGE_FORMAT>(i);
      bool wanted = false;
      for (const KindFormat& k : kFormats) wanted = wanted || k.format == fif;
      FreeImage_SetPluginEnabled(fif, wanted ? TRUE : FALSE);
    }
  });
}

bool withinLimits(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
  return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 <= kMaxImageBytes;
}

std::string tooLarge(std::int64_t width, std::int64_t height) {
  return "too large (" + std::to_string(width) + "x" + std::to_string(height) + "; at most " +
         std::to_string(kMaxImageSide) + " a side and " + std::to_string(kMaxImageBytes >> 20) + " MiB)";
}

// Frees a decoded picture when it goes out of scope.
struct Picture {
  FIBITMAP* dib = nullptr;
  ~Picture() {
    if (dib) FreeImage_Unload(dib);
  }
  // Replaces the picture with a converted one (the old one is freed); false when conversion
  // failed, leaving none.
  bool replace(FIBITMAP* converted) {
    FreeImage_Unload(dib);
    dib = converted;
    return dib != nullptr;
  }
};

// A picture of one byte per pixel read through a palette of 256 entries (how the library holds
// 8-bit pictures, grey ones included).
bool isPaletteBytes(FIBITMAP* dib) {
  return FreeImage_GetImageType(dib) == FIT_BITMAP && FreeImage_GetBPP(dib) == 8 && FreeImage_GetPalette(dib) &&
         FreeImage_GetColorsUsed(dib) == 256;
}

// Decodes the picture, as 32-bit bitmap or palette bytes, or none. Palette rows are expanded
// into the surface row by row: a whole 32-bit copy first would cost a pass and a picture-sized
// allocation more.
bool decode(File& file, ImageKind kind, Picture& picture) {
  FreeImageIO io{readProc, writeProc, seekProc, tellProc};
  std::rewind(file.stream());
  picture.dib = FreeImage_LoadFromHandle(libraryFormat(kind), &io, file.stream(), 0);
  if (!picture.dib || !FreeImage_HasPixels(picture.dib)) return false;
  if (FreeImage_GetImageType(picture.dib) != FIT_BITMAP &&
      !picture.replace(FreeImage_ConvertToType(picture.dib, FIT_BITMAP, TRUE))) {
    return false;
  }
  if (isPaletteBytes(picture.dib)) return true;
  if (FreeImage_GetBPP(picture.dib) != 32 && !picture.replace(FreeImage_ConvertTo32Bits(picture.dib))) {
    return false;
  }
  // Only a 32-bit bitmap may be read as one.
  return FreeImage_GetImageType(picture.dib) == FIT_BITMAP && FreeImage_GetBPP(picture.dib) == 32;
}

// Opaque 0xAARRGGBB words to a row of the surface format. A 32-bit format laid out like them
// takes each word with one mask (a loop the compiler makes vector code); others convert
// pixel by pixel.
void convertRow(std::uint8_t* out, const std::uint8_t* line, std::int32_t width, const PixelFormat& format) {
  const bool argbLayout =
      format.redMask() == 0x00FF0000u && format.greenMask() == 0x0000FF00u && format.blueMask() == 0x000000FFu;
  if (format.bytesPerPixel() == 4 && argbLayout && (format.alphaMask() == 0 || format.alphaMask() == 0xFF000000u)) {
    const std::uint32_t keep = format.alphaMask() ? 0xFFFFFFFFu : 0x00FFFFFFu;
    const std::uint32_t opaque = 0xFF000000u & keep;
    for (std::int32_t x = 0; x < width; ++x) {
      std::uint32_t argb;
      std::memcpy(&argb, line + std::size_t(x) * 4, 4);
      argb = (argb & keep) | opaque;
      std::memcpy(out + std::size_t(x) * 4, &argb, 4);
    }
    return;
  }
  const StoreFn store = format.storeFn();
  const int bytes = format.bytesPerPixel();
  for (std::int32_t x = 0; x < width; ++x) {
    std::uint32_t argb;
    std::memcpy(&argb, line + std::size_t(x) * 4, 4);
    store(out + x * bytes, argb | 0xFF000000u, format);
  }
}

}  // namespace

std::shared_ptr<Surface> loadSurface(std::string_view name, const PixelFormat& format) {
  const auto refuse = [name](std::string_view why) {
    noteFailedLoad("Image", name, why);
    return std::shared_ptr<Surface>();
  };
  const std::string path = resolvePath(name);
  File file(path);
  if (!file.isOpen()) return refuse(whyUnreadable(path));

  ImageKind kind = detectImageKind(file);
  const bool byContent = kind != ImageKind::kUnknown;
  if (!byContent) kind = imageKindFromName(name);
  constexpr char kUnrecognised[] = "not recognised (PNG, BMP, JPEG, TGA, GIF or PCX)";
  if (kind == ImageKind::kUnknown) return refuse(kUnrecognised);
  const std::optional<ImageSize> size = readImageSize(kind, file);
  if (!size) return refuse(byContent ? "its header is damaged" : kUnrecognised);
  if (!withinLimits(size->width, size->height)) return refuse(tooLarge(size->width, size->height));

  if (kind == ImageKind::kBmp && isBitfieldsBmp(file)) return loadBitfieldsBmp(file, format);

  initialiseLibrary();
  Picture picture;
  if (!decode(file, kind, picture)) return refuse("its pixels cannot be decoded");
  const auto width = static_cast<std::int64_t>(FreeImage_GetWidth(picture.dib));
  const auto height = static_cast<std::int64_t>(FreeImage_GetHeight(picture.dib));
  if (!withinLimits(width, height)) return refuse(tooLarge(width, height));

  auto surface = Surface::create(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), format);
  if (!surface) return refuse("out of memory");
  // The library's rows run bottom-up with pixels as 0xAARRGGBB words or palette bytes; ours
  // run top-down.
  const RGBQUAD* palette = isPaletteBytes(picture.dib) ? FreeImage_GetPalette(picture.dib) : nullptr;
  std::uint32_t colours[256];
  std::vector<std::uint8_t> expanded(palette ? std::size_t(surface->width()) * 4 : 0);
  if (palette) std::memcpy(colours, palette, sizeof colours);
  for (std::int32_t r = 0; r < surface->height(); ++r) {
    const BYTE* line = FreeImage_GetScanLine(picture.dib, static_cast<int>(height - 1 - r));
    if (palette) {
      for (std::int32_t x = 0; x < surface->width(); ++x) {
        std::memcpy(&expanded[std::size_t(x) * 4], &colours[line[x]], 4);
      }
      line = expanded.data();
    }
    convertRow(surface->at(0, r), line, surface->width(), format);
  }
  return surface;
}

}  // namespace korvo::platform
