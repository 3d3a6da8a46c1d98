// Encodes into a growing byte vector through a seekable I/O context, so that muxers which go
// back to patch their headers (AVI, MP4, Matroska) write complete files.
#include "support/movie_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

namespace korvo::testing {
namespace {

struct Output {
  std::vector<std::uint8_t> bytes;
  std::int64_t position = 0;

  static int write(void* opaque, std::uint8_t* data, int size) {
    auto* o = static_cast<Output*>(opaque);
    const auto end = static_cast<std::size_t>(o->position) + static_cast<std::size_t>(size);
    if (o->bytes.size() < end) o->bytes.resize(end);
    std::memcpy(o->bytes.data() + o->position, data, static_cast<std::size_t>(size));
    o->position += size;
    return size;
  }
  static std::int64_t seek(void* opaque, std::int64_t offset, int whence) {
    auto* o = static_cast<Output*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE: return static_cast<std::int64_t>(o->bytes.size());
      case SEEK_SET: o->position = offset; break;
      case SEEK_CUR: o->position += offset; break;
      case SEEK_END: o->position = static_cast<std::int64_t>(o->bytes.size()) + offset; break;
      default: return -1;
    }
    return o->position;
  }
};

std::uint8_t clampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// A hash of a lattice point: 0..255.
int lattice(int x, int y) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<int>((h ^ (h >> 16)) & 255);
}

// Smooth noise over cells of side cell, with fine grain on top: a scene with detail at every scale.
int scene(int x, int y, int cell) {
  const int cx = x / cell, cy = y / cell, fx = x % cell, fy = y % cell;
  const int top = lattice(cx, cy) * (cell - fx) + lattice(cx + 1, cy) * fx;
  const int bottom = lattice(cx, cy + 1) * (cell - fx) + lattice(cx + 1, cy + 1) * fx;
  return (top * (cell - fy) + bottom * fy) / (cell * cell) + lattice(x, y) % 24 - 12;
}

// Fills a 4:2:0 picture (studio range): one colour, a moving gradient, or a panning scene.
void paint(AVFrame& frame, const MovieSpec& spec, std::int32_t n) {
  using Picture = MovieSpec::Picture;
  const std::uint32_t rgb = spec.colour(n);
  const int r = (rgb >> 16) & 255, g = (rgb >> 8) & 255, b = rgb & 255;
  const std::uint8_t y = clampByte(16 + (66 * r + 129 * g + 25 * b + 128) / 256);
  const std::uint8_t u = clampByte(128 + (-38 * r - 74 * g + 112 * b + 128) / 256);
  const std::uint8_t v = clampByte(128 + (112 * r - 94 * g - 18 * b + 128) / 256);
  const int panX = 2 * n, panY = n;
  for (int row = 0; row < frame.height; ++row) {
    std::uint8_t* line = frame.data[0] + static_cast<std::ptrdiff_t>(row) * frame.linesize[0];
    for (int x = 0; x < frame.width; ++x) {
      switch (spec.picture) {
        case Picture::kSolid: line[x] = y; break;
        case Picture::kGradient: line[x] = clampByte(16 + (x + row + n * 3) % 220); break;
        case Picture::kScene: line[x] = clampByte(16 + scene(x + panX, row + panY, 16) * 219 / 255); break;
      }
    }
  }
  for (int row = 0; row < (frame.height + 1) / 2; ++row) {
    std::uint8_t* us = frame.data[1] + static_cast<std::ptrdiff_t>(row) * frame.linesize[1];
    std::uint8_t* vs = frame.data[2] + static_cast<std::ptrdiff_t>(row) * frame.linesize[2];
    for (int x = 0; x < (frame.width + 1) / 2; ++x) {
      const bool textured = spec.picture == Picture::kScene;
      us[x] = textured ? clampByte(64 + scene(x + panX / 2, row + panY / 2, 32) / 2) : u;
      vs[x] = textured ? clampByte(64 + scene(x + panX / 2 + 999, row + panY / 2, 32) / 2) : v;
    }
  }
}

// One encoder and its stream in the muxer.
struct Track {
  AVCodecContext* encoder = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  std::int64_t next = 0;  // pts of the next frame, in the encoder's time base

  ~Track() {
    av_frame_free(&frame);
    avcodec_free_context(&encoder);
  }
  bool start(AVFormatContext* muxer, const char* codecName) {
    const AVCodec* codec = avcodec_find_encoder_by_name(codecName);
    if (!codec) return false;
    encoder = avcodec_alloc_context3(codec);
    stream = avformat_new_stream(muxer, nullptr);
    frame = av_frame_alloc();
    if (!encoder || !stream || !frame) return false;
    encoder->thread_count = 1;
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return true;
  }
  bool open() {
    if (avcodec_open2(encoder, encoder->codec, nullptr) < 0) return false;
    stream->time_base = encoder->time_base;
    return avcodec_parameters_from_context(stream->codecpar, encoder) >= 0;
  }
  double nextSeconds() const { return static_cast<double>(next) * av_q2d(encoder->time_base); }
};

struct Writer {
  Output out;
  AVFormatContext* muxer = nullptr;
  AVIOContext* io = nullptr;
  AVPacket* packet = nullptr;
  std::unique_ptr<Track> video;
  std::unique_ptr<Track> audio;

  ~Writer() {
    av_packet_free(&packet);
    video.reset();
    audio.reset();
    avformat_free_context(muxer);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }

