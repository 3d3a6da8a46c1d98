// The demuxer gives the video stream's packets to its decoder (one thread, the caller's);
// a frame waits in its slot until the player takes it, and only the frames it shows are
// converted.
#include "media/movies/movie_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cstring>
#include <mutex>

#include "media/movies/frame_converter.h"

namespace korvo::platform {
namespace {

// Containers a movie comes in (the demuxers' names); others are refused.
constexpr const char* kContainers = "mpeg,mpegts,mpegvideo,m4v,avi,asf,mov,matroska,ogg,flv,h264,hevc,ivf,dv";
// Frame interval when the stream names no rate, and its bounds.
constexpr std::int64_t kDefaultIntervalMs = 40;
constexpr std::int64_t kMinIntervalMs = 1;
constexpr std::int64_t kMaxIntervalMs = 1000;
// Bytes the memory input hands the demuxer at a time.
constexpr int kIoBufferBytes = 32768;
// Reads that may ask to be retried in a row before the input counts as ended.
constexpr int kMaxRetries = 64;

struct Closer {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
  void operator()(AVPacket* p) const { av_packet_free(&p); }
  void operator()(AVFrame* f) const { av_frame_free(&f); }
  void operator()(AVIOContext* io) const {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
};
template <typename T>
using Owned = std::unique_ptr<T, Closer>;

AVPixelFormat pixelFormatOf(const PixelFormat& format) {
  if (format == PixelFormat::xrgb8888()) return AV_PIX_FMT_BGR0;
  if (format == PixelFormat::rgb888()) return AV_PIX_FMT_BGR24;
  if (format == PixelFormat::rgb565()) return AV_PIX_FMT_RGB565LE;
  return AV_PIX_FMT_NONE;
}

// The stream's nominal frame interval in milliseconds.
std::int64_t intervalOf(const AVStream& stream) {
  for (AVRational rate : {stream.avg_frame_rate, stream.r_frame_rate}) {
    if (rate.num > 0 && rate.den > 0)
      return std::clamp<std::int64_t>(av_rescale(1000, rate.den, rate.num), kMinIntervalMs, kMaxIntervalMs);
  }
  return kDefaultIntervalMs;
}

}  // namespace

struct MovieDecoder::Parts {
  // Memory input: the bytes and the read position (the I/O context is declared before the
  // demuxer, which reads through it until it is closed).
  const std::uint8_t* data = nullptr;
  std::int64_t size = 0;
  std::int64_t position = 0;
  Owned<AVIOContext> io;
  Owned<AVFormatContext> demuxer;
  Owned<AVCodecContext> decoder;
  Owned<AVPacket> packet;
  Owned<AVFrame> next;
  Owned<AVFrame> current;
  FrameConverter converter;
  int stream = -1;

  static int read(void* opaque, std::uint8_t* buffer, int bytes) {
    auto* p = static_cast<Parts*>(opaque);
    const std::int64_t n = std::min<std::int64_t>(bytes, p->size - p->position);
    if (n <= 0) return AVERROR_EOF;
    std::memcpy(buffer, p->data + p->position, static_cast<std::size_t>(n));
    p->position += n;
    return static_cast<int>(n);
  }

  static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
    auto* p = static_cast<Parts*>(opaque);
    std::int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE: return p->size;
      case SEEK_SET: break;
      case SEEK_CUR: base = p->position; break;
      case SEEK_END: base = p->size; break;
      default: return AVERROR(EINVAL);
    }
    if (offset < -base || offset > p->size - base) return AVERROR(EINVAL);
    p->position = base + offset;
    return p->position;
  }
};

