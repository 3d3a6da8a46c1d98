// FFmpeg with the "file" protocol alone: the demuxer's packets of the best audio stream go to
// its decoder, and each decoded frame is converted (channels, sample format) into the decode
// buffer, from which reads take what they ask for. Positions are decoded bytes, reached by a
// seek to the time they stand for.
#include "sound/streams/media_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <vector>

#include "backend/path_resolver.h"

namespace korvo::sound::streams {
namespace {

constexpr const char* kFileScheme = "file://";

struct Closer {
  void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
  void operator()(SwrContext* c) const { swr_free(&c); }
  void operator()(AVPacket* p) const { av_packet_free(&p); }
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
template <typename T>
using Owned = std::unique_ptr<T, Closer>;

class MediaDecoder final : public formats::SoundDecoder {
 public:
  // kNone, or why the file cannot be played.
  EngineError open(const std::string& path) {
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* context = nullptr;
    // The scheme keeps a colon in the path from being taken for another protocol.
    const int opened = avformat_open_input(&context, ("file:" + path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return EngineError::kUnrecognised;
    demuxer_.reset(context);
    const AVCodec* codec = nullptr;
    if (avformat_find_stream_info(context, nullptr) < 0 ||
        (index_ = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)) < 0)
      return EngineError::kUnrecognised;
    const AVStream* stream = context->streams[index_];
    decoder_.reset(avcodec_alloc_context3(codec));
    packet_.reset(av_packet_alloc());
    frame_.reset(av_frame_alloc());
    if (!decoder_ || !packet_ || !frame_) return EngineError::kOutOfMemory;
    if (avcodec_parameters_to_context(decoder_.get(), stream->codecpar) < 0 ||
        avcodec_open2(decoder_.get(), codec, nullptr) < 0 || decoder_->sample_rate < 1 ||
        decoder_->sample_rate > 1000000 || decoder_->ch_layout.nb_channels < 1)
      return EngineError::kUnrecognised;
    format_.rate = decoder_->sample_rate;
    format_.channels = std::min(2, decoder_->ch_layout.nb_channels);
    format_.bits = 16;
    if (!startConverter()) return EngineError::kUnrecognised;
    const std::int64_t ms = context->duration > 0 ? context->duration / (AV_TIME_BASE / 1000) : 0;
    format_.lengthMs = ms;
    format_.dataLength = ms * format_.rate / 1000 * format_.frameBytes();
    format_.readBlock = formats::readBlockFor(format_.frameBytes());
    return EngineError::kNone;
  }

  std::size_t read(void* out, std::size_t bytes) override {
    auto* dest = static_cast<std::uint8_t*>(out);
    bytes -= bytes % static_cast<std::size_t>(format_.frameBytes());
    std::size_t done = 0;
    while (done < bytes) {
      if (taken_ < decoded_.size()) {
        const std::size_t n = std::min(decoded_.size() - taken_, bytes - done);
        std::copy_n(decoded_.data() + taken_, n, dest + done);
        taken_ += n;
        done += n;
      } else if (!decodeFrame()) {
        break;
      }
    }
    return done;
  }

  bool seek(std::int64_t offset) override {
    const AVStream* stream = demuxer_->streams[index_];
    const std::int64_t frames = offset / format_.frameBytes();
    std::int64_t target = av_rescale_q(frames, AVRational{1, format_.rate}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE) target += stream->start_time;
    if (av_seek_frame(demuxer_.get(), index_, target, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(decoder_.get());
    decoded_.clear();
    taken_ = 0;
    draining_ = false;
    return startConverter();
  }

 private:
  bool startConverter() {
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, format_.channels);
    SwrContext* converter = nullptr;
    const int made = swr_alloc_set_opts2(&converter, &layout, AV_SAMPLE_FMT_S16, format_.rate, &decoder_->ch_layout,
                                         decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&layout);
    converter_.reset(converter);
    return made >= 0 && swr_init(converter) >= 0;
  }

  // Puts the next decoded frame in the decode buffer; false at the end.
  bool decodeFrame() {
    for (;;) {
      const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
      if (received == 0) return convertFrame();
      if (received != AVERROR(EAGAIN) || draining_) return false;
      if (av_read_frame(demuxer_.get(), packet_.get()) < 0) {
        // Past the last packet: the decoder gives what it still holds.
        draining_ = true;
        avcodec_send_packet(decoder_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == index_) avcodec_send_packet(decoder_.get(), packet_.get());
      av_packet_unref(packet_.get());
    }
  }

  bool convertFrame() {
    const int room = swr_get_out_samples(converter_.get(), frame_->nb_samples);
    if (room < 0) return false;
    decoded_.resize(static_cast<std::size_t>(room) * static_cast<std::size_t>(format_.frameBytes()));
    std::uint8_t* out = decoded_.data();
    const int made = swr_convert(converter_.get(), &out, room, const_cast<const std::uint8_t**>(frame_->extended_data),
                                 frame_->nb_samples);
    av_frame_unref(frame_.get());
    decoded_.resize(static_cast<std::size_t>(std::max(0, made)) * static_cast<std::size_t>(format_.frameBytes()));
    taken_ = 0;
    return made >= 0;
  }

  Owned<AVFormatContext> demuxer_;
  Owned<AVCodecContext> decoder_;
  Owned<SwrContext> converter_;
  Owned<AVPacket> packet_;
  Owned<AVFrame> frame_;
  int index_ = -1;
  bool draining_ = false;
  std::vector<std::uint8_t> decoded_;
  std::size_t taken_ = 0;
};

}  // namespace

bool isNetworkName(const std::string& name) {
  if (name.size() < 7) return false;
  std::string scheme = name.substr(0, 5);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
  return scheme == "http:" && ((name[5] == '/' && name[6] == '/') || (name[5] == '\\' && name[6] == '\\'));
}

std::string withoutFileScheme(const std::string& name) {
  return name.rfind(kFileScheme, 0) == 0 ? name.substr(std::char_traits<char>::length(kFileScheme)) : name;
}

formats::DecoderResult openMediaDecoder(const std::string& name) {
  if (isNetworkName(name)) return {nullptr, EngineError::kUnrecognised};
  auto decoder = std::make_unique<MediaDecoder>();
  const EngineError code = decoder->open(platform::resolvePath(name));
  if (code != EngineError::kNone) return {nullptr, code};
  return {std::move(decoder), EngineError::kNone};
}

}  // namespace korvo::sound::streams
