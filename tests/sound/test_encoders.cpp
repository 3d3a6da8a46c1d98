// Encoders for the tests' sound files, each a straight use of its library.
#include "test_encoders.h"

#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korvo::test {
namespace {

void appendPage(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Everything FFmpeg needs to write one audio stream, freed together.
struct MediaWriter {
  AVFormatContext* out = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* converter = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;

  ~MediaWriter() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    swr_free(&converter);
    avcodec_free_context(&codec);
    if (out && out->pb) avio_closep(&out->pb);
    avformat_free_context(out);
  }

  bool drain(const AVFrame* input) {
    if (avcodec_send_frame(codec, input) < 0) return false;
    while (avcodec_receive_packet(codec, packet) == 0) {
      av_packet_rescale_ts(packet, codec->time_base, out->streams[0]->time_base);
      packet->stream_index = 0;
      if (av_interleaved_write_frame(out, packet) < 0) return false;
    }
    return true;
  }
};

}  // namespace

Pcm testTune(std::int32_t rate, std::int32_t channels, std::size_t frames) {
  Pcm pcm{rate, channels, std::vector<std::int16_t>(frames * static_cast<std::size_t>(channels))};
  const double tau = 2 * std::numbers::pi;
  for (std::size_t f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / rate;
    const double swell = 0.6 + 0.4 * std::sin(tau * 1.5 * t);
    for (std::int32_t c = 0; c < channels; ++c) {
      const double tone = 0.5 * std::sin(tau * (330 + 110 * c) * t) + 0.3 * std::sin(tau * (1250 + 170 * c) * t);
      pcm.samples[f * channels + c] = static_cast<std::int16_t>(std::lrint(12000 * swell * tone));
    }
  }
  return pcm;
}

Bytes encodeWav(const Pcm& pcm) {
  Bytes data;
  for (std::int16_t s : pcm.samples) putLe16(data, static_cast<std::uint16_t>(s));
  return riffWave({riffChunk("fmt ", fmtBody(1, static_cast<std::uint16_t>(pcm.channels),
                                             static_cast<std::uint32_t>(pcm.rate), 16)),
                   riffChunk("data", data)});
}

Bytes encodeVorbis(const Pcm& pcm, int serial) {
  Bytes out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, pcm.channels, pcm.rate, 0.4f) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, serial);
  ogg_packet header, commentHeader, codeHeader;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentHeader);
  ogg_stream_packetin(&stream, &codeHeader);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

  const auto frames = static_cast<int>(pcm.frames());
  float** buffer = vorbis_analysis_buffer(&dsp, frames);
  const auto channels = static_cast<std::size_t>(pcm.channels);
  for (std::size_t c = 0; c < channels; ++c)
    for (std::size_t f = 0; f < pcm.frames(); ++f) buffer[c][f] = pcm.samples[f * channels + c] / 32768.0f;
  vorbis_analysis_wrote(&dsp, frames);
  vorbis_analysis_wrote(&dsp, 0);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp, &block) == 1) {
    vorbis_analysis(&block, nullptr);
    vorbis_bitrate_addblock(&block);
    while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
      ogg_stream_packetin(&stream, &packet);
      while (ogg_stream_pageout(&stream, &page) != 0) appendPage(out, page);
    }
  }
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

Bytes encodeMp3(const Pcm& pcm, int kbps) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, pcm.rate);
  lame_set_out_samplerate(lame, pcm.rate);
  lame_set_num_channels(lame, pcm.channels);
  lame_set_mode(lame, pcm.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 5);
  lame_set_bWriteVbrTag(lame, 1);
  Bytes out;
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return out;
  }
  const auto frames = static_cast<int>(pcm.frames());
  out.resize(static_cast<std::size_t>(frames) * 5 / 4 + 7200 + 16384);
  std::vector<std::int16_t> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
  const auto channels = static_cast<std::size_t>(pcm.channels);
  for (std::size_t f = 0; f < left.size(); ++f) {
    left[f] = pcm.samples[f * channels];
    right[f] = pcm.samples[f * channels + channels - 1];
  }
  int used = lame_encode_buffer(lame, left.data(), right.data(), frames, out.data(), static_cast<int>(out.size()));
  used += lame_encode_flush(lame, out.data() + used, static_cast<int>(out.size()) - used);
  out.resize(static_cast<std::size_t>(std::max(0, used)));
  // The info frame at the front, now that the encoder knows its delay and padding.
  std::vector<unsigned char> tag(2880);
  const std::size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
  if (tagBytes > 0 && tagBytes <= out.size()) std::copy_n(tag.begin(), tagBytes, out.begin());
  lame_close(lame);
  return out;
}