MovieDecoder::MovieDecoder(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

MovieDecoder::~MovieDecoder() = default;

bool MovieDecoder::converts(const PixelFormat& format) { return pixelFormatOf(format) != AV_PIX_FMT_NONE; }

std::unique_ptr<MovieDecoder> MovieDecoder::openFile(const std::string& path) {
  std::unique_ptr<MovieDecoder> decoder(new MovieDecoder(std::make_unique<Parts>()));
  // The scheme keeps a colon in the path from being taken for another protocol.
  if (!decoder->start("file:" + path)) return nullptr;
  return decoder;
}

std::unique_ptr<MovieDecoder> MovieDecoder::openMemory(const std::uint8_t* data, std::size_t size) {
  auto parts = std::make_unique<Parts>();
  parts->data = data;
  parts->size = static_cast<std::int64_t>(size);
  auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
  if (!buffer) return nullptr;
  parts->io.reset(avio_alloc_context(buffer, kIoBufferBytes, 0, parts.get(), &Parts::read, nullptr, &Parts::seek));
  if (!parts->io) {
    av_free(buffer);
    return nullptr;
  }
  std::unique_ptr<MovieDecoder> decoder(new MovieDecoder(std::move(parts)));
  if (!decoder->start("")) return nullptr;
  return decoder;
}

bool MovieDecoder::start(const std::string& url) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  Parts& p = *parts_;
  AVFormatContext* context = avformat_alloc_context();
  if (!context) return false;
  context->pb = p.io.get();
  context->flags |= AVFMT_FLAG_DISCARD_CORRUPT;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", kContainers, 0);
  const int opened = avformat_open_input(&context, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (opened < 0) return false;  // the context is freed by the failed open
  p.demuxer.reset(context);
  if (avformat_find_stream_info(context, nullptr) < 0) return false;

  for (unsigned i = 0; i < context->nb_streams; ++i) {
    const AVStream* s = context->streams[i];
    const bool picture = (s->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
    if (p.stream < 0 && s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !picture) p.stream = static_cast<int>(i);
    else context->streams[i]->discard = AVDISCARD_ALL;
  }
  if (p.stream < 0) return false;
  const AVStream& stream = *context->streams[p.stream];
  width_ = stream.codecpar->width;
  height_ = stream.codecpar->height;
  if (width_ <= 0 || height_ <= 0 || width_ > kMaxMovieSide || height_ > kMaxMovieSide) return false;

  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (!codec) return false;
  p.decoder.reset(avcodec_alloc_context3(codec));
  p.packet.reset(av_packet_alloc());
  p.next.reset(av_frame_alloc());
  p.current.reset(av_frame_alloc());
  if (!p.decoder || !p.packet || !p.next || !p.current) return false;
  if (avcodec_parameters_to_context(p.decoder.get(), stream.codecpar) < 0) return false;
  // Decoding stays on the program's thread, so the same frames come on every run.
  p.decoder->thread_count = 1;
  p.decoder->max_pixels = std::int64_t{kMaxMovieSide} * kMaxMovieSide;
  if (avcodec_open2(p.decoder.get(), codec, nullptr) < 0) return false;
  timeline_.emplace(stream.time_base.num, stream.time_base.den, intervalOf(stream));
  return true;
}

bool MovieDecoder::fetchNext() {
  if (!waiting_ && !ended_) {
    waiting_ = decodeFrame();
    ended_ = !waiting_;
  }
  return waiting_;
}

void MovieDecoder::takeNext() {
  if (!waiting_) return;
  Parts& p = *parts_;
  av_frame_unref(p.current.get());
  av_frame_move_ref(p.current.get(), p.next.get());
  currentEnd_ = nextTime_ + timeline_->interval();
  waiting_ = false;
}

bool MovieDecoder::decodeFrame() {
  Parts& p = *parts_;
  int retries = 0;
  for (;;) {
    const int received = avcodec_receive_frame(p.decoder.get(), p.next.get());
    if (received == 0) {
      if (p.next->width > 0 && p.next->height > 0) {
        const std::int64_t stamp = p.next->best_effort_timestamp;
        nextTime_ = timeline_->place(stamp == AV_NOPTS_VALUE ? std::nullopt : std::optional(stamp));
        return true;
      }
      av_frame_unref(p.next.get());
      continue;
    }
    if (draining_) return false;
    const int read = av_read_frame(p.demuxer.get(), p.packet.get());
    if (read == AVERROR(EAGAIN) && ++retries < kMaxRetries) continue;
    if (read < 0) {
      // Past the last packet (or unreadable input): the decoder gives what it still holds.
      draining_ = true;
      avcodec_send_packet(p.decoder.get(), nullptr);
      continue;
    }
    retries = 0;
    // A packet the decoder refuses is skipped; the next one goes on from there.
    if (p.packet->stream_index == p.stream) avcodec_send_packet(p.decoder.get(), p.packet.get());
    av_packet_unref(p.packet.get());
  }
}

bool MovieDecoder::convertCurrent(Surface& surface) {
  const AVFrame& frame = *parts_->current;
  return parts_->converter.convert(
      frame, {surface.pixels(), surface.pitch(), surface.width(), surface.height(), pixelFormatOf(surface.format())});
}

}  // namespace korvo::platform
