// Ogg Vorbis loading from streams encoded in the test: plain streams and chained ones whose
// later links change the layout.
#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <cstring>

#include "sound/formats/format_loaders.h"
#include "sound_builders.h"

namespace korvo::sound::formats {
namespace {

using test::Bytes;

void appendPage(Bytes& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// One Ogg Vorbis stream (a link of a chain when appended to another) of frames of noise.
Bytes encodeVorbis(int rate, int channels, int frames, int serial) {
  vorbis_info info;
  vorbis_info_init(&info);
  Bytes out;
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.3f) != 0) {
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

  float** buffer = vorbis_analysis_buffer(&dsp, frames);
  std::uint32_t noise = 12345;
  for (int c = 0; c < channels; ++c)
    for (int i = 0; i < frames; ++i) {
      noise = noise * 1103515245u + 12345u;
      buffer[c][i] = static_cast<float>(noise >> 16) / 65536.0f - 0.5f;
    }
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

EngineError decode(const Bytes& bytes, DecodedAudio& out) {
  auto file = SoundFile::openMemory(bytes.data(), bytes.size());
  return decodeSound(*file, 0x2130, out);
}

TEST(OggLoaderTest, ChainedStreamsEndWhereTheLayoutChanges) {
  const Bytes first = encodeVorbis(22050, 1, 40000, 1);
  ASSERT_FALSE(first.empty());
  DecodedAudio a;
  ASSERT_EQ(decode(first, a), EngineError::kNone);
  EXPECT_EQ(a.rate, 22050);
  EXPECT_EQ(a.channels, 1);
  EXPECT_EQ(a.frames, 40000);

  // The same layout chained on continues the sound.
  Bytes chained = first;
  test::append(chained, encodeVorbis(22050, 1, 30000, 2));
  ASSERT_EQ(decode(chained, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 70000);

  // Another rate or channel count would play at the wrong speed or scramble the frames.
  for (const Bytes& other : {encodeVorbis(44100, 1, 30000, 3), encodeVorbis(22050, 2, 30000, 4)}) {
    chained = first;
    test::append(chained, other);
    ASSERT_EQ(decode(chained, a), EngineError::kNone);
    EXPECT_EQ(a.rate, 22050);
    EXPECT_EQ(a.channels, 1);
    EXPECT_EQ(a.frames, 40000);
  }
}

TEST(OggLoaderTest, AChainStartsWithItsFirstLinkEvenWhenThatIsOnePageLong) {
  Bytes chained = encodeVorbis(22050, 1, 2000, 1);
  test::append(chained, encodeVorbis(22050, 1, 30000, 2));
  DecodedAudio a;
  ASSERT_EQ(decode(chained, a), EngineError::kNone);
  EXPECT_EQ(a.frames, 32000);
}

}  // namespace
}  // namespace korvo::sound::formats
