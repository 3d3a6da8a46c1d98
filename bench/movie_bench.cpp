// Movies: the cost per frame of decoding a 640 × 480 movie and drawing every frame into an
// 800 × 600 buffer (a Movie on the movie decoder: demuxing, decoding, conversion to the
// display's format, the copy), against FFmpeg decoding the same file alone in the same run.
// Both decode on one thread. The movies are made by FFmpeg's encoders before the runs.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "media/movies/movie.h"
#include "support/movie_writer.h"

namespace korvo::platform {
namespace {

constexpr std::int32_t kFrames = 100;
constexpr std::int32_t kFps = 25;

// The movie of codec in a scratch file, written once per process.
const std::string& movieFile(const std::string& codec, const std::string& container) {
  static std::map<std::string, std::string> files;
  std::string& path = files[codec];
  if (path.empty()) {
    testing::MovieSpec spec;
    spec.container = container;
    spec.codec = codec;
    spec.width = 640;
    spec.height = 480;
    spec.fps = kFps;
    spec.frames = kFrames;
    spec.bitRate = 2000000;
    spec.picture = testing::MovieSpec::Picture::kScene;
    path = (std::filesystem::temp_directory_path() / ("korvo_movie_bench_" + std::to_string(::getpid()) + "_" + codec))
               .string();
    testing::writeMovieFile(spec, path);
  }
  return path;
}

void reportFrames(benchmark::State& state, std::int64_t frames) {
  state.SetItemsProcessed(frames);
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// FFmpeg alone: every frame of the file demuxed and decoded, nothing more.
void DecodeOnly(benchmark::State& state, const char* codec, const char* container) {
  const std::string file = "file:" + movieFile(codec, container);
  std::int64_t frames = 0;
  for (auto _ : state) {
    AVFormatContext* demuxer = nullptr;
    if (avformat_open_input(&demuxer, file.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(demuxer, nullptr) < 0) {
      state.SkipWithError("cannot open the movie");
      return;
    }
    const AVCodec* decoderCodec = nullptr;
    const int stream = av_find_best_stream(demuxer, AVMEDIA_TYPE_VIDEO, -1, -1, &decoderCodec, 0);
    AVCodecContext* decoder = avcodec_alloc_context3(decoderCodec);
    avcodec_parameters_to_context(decoder, demuxer->streams[stream]->codecpar);
    decoder->thread_count = 1;
    avcodec_open2(decoder, decoderCodec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool draining = false;
    for (;;) {
      const int got = avcodec_receive_frame(decoder, frame);
      if (got == 0) {
        ++frames;
        continue;
      }
      if (draining) break;
      if (av_read_frame(demuxer, packet) < 0) {
        draining = true;
        avcodec_send_packet(decoder, nullptr);
        continue;
      }
      if (packet->stream_index == stream) avcodec_send_packet(decoder, packet);
      av_packet_unref(packet);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&demuxer);
  }
  reportFrames(state, frames);
}

// The movie decoder and player: every frame decoded, converted and drawn at its own time.
void DecodeAndDraw(benchmark::State& state, const char* codec, const char* container) {
  const std::string& file = movieFile(codec, container);
  Canvas buffer(Surface::create(800, 600, PixelFormat::xrgb8888()));
  std::int64_t frames = 0;
  for (auto _ : state) {
    auto decoder = MovieDecoder::openFile(file);
    if (!decoder) {
      state.SkipWithError("cannot open the movie");
      return;
    }
    Canvas frame(Surface::create(decoder->width(), decoder->height(), buffer.format()));
    Movie movie(std::move(decoder), frame, 0);
    for (std::uint32_t now = 0; movie.draw(buffer, 80, 60, -1, -1, now); now += 1000 / kFps) {}
    frames += movie.framesShown();
  }
  reportFrames(state, frames);
}

BENCHMARK_CAPTURE(DecodeOnly, mpeg4, "mpeg4", "avi")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeAndDraw, mpeg4, "mpeg4", "avi")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeOnly, h264, "libx264", "matroska")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeAndDraw, h264, "libx264", "matroska")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeOnly, mpeg2, "mpeg2video", "mpeg")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeAndDraw, mpeg2, "mpeg2video", "mpeg")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvo::platform

BENCHMARK_MAIN();