  bool openVideo(const MovieSpec& spec) {
    video = std::make_unique<Track>();
    if (!video->start(muxer, spec.codec.c_str())) return false;
    AVCodecContext* e = video->encoder;
    e->width = spec.width;
    e->height = spec.height;
    e->pix_fmt = AV_PIX_FMT_YUV420P;
    e->time_base = AVRational{1, spec.fps};
    e->framerate = AVRational{spec.fps, 1};
    e->bit_rate = spec.bitRate;
    e->gop_size = spec.fps;
    // Motion JPEG takes studio-range pictures only when told that it may.
    e->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    if (!video->open()) return false;
    video->stream->avg_frame_rate = e->framerate;
    video->frame->format = AV_PIX_FMT_YUV420P;
    video->frame->width = spec.width;
    video->frame->height = spec.height;
    return av_frame_get_buffer(video->frame, 0) >= 0;
  }

  bool openAudio(const MovieSpec& spec) {
    audio = std::make_unique<Track>();
    if (!audio->start(muxer, spec.audioCodec.c_str())) return false;
    AVCodecContext* e = audio->encoder;
    e->sample_fmt = AV_SAMPLE_FMT_S16;
    e->sample_rate = spec.audioRate;
    e->time_base = AVRational{1, spec.audioRate};
    e->bit_rate = 128000;
    av_channel_layout_default(&e->ch_layout, 2);
    if (!audio->open()) return false;
    AVFrame* f = audio->frame;
    f->format = AV_SAMPLE_FMT_S16;
    f->nb_samples = e->frame_size > 0 ? e->frame_size : 1024;
    f->sample_rate = spec.audioRate;
    return av_channel_layout_copy(&f->ch_layout, &e->ch_layout) >= 0 && av_frame_get_buffer(f, 0) >= 0;
  }

  bool open(const MovieSpec& spec) {
    if (avformat_alloc_output_context2(&muxer, nullptr, spec.container.c_str(), nullptr) < 0) return false;
    constexpr int kBuffer = 4096;
    io = avio_alloc_context(static_cast<std::uint8_t*>(av_malloc(kBuffer)), kBuffer, 1, &out, nullptr, &Output::write,
                            &Output::seek);
    packet = av_packet_alloc();
    if (!io || !packet) return false;
    muxer->pb = io;
    if (spec.video && !openVideo(spec)) return false;
    if (spec.audioRate > 0 && !openAudio(spec)) return false;
    return avformat_write_header(muxer, nullptr) >= 0;
  }

  // Sends a frame (null to flush) and writes what the encoder gives back.
  bool encode(Track& track, AVFrame* frame) {
    if (avcodec_send_frame(track.encoder, frame) < 0) return false;
    for (;;) {
      const int got = avcodec_receive_packet(track.encoder, packet);
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
      if (got < 0) return false;
      av_packet_rescale_ts(packet, track.encoder->time_base, track.stream->time_base);
      packet->stream_index = track.stream->index;
      if (av_interleaved_write_frame(muxer, packet) < 0) return false;
    }
  }

  bool writePicture(const MovieSpec& spec) {
    AVFrame* f = video->frame;
    if (av_frame_make_writable(f) < 0) return false;
    const auto n = static_cast<std::int32_t>(video->next);
    paint(*f, spec, n);
    f->pts = video->next++;
    return encode(*video, f);
  }

  bool writeSound(const MovieSpec& spec) {
    AVFrame* f = audio->frame;
    if (av_frame_make_writable(f) < 0) return false;
    auto* samples = reinterpret_cast<std::int16_t*>(f->data[0]);
    // The frequency rises by 3 × toneHz over the movie's length.
    const double rise = 3.0 * spec.toneHz * spec.fps / spec.frames;
    for (int i = 0; i < f->nb_samples; ++i) {
      const double t = static_cast<double>(audio->next + i) / spec.audioRate;
      const double v = std::sin(2 * M_PI * (spec.toneHz * t + rise * t * t / 2));
      samples[2 * i] = static_cast<std::int16_t>(12000 * v);
      samples[2 * i + 1] = static_cast<std::int16_t>(6000 * v);
    }
    f->pts = audio->next;
    audio->next += f->nb_samples;
    return encode(*audio, f);
  }

  bool write(const MovieSpec& spec) {
    const double length = static_cast<double>(spec.frames) / spec.fps;
    for (;;) {
      const bool pictureDue = video && video->next < spec.frames;
      const bool soundDue = audio && audio->nextSeconds() < length;
      if (!pictureDue && !soundDue) break;
      // The track that is behind goes next, so the muxer gets them interleaved.
      const bool picture = pictureDue && (!soundDue || video->nextSeconds() <= audio->nextSeconds());
      if (picture ? !writePicture(spec) : !writeSound(spec)) return false;
    }
    for (Track* t : {video.get(), audio.get()})
      if (t && !encode(*t, nullptr)) return false;
    return av_write_trailer(muxer) >= 0;
  }
};

}  // namespace

std::vector<std::uint8_t> writeMovie(const MovieSpec& spec) {
  Writer writer;
  if (!writer.open(spec) || !writer.write(spec)) return {};
  return std::move(writer.out.bytes);
}

bool writeMovieFile(const MovieSpec& spec, const std::string& path) {
  const std::vector<std::uint8_t> bytes = writeMovie(spec);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return !bytes.empty() && file.good();
}

std::uint32_t colourOfSecond(std::int32_t second) {
  constexpr std::uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00};
  return kColours[static_cast<std::size_t>(second) % std::size(kColours)];
}

}  // namespace korvo::testing
