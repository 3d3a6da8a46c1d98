// Ogg Vorbis through vorbisfile, reading via the engine's file layer; 16-bit signed
// little-endian PCM. The data is read front to back (opened as seekable, vorbisfile starts a
// chain whose first link is a single page at the second link), so rewinding opens it again
// and a position is reached by decoding up to it. The length is taken once from a seekable
// open. A chained stream that changes its layout ends where the change comes.
#include <vorbis/vorbisfile.h>

#include <array>
#include <cstdio>

#include "sound/formats/format_loaders.h"
#include "sound/formats/loader_support.h"
#include "sound/formats/sound_decoder.h"

namespace korvo::sound::formats {
namespace {

SoundFile& fileOf(void* source) { return *static_cast<SoundFile*>(source); }

std::size_t readCallback(void* buffer, std::size_t size, std::size_t count, void* source) {
  return fileOf(source).read(buffer, size, count);
}
int seekCallback(void* source, ogg_int64_t offset, int whence) {
  const SeekFrom from = whence == SEEK_SET   ? SeekFrom::kStart
                        : whence == SEEK_CUR ? SeekFrom::kCurrent
                                             : SeekFrom::kEnd;
  return fileOf(source).seek(offset, from) ? 0 : -1;
}
long tellCallback(void* source) { return static_cast<long>(fileOf(source).tell()); }
// The file belongs to the caller, who closes it.
int closeCallback(void*) { return 0; }

const ov_callbacks kFrontToBack{readCallback, nullptr, closeCallback, nullptr};
const ov_callbacks kSeekable{readCallback, seekCallback, closeCallback, tellCallback};

// Frames of the links from the first on that share its layout.
std::int64_t framesOfFirstLayout(SoundFile& file, int channels, long rate) {
  file.seek(0, SeekFrom::kStart);
  OggVorbis_File vorbis;
  if (ov_open_callbacks(&file, &vorbis, nullptr, 0, kSeekable) != 0) return 0;
  std::int64_t frames = 0;
  for (int link = 0; link < ov_streams(&vorbis); ++link) {
    const vorbis_info* info = ov_info(&vorbis, link);
    const ogg_int64_t total = ov_pcm_total(&vorbis, link);
    if (!info || info->channels != channels || info->rate != rate || total < 0) break;
    frames += total;
  }
  ov_clear(&vorbis);
  return frames;
}

class OggDecoder final : public SoundDecoder {
 public:
  explicit OggDecoder(SoundFile& file) : file_(file) {}
  ~OggDecoder() override { close(); }

  // False when the data is not Ogg Vorbis of one or two channels at a usable rate.
  bool open() {
    file_.seek(0, SeekFrom::kStart);
    if (ov_open_callbacks(&file_, &vorbis_, nullptr, 0, kFrontToBack) != 0) return false;
    open_ = true;
    ended_ = false;
    const vorbis_info* info = ov_info(&vorbis_, -1);
    if (!info || (info->channels != 1 && info->channels != 2) || !plausibleRate(info->rate)) return false;
    format_.channels = info->channels;
    format_.rate = static_cast<std::int32_t>(info->rate);
    format_.bits = 16;
    return true;
  }

  void measure() {
    const std::int64_t frames = framesOfFirstLayout(file_, format_.channels, format_.rate);
    format_.dataLength = frames * format_.frameBytes();
    format_.lengthMs = frames * 1000 / format_.rate;
    format_.readBlock = readBlockFor(format_.frameBytes());
  }

  std::size_t read(void* out, std::size_t bytes) override {
    auto* dest = static_cast<char*>(out);
    std::size_t done = 0;
    const std::size_t frame = static_cast<std::size_t>(format_.frameBytes());
    bytes -= bytes % frame;
    while (done < bytes && !ended_) {
      int link = 0;
      const long got = ov_read(&vorbis_, dest + done, static_cast<int>(std::min<std::size_t>(bytes - done, 1 << 20)), 0,
                               2, 1, &link);
      if (got == OV_HOLE) continue;
      const vorbis_info* now = got > 0 ? ov_info(&vorbis_, link) : nullptr;
      if (!now || now->channels != format_.channels || now->rate != format_.rate) {
        ended_ = true;
        break;
      }
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  bool seek(std::int64_t offset) override {
    close();
    if (!open()) return false;
    std::array<char, 4096> skip{};
    for (std::int64_t left = offset - offset % format_.frameBytes(); left > 0;) {
      const std::size_t got = read(skip.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, skip.size())));
      if (got == 0) return false;
      left -= static_cast<std::int64_t>(got);
    }
    return true;
  }

 private:
  void close() {
    if (open_) ov_clear(&vorbis_);
    open_ = false;
  }

  SoundFile& file_;
  OggVorbis_File vorbis_{};
  bool open_ = false;
  bool ended_ = false;
};

}  // namespace

DecoderResult openOggDecoder(SoundFile& file) {
  auto decoder = std::make_unique<OggDecoder>(file);
  if (!decoder->open()) return {nullptr, EngineError::kUnrecognised};
  decoder->measure();
  if (!decoder->seek(0)) return {nullptr, EngineError::kUnrecognised};
  return {std::move(decoder), EngineError::kNone};
}

EngineError loadOgg(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  file.seek(0, SeekFrom::kStart);
  auto decoder = std::make_unique<OggDecoder>(file);
  if (!decoder->open()) return EngineError::kUnrecognised;
  const EngineError code = drainDecoder(*decoder, out.pcm);
  out.cues.clear();
  if (code != EngineError::kNone) return code;
  const DecoderFormat& f = decoder->format();
  return finishDecode(out, requested, f.rate, 16, f.channels, false);
}

}  // namespace korvo::sound::formats
