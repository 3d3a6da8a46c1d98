#include "media/movies/frame_converter.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <cstring>

namespace korvo::platform {
namespace {

// libswscale's output run, in pixels.
constexpr std::int32_t kRunPixels = 16;
// Alignment of the scratch's rows, as FFmpeg's own pictures have them.
constexpr int kScratchAlign = 64;

// The padding byte of 0-padded BGR is filled with 0xFF by libswscale's fast path; the
// display's 32-bit format keeps it 0, as every drawing command leaves it.
void clearPadding(const FramePicture& to) {
  for (std::int32_t y = 0; y < to.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(to.pixels + std::ptrdiff_t{y} * to.pitch);
    for (std::int32_t x = 0; x < to.width; ++x) row[x] &= 0x00FFFFFFu;
  }
}

}  // namespace

struct FrameConverter::Parts {
  SwsContext* scaler = nullptr;
  // The scratch picture for widths that are not whole runs: av_image_alloc's planes.
  std::uint8_t* scratch[4] = {};
  int scratchPitch[4] = {};
  std::int32_t scratchWidth = 0;
  std::int32_t scratchHeight = 0;
  AVPixelFormat scratchFormat = AV_PIX_FMT_NONE;

  ~Parts() {
    sws_freeContext(scaler);
    av_freep(&scratch[0]);
  }

  // A scratch of whole runs for a picture like to; false when memory runs out.
  bool scratchFor(const FramePicture& to) {
    if (scratch[0] && scratchWidth == to.width && scratchHeight == to.height && scratchFormat == to.format) return true;
    av_freep(&scratch[0]);
    const std::int32_t runs = (to.width + kRunPixels - 1) / kRunPixels * kRunPixels;
    // A row to spare below the picture, as FFmpeg keeps padding after its own pictures.
    if (av_image_alloc(scratch, scratchPitch, runs, to.height + 1, to.format, kScratchAlign) < 0) {
      scratch[0] = nullptr;
      return false;
    }
    scratchWidth = to.width;
    scratchHeight = to.height;
    scratchFormat = to.format;
    return true;
  }
};

FrameConverter::FrameConverter() : parts_(std::make_unique<Parts>()) {}

FrameConverter::~FrameConverter() = default;

bool FrameConverter::convert(const AVFrame& frame, const FramePicture& to) {
  Parts& p = *parts_;
  if (!frame.data[0] || !to.pixels || to.width <= 0 || to.height <= 0 || to.format == AV_PIX_FMT_NONE) return false;
  p.scaler = sws_getCachedContext(p.scaler, frame.width, frame.height, static_cast<AVPixelFormat>(frame.format),
                                  to.width, to.height, to.format, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!p.scaler) return false;
  const bool direct = to.width % kRunPixels == 0;
  if (!direct && !p.scratchFor(to)) return false;
  std::uint8_t* planes[4] = {to.pixels, nullptr, nullptr, nullptr};
  int pitches[4] = {to.pitch, 0, 0, 0};
  if (!direct) {
    planes[0] = p.scratch[0];
    pitches[0] = p.scratchPitch[0];
  }
  if (sws_scale(p.scaler, frame.data, frame.linesize, 0, frame.height, planes, pitches) <= 0) return false;
  if (!direct) {
    const auto rowBytes = static_cast<std::size_t>(av_image_get_linesize(to.format, to.width, 0));
    for (std::int32_t y = 0; y < to.height; ++y) {
      std::memcpy(to.pixels + std::ptrdiff_t{y} * to.pitch, p.scratch[0] + std::ptrdiff_t{y} * p.scratchPitch[0],
                  rowBytes);
    }
  }
  if (to.format == AV_PIX_FMT_BGR0) clearPadding(to);
  return true;
}

}  // namespace korvo::platform