bool encodeMedia(const Pcm& pcm, const std::string& path) {
  MediaWriter w;
  if (avformat_alloc_output_context2(&w.out, nullptr, nullptr, path.c_str()) < 0) return false;
  const AVCodec* encoder = avcodec_find_encoder(w.out->oformat->audio_codec);
  AVStream* stream = encoder ? avformat_new_stream(w.out, nullptr) : nullptr;
  w.codec = encoder ? avcodec_alloc_context3(encoder) : nullptr;
  if (!w.codec || !stream) return false;
  w.codec->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  w.codec->sample_rate = pcm.rate;
  w.codec->bit_rate = 128000;
  w.codec->time_base = AVRational{1, pcm.rate};
  w.codec->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
  av_channel_layout_default(&w.codec->ch_layout, pcm.channels);
  if (w.out->oformat->flags & AVFMT_GLOBALHEADER) w.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(w.codec, encoder, nullptr) < 0 || avcodec_parameters_from_context(stream->codecpar, w.codec) < 0)
    return false;
  stream->time_base = w.codec->time_base;
  if (avio_open(&w.out->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(w.out, nullptr) < 0)
    return false;
  if (swr_alloc_set_opts2(&w.converter, &w.codec->ch_layout, w.codec->sample_fmt, pcm.rate, &w.codec->ch_layout,
                          AV_SAMPLE_FMT_S16, pcm.rate, 0, nullptr) < 0 ||
      swr_init(w.converter) < 0)
    return false;
  const int step = w.codec->frame_size > 0 ? w.codec->frame_size : 1024;
  w.frame = av_frame_alloc();
  w.packet = av_packet_alloc();
  for (std::size_t at = 0; at < pcm.frames(); at += static_cast<std::size_t>(step)) {
    const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(step), pcm.frames() - at));
    av_frame_unref(w.frame);
    w.frame->format = w.codec->sample_fmt;
    w.frame->sample_rate = pcm.rate;
    w.frame->nb_samples = n;
    av_channel_layout_copy(&w.frame->ch_layout, &w.codec->ch_layout);
    if (av_frame_get_buffer(w.frame, 0) < 0) return false;
    const std::uint8_t* in =
        reinterpret_cast<const std::uint8_t*>(pcm.samples.data() + at * static_cast<std::size_t>(pcm.channels));
    if (swr_convert(w.converter, w.frame->data, n, &in, n) < 0) return false;
    w.frame->pts = static_cast<std::int64_t>(at);
    if (!w.drain(w.frame)) return false;
  }
  return w.drain(nullptr) && av_write_trailer(w.out) == 0;
}

std::vector<std::int16_t> samples16(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

double bestCorrelation(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b, int channels,
                       int maxLag) {
  const auto frames = static_cast<std::int64_t>(std::min(a.size(), b.size()) / static_cast<std::size_t>(channels));
  double best = -1;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double ab = 0, aa = 0, bb = 0;
    for (std::int64_t f = maxLag; f + maxLag < frames; ++f) {
      const double x = a[static_cast<std::size_t>(f * channels)];
      const double y = b[static_cast<std::size_t>((f + lag) * channels)];
      ab += x * y;
      aa += x * x;
      bb += y * y;
    }
    if (aa > 0 && bb > 0) best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

}  // namespace korvo::test
