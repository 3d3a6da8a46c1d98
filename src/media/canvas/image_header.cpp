// Header readers for PNG, BMP, JPEG, TGA, GIF and PCX: signatures and dimensions only.
#include "media/canvas/image_header.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

namespace korvo::platform {
namespace {

std::uint32_t le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24); }
std::uint32_t be16(const std::uint8_t* p) { return (p[0] << 8) | p[1]; }
std::uint32_t be32(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3]; }

// Reads exactly n bytes or fails.
bool readExact(ByteSource& s, std::uint64_t offset, std::uint8_t* out, std::size_t n) {
  return s.readAt(offset, out, n) == n;
}

std::optional<ImageSize> pngSize(ByteSource& s) {
  std::uint8_t h[24];
  if (!readExact(s, 0, h, sizeof h) || std::memcmp(h + 12, "IHDR", 4) != 0) return std::nullopt;
  return ImageSize{be32(h + 16), be32(h + 20)};
}

std::optional<ImageSize> bmpSize(ByteSource& s) {
  std::uint8_t h[26];
  if (!readExact(s, 0, h, 18)) return std::nullopt;
  const std::uint32_t infoSize = le32(h + 14);
  if (infoSize == 12) {
    if (!readExact(s, 18, h + 18, 4)) return std::nullopt;
    return ImageSize{le16(h + 18), le16(h + 20)};
  }
  if (infoSize < 16 || !readExact(s, 18, h + 18, 8)) return std::nullopt;
  const auto width = static_cast<std::int32_t>(le32(h + 18));
  const auto height = static_cast<std::int32_t>(le32(h + 22));
  if (width < 0) return std::nullopt;
  return ImageSize{width, std::llabs(std::int64_t{height})};
}

// JPEG markers that carry frame dimensions: SOF0..SOF15 except DHT, JPG and DAC.
bool isStartOfFrame(std::uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }

