// Decoded frames converted by libswscale into a picture in one of the display's formats,
// scaled when the frame's size differs from the picture's. libswscale stores its output in
// runs of 16 pixels, so a picture whose width is not a multiple of 16 would be written past
// the end of each row (and, on the last row, past the picture); such pictures are converted
// into a scratch with room for the whole runs and copied out row by row.
#pragma once

#include <cstdint>
#include <memory>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

namespace korvo::platform {

// Where a frame goes: width × height pixels of format, rows pitch bytes apart.
struct FramePicture {
  std::uint8_t* pixels = nullptr;
  std::int32_t pitch = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;
};

class FrameConverter {
 public:
  FrameConverter();
  ~FrameConverter();
  FrameConverter(const FrameConverter&) = delete;
  FrameConverter& operator=(const FrameConverter&) = delete;

  // Converts frame into to, writing nothing outside the width × bytes-per-pixel bytes of
  // its rows; false when the frame cannot be converted (to is then left as it was, or
  // partly written by a failed conversion).
  bool convert(const AVFrame& frame, const FramePicture& to);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace korvo::platform
