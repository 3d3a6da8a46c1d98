// Recognising the image formats we accept and reading their dimensions from the header alone,
// so that a picture can be judged before any decoder touches its pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korvo::platform {

// The formats accepted for image files.
enum class ImageKind { kUnknown, kPng, kBmp, kJpeg, kTga, kGif, kPcx };

// Random-access reads from an image file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes at offset into out; returns the count read.
  virtual std::size_t readAt(std::uint64_t offset, std::uint8_t* out, std::size_t n) = 0;
};

// Width and height a decoder would produce (the larger of canvas and first frame for GIF).
struct ImageSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

// The format recognised from the file's first bytes; kUnknown when none matches (TGA has no
// signature and is never recognised this way).
ImageKind detectImageKind(ByteSource& source);
// The format belonging to the extension of name (after its last '.'), ignoring case.
ImageKind imageKindFromName(std::string_view name);
// The dimensions from a header of the given kind; none when the header is missing, truncated
// or inconsistent.
std::optional<ImageSize> readImageSize(ImageKind kind, ByteSource& source);

}  // namespace korvo::platform
