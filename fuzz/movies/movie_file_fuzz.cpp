// Movie files of any content, opened from memory through our own I/O context: the demuxers of
// the containers a movie may come in, their decoders, the timeline and the conversion into a
// display format picked by the input's length, then drawn stretched and clipped into a buffer
// at times running past the end. A movie that shows more frames than it was drawn, or draws
// after it stopped playing, stops the run.
#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" {
#include <libavutil/log.h>
}

#include "fuzz_seeds.h"
#include "media/movies/movie.h"
#include "support/movie_writer.h"

namespace {

using korvo::platform::Canvas;
using korvo::platform::Movie;
using korvo::platform::MovieDecoder;
using korvo::platform::PixelFormat;
using korvo::platform::Surface;

// Draw times (milliseconds from the open) and destination rectangles: the movie's own size,
// stretched past the buffer's corner, shrunk, and far outside.
struct Draw {
  std::uint32_t at;
  std::int32_t x, y, w, h;
};
constexpr Draw kDraws[] = {{0, 0, 0, -1, -1},       {40, 100, 80, 200, 150},    {100, -7, -3, 9, 5},
                           {1000, 0, 0, -1, -1},    {5000, 3, 2, 1, 1},         {60000, -100000, 5, 64, 48},
                           {3600000, 0, 0, -1, -1}, {3600001, 0, 0, 1000, 1000}};

// Largest frame the target draws.
constexpr std::int64_t kMaxFuzzPixels = 1024 * 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto decoder = MovieDecoder::openMemory(data, size);
  if (!decoder) return 0;
  if (decoder->width() <= 0 || decoder->height() <= 0 || decoder->width() > korvo::platform::kMaxMovieSide ||
      decoder->height() > korvo::platform::kMaxMovieSide)
    __builtin_trap();
  // Frame canvases of up to 256 MB are the decoder's to allow (the tests open the largest);
  // here they would only spend the run clearing pages.
  if (std::int64_t{decoder->width()} * decoder->height() > kMaxFuzzPixels) return 0;
  const PixelFormat formats[] = {PixelFormat::xrgb8888(), PixelFormat::rgb888(), PixelFormat::rgb565()};
  const PixelFormat& format = formats[size % 3];
  auto frameSurface = Surface::create(decoder->width(), decoder->height(), format);
  auto bufferSurface = Surface::create(160, 120, format);
  if (!frameSurface || !bufferSurface) return 0;
  Canvas frame(frameSurface);
  Canvas buffer(bufferSurface);
  Movie movie(std::move(decoder), frame, 0xFFFFF000u);
  std::int32_t draws = 0;
  for (const Draw& d : kDraws) {
    const bool wasPlaying = movie.playing();
    const bool drawn = movie.draw(buffer, d.x, d.y, d.w, d.h, 0xFFFFF000u + d.at);
    ++draws;
    if ((drawn && !wasPlaying) || drawn != movie.playing() || movie.framesShown() > draws) __builtin_trap();
  }
  return 0;
}

void korvo::fuzz::makeSeeds(Seeds& seeds) {
  av_log_set_level(AV_LOG_QUIET);
  struct Kind {
    const char* name;
    const char* container;
    const char* codec;
    bool sound;
  };
  const Kind kinds[] = {{"mpeg4.avi", "avi", "mpeg4", false},        {"mpeg4_pcm.mkv", "matroska", "mpeg4", true},
                        {"mpeg4.mp4", "mp4", "mpeg4", false},        {"mpeg1.mpg", "mpeg", "mpeg1video", true},
                        {"mpeg2.ts", "mpegts", "mpeg2video", false}, {"mpeg1.m1v", "mpeg1video", "mpeg1video", false},
                        {"mpeg4.m4v", "m4v", "mpeg4", false},        {"wmv2.asf", "asf", "wmv2", false},
                        {"flv1.flv", "flv", "flv", false},           {"theora.ogv", "ogg", "libtheora", false},
                        {"vp8.ivf", "ivf", "libvpx", false},         {"h264.264", "h264", "libx264", false},
                        {"mjpeg.avi", "avi", "mjpeg", false},        {"ffv1.mkv", "matroska", "ffv1", false},
                        {"raw.avi", "avi", "rawvideo", false}};
  for (const Kind& k : kinds) {
    korvo::testing::MovieSpec spec;
    spec.container = k.container;
    spec.codec = k.codec;
    spec.width = 32;
    spec.height = 24;
    spec.frames = 6;
    spec.fps = 5;
    spec.picture = korvo::testing::MovieSpec::Picture::kGradient;
    spec.bitRate = 100000;
    if (k.sound) {
      const bool mpeg = std::string(k.container) == "mpeg";
      spec.audioRate = mpeg ? 22050 : 8000;
      spec.audioCodec = mpeg ? "mp2" : "pcm_s16le";
    }
    const Bytes bytes = korvo::testing::writeMovie(spec);
    if (!bytes.empty()) seeds.add(k.name, bytes);
  }
}