std::optional<ImageSize> jpegSize(ByteSource& s) {
  constexpr int kMaxSegments = 4096;
  std::uint64_t pos = 2;
  for (int n = 0; n < kMaxSegments; ++n) {
    std::uint8_t m[2];
    if (!readExact(s, pos, m, 2) || m[0] != 0xFF) return std::nullopt;
    if (m[1] == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    pos += 2;
    const std::uint8_t marker = m[1];
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // no frame before the scan
    std::uint8_t seg[7];
    if (!readExact(s, pos, seg, 2)) return std::nullopt;
    const std::uint32_t length = be16(seg);
    if (length < 2) return std::nullopt;
    if (isStartOfFrame(marker)) {
      if (length < 7 || !readExact(s, pos, seg, 7)) return std::nullopt;
      return ImageSize{be16(seg + 5), be16(seg + 3)};
    }
    pos += length;
  }
  return std::nullopt;
}

std::optional<ImageSize> tgaSize(ByteSource& s) {
  std::uint8_t h[18];
  if (!readExact(s, 0, h, sizeof h)) return std::nullopt;
  static constexpr std::array<std::uint8_t, 6> kTypes = {1, 2, 3, 9, 10, 11};
  static constexpr std::array<std::uint8_t, 5> kDepths = {8, 15, 16, 24, 32};
  if (h[1] > 1) return std::nullopt;
  if (std::find(kTypes.begin(), kTypes.end(), h[2]) == kTypes.end()) return std::nullopt;
  if (std::find(kDepths.begin(), kDepths.end(), h[16]) == kDepths.end()) return std::nullopt;
  return ImageSize{le16(h + 12), le16(h + 14)};
}

std::optional<ImageSize> gifSize(ByteSource& s) {
  std::uint8_t h[13];
  if (!readExact(s, 0, h, sizeof h)) return std::nullopt;
  ImageSize size{le16(h + 6), le16(h + 8)};
  std::uint64_t pos = 13;
  if (h[10] & 0x80) pos += 3u << ((h[10] & 7) + 1);
  // Walk extension blocks up to the first image descriptor.
  constexpr int kMaxBlocks = 1 << 16;
  for (int n = 0; n < kMaxBlocks; ++n) {
    std::uint8_t b[10];
    if (!readExact(s, pos, b, 1)) return std::nullopt;
    if (b[0] == 0x2C) {
      if (!readExact(s, pos, b, 10)) return std::nullopt;
      size.width = std::max<std::int64_t>(size.width, le16(b + 1) + le16(b + 5));
      size.height = std::max<std::int64_t>(size.height, le16(b + 3) + le16(b + 7));
      return size;
    }
    if (b[0] != 0x21) return std::nullopt;
    pos += 2;  // introducer and label
    for (;;) {
      if (!readExact(s, pos, b, 1)) return std::nullopt;
      pos += 1 + b[0];
      if (b[0] == 0) break;
      if (++n >= kMaxBlocks) return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<ImageSize> pcxSize(ByteSource& s) {
  std::uint8_t h[12];
  if (!readExact(s, 0, h, sizeof h)) return std::nullopt;
  const std::uint32_t x0 = le16(h + 4);
  const std::uint32_t y0 = le16(h + 6);
  const std::uint32_t x1 = le16(h + 8);
  const std::uint32_t y1 = le16(h + 10);
  if (x1 < x0 || y1 < y0) return std::nullopt;
  return ImageSize{x1 - x0 + 1, y1 - y0 + 1};
}

struct ExtensionKind {
  const char* extension;
  ImageKind kind;
};
constexpr ExtensionKind kExtensions[] = {
    {"png", ImageKind::kPng},   {"bmp", ImageKind::kBmp},  {"dib", ImageKind::kBmp},  {"jpg", ImageKind::kJpeg},
    {"jpeg", ImageKind::kJpeg}, {"jpe", ImageKind::kJpeg}, {"jif", ImageKind::kJpeg}, {"tga", ImageKind::kTga},
    {"targa", ImageKind::kTga}, {"gif", ImageKind::kGif},  {"pcx", ImageKind::kPcx},
};

}  // namespace

ImageKind detectImageKind(ByteSource& source) {
  std::uint8_t h[8] = {};
  const std::size_t n = source.readAt(0, h, sizeof h);
  static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n >= 8 && std::memcmp(h, kPngSignature, 8) == 0) return ImageKind::kPng;
  if (n >= 6 && (std::memcmp(h, "GIF87a", 6) == 0 || std::memcmp(h, "GIF89a", 6) == 0)) {
    return ImageKind::kGif;
  }
  if (n >= 3 && h[0] == 0xFF && h[1] == 0xD8 && h[2] == 0xFF) return ImageKind::kJpeg;
  if (n >= 2 && h[0] == 'B' && h[1] == 'M') return ImageKind::kBmp;
  if (n >= 3 && h[0] == 0x0A && h[1] <= 5 && h[2] == 1) return ImageKind::kPcx;
  return ImageKind::kUnknown;
}

ImageKind imageKindFromName(std::string_view name) {
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return ImageKind::kUnknown;
  const std::string extension(name.substr(dot + 1));
  for (const ExtensionKind& e : kExtensions) {
    if (::strcasecmp(e.extension, extension.c_str()) == 0) return e.kind;
  }
  return ImageKind::kUnknown;
}

std::optional<ImageSize> readImageSize(ImageKind kind, ByteSource& source) {
  switch (kind) {
    case ImageKind::kPng: return pngSize(source);
    case ImageKind::kBmp: return bmpSize(source);
    case ImageKind::kJpeg: return jpegSize(source);
    case ImageKind::kTga: return tgaSize(source);
    case ImageKind::kGif: return gifSize(source);
    case ImageKind::kPcx: return pcxSize(source);
    case ImageKind::kUnknown: break;
  }
  return std::nullopt;
}

}  // namespace korvo::platform
