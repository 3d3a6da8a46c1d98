// Demuxer, decoder and resampler in their plainest use: every packet of the stream decoded,
// every frame converted as it comes, the resampler drained at the end.
#include "support/movie_sound_reader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <memory>

namespace korvo::testing {
namespace {

struct Reader {
  AVFormatContext* demuxer = nullptr;
  AVCodecContext* decoder = nullptr;
  SwrContext* resampler = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  std::vector<std::int16_t> out;

  ~Reader() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    swr_free(&resampler);
    avcodec_free_context(&decoder);
    avformat_close_input(&demuxer);
  }

  // Converts input samples (none to drain) and appends them.
  void convert(const std::uint8_t** input, int samples) {
    const int room = swr_get_out_samples(resampler, samples);
    if (room <= 0) return;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(room) * 2);
    auto* target = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const int made = swr_convert(resampler, &target, room, input, samples);
    out.resize(at + static_cast<std::size_t>(made > 0 ? made : 0) * 2);
  }

  // Takes every frame the decoder has ready.
  void receive() {
    while (avcodec_receive_frame(decoder, frame) == 0) {
      convert(const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
      av_frame_unref(frame);
    }
  }
};

}  // namespace

std::vector<std::int16_t> decodeSoundTrack(const std::string& path, std::int32_t rate) {
  Reader r;
  if (avformat_open_input(&r.demuxer, path.c_str(), nullptr, nullptr) < 0 ||
      avformat_find_stream_info(r.demuxer, nullptr) < 0)
    return {};
  int stream = -1;
  for (unsigned i = 0; i < r.demuxer->nb_streams && stream < 0; ++i)
    if (r.demuxer->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) stream = static_cast<int>(i);
  if (stream < 0) return {};
  const AVCodecParameters* parameters = r.demuxer->streams[stream]->codecpar;
  const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
  r.decoder = avcodec_alloc_context3(codec);
  if (!codec || !r.decoder || avcodec_parameters_to_context(r.decoder, parameters) < 0 ||
      avcodec_open2(r.decoder, codec, nullptr) < 0)
    return {};
  AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
  if (swr_alloc_set_opts2(&r.resampler, &stereo, AV_SAMPLE_FMT_S16, rate, &r.decoder->ch_layout, r.decoder->sample_fmt,
                          r.decoder->sample_rate, 0, nullptr) < 0 ||
      swr_init(r.resampler) < 0)
    return {};
  while (av_read_frame(r.demuxer, r.packet) >= 0) {
    if (r.packet->stream_index == stream && avcodec_send_packet(r.decoder, r.packet) >= 0) r.receive();
    av_packet_unref(r.packet);
  }
  avcodec_send_packet(r.decoder, nullptr);
  r.receive();
  r.convert(nullptr, 0);
  return std::move(r.out);
}

}  // namespace korvo::testing
