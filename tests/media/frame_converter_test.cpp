// The frame converter writes a picture of any width and any source layout without touching a
// byte outside its rows (libswscale stores whole runs of pixels, so narrow and odd widths
// would spill past each row and past the picture), and the pixels it writes are right.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <cstring>
#include <memory>
#include <vector>

#include "media/movies/frame_converter.h"

namespace korvo::platform {
namespace {

constexpr std::uint8_t kGuard = 0xA5;

struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameFree>;

// A frame of one flat colour: luma y and chroma u, v in every plane of its layout.
Frame flatFrame(int width, int height, AVPixelFormat format, std::uint8_t y, std::uint8_t u, std::uint8_t v) {
  Frame f(av_frame_alloc());
  f->width = width;
  f->height = height;
  f->format = format;
  if (av_frame_get_buffer(f.get(), 0) < 0) return nullptr;
  if (format == AV_PIX_FMT_NV12) {
    for (int row = 0; row < height; ++row) std::memset(f->data[0] + row * f->linesize[0], y, width);
    for (int row = 0; row < (height + 1) / 2; ++row) {
      for (int x = 0; x < (width + 1) / 2; ++x) {
        f->data[1][row * f->linesize[1] + 2 * x] = u;
        f->data[1][row * f->linesize[1] + 2 * x + 1] = v;
      }
    }
    return f;
  }
  const int chromaRows = format == AV_PIX_FMT_YUV444P ? height : (height + 1) / 2;
  const int chromaWidth = format == AV_PIX_FMT_YUV444P ? width : (width + 1) / 2;
  for (int row = 0; row < height; ++row) std::memset(f->data[0] + row * f->linesize[0], y, width);
  for (int row = 0; row < chromaRows; ++row) {
    std::memset(f->data[1] + row * f->linesize[1], u, chromaWidth);
    std::memset(f->data[2] + row * f->linesize[2], v, chromaWidth);
  }
  return f;
}

struct Target {
  AVPixelFormat format;
  int bytesPerPixel;
};

TEST(FrameConverter, WritesOnlyInsideThePictureRowsAtEveryWidth) {
  FrameConverter converter;
  for (const Target target :
       {Target{AV_PIX_FMT_BGR0, 4}, Target{AV_PIX_FMT_RGB565LE, 2}, Target{AV_PIX_FMT_BGR24, 3}}) {
    for (const AVPixelFormat source : {AV_PIX_FMT_YUV420P, AV_PIX_FMT_NV12, AV_PIX_FMT_YUV444P}) {
      for (int width = 1; width <= 40; ++width) {
        for (const int height : {1, 2, 5}) {
          // The frame comes at its own size and at another (a stream that changed size).
          for (const int frameWidth : {width, width * 2 + 1}) {
            const Frame frame = flatFrame(frameWidth, height, source, 128, 128, 128);
            ASSERT_TRUE(frame);
            const int rowBytes = width * target.bytesPerPixel;
            // Rows as the display's surfaces keep them (16-byte steps); guard bytes after the picture.
            const int pitch = (rowBytes + 15) / 16 * 16;
            std::vector<std::uint8_t> memory(static_cast<std::size_t>(pitch) * height + 256, kGuard);
            ASSERT_TRUE(converter.convert(*frame, {memory.data(), pitch, width, height, target.format}));
            for (std::size_t at = 0; at < memory.size(); ++at) {
              const bool inside = at / pitch < static_cast<std::size_t>(height) && at % pitch < std::size_t(rowBytes);
              if (!inside) {
                ASSERT_EQ(memory[at], kGuard)
                    << av_get_pix_fmt_name(source) << " to " << av_get_pix_fmt_name(target.format) << ", " << width
                    << " x " << height << " from " << frameWidth << ": byte " << at << " written";
              }
            }
          }
        }
      }
    }
  }
}

TEST(FrameConverter, ConvertsTheColourAndClearsThePaddingByte) {
  FrameConverter converter;
  // Luma 235 with neutral chroma is white; a narrow and a whole-run width take both ways.
  for (const int width : {7, 32}) {
    const Frame frame = flatFrame(width, 4, AV_PIX_FMT_YUV420P, 235, 128, 128);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * 4, 0x12345678u);
    ASSERT_TRUE(converter.convert(
        *frame, {reinterpret_cast<std::uint8_t*>(pixels.data()), width * 4, width, 4, AV_PIX_FMT_BGR0}));
    for (const std::uint32_t p : pixels) {
      EXPECT_EQ(p >> 24, 0u);
      EXPECT_GE(p & 0xFF, 250u);
      EXPECT_GE((p >> 8) & 0xFF, 250u);
      EXPECT_GE((p >> 16) & 0xFF, 250u);
    }
  }
}

TEST(FrameConverter, RefusesWhatItCannotConvert) {
  FrameConverter converter;
  const Frame frame = flatFrame(8, 8, AV_PIX_FMT_YUV420P, 16, 128, 128);
  std::vector<std::uint8_t> memory(8 * 8 * 4);
  EXPECT_FALSE(converter.convert(*frame, {memory.data(), 32, 8, 8, AV_PIX_FMT_NONE}));
  EXPECT_FALSE(converter.convert(*frame, {nullptr, 32, 8, 8, AV_PIX_FMT_BGR0}));
  const Frame empty(av_frame_alloc());
  EXPECT_FALSE(converter.convert(*empty, {memory.data(), 32, 8, 8, AV_PIX_FMT_BGR0}));
}

}  // namespace
}  // namespace korvo::platform
