// The codec library reads the file through the engine's file layer, so memory, disk and
// program-supplied files all convert alike. Samples come out as floats at full scale ±1 and
// are saturated into 16 bits here: the library's own integer reads leave float data unscaled.
// The floats of a read block wait in the decode buffer.
#include "sound/formats/compressed_wav.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "sound/formats/loader_support.h"

namespace korvo::sound::formats {
namespace {

SoundFile& fileOf(void* user) { return *static_cast<SoundFile*>(user); }

sf_count_t fileLength(void* user) { return fileOf(user).length(); }
sf_count_t fileSeek(sf_count_t offset, int whence, void* user) {
  const SeekFrom from = whence == SEEK_SET   ? SeekFrom::kStart
                        : whence == SEEK_CUR ? SeekFrom::kCurrent
                                             : SeekFrom::kEnd;
  fileOf(user).seek(offset, from);
  return fileOf(user).tell();
}
sf_count_t fileRead(void* buffer, sf_count_t count, void* user) {
  return count <= 0 ? 0 : static_cast<sf_count_t>(fileOf(user).read(buffer, 1, static_cast<std::size_t>(count)));
}
sf_count_t fileWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t fileTell(void* user) { return fileOf(user).tell(); }

SF_VIRTUAL_IO gFileIo{fileLength, fileSeek, fileRead, fileWrite, fileTell};

struct SndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

// Full scale ±1 to 16 bits, saturating (float files may pass full scale).
std::int16_t toSample16(float value) {
  return static_cast<std::int16_t>(std::clamp(std::lrint(value * 32768.0f), -32768L, 32767L));
}

class ConvertedWavDecoder final : public SoundDecoder {
 public:
  ConvertedWavDecoder(SNDFILE* file, const SF_INFO& info, std::int32_t blockAlign) : file_(file) {
    format_.rate = info.samplerate;
    format_.channels = info.channels;
    format_.bits = 16;
    format_.dataLength = std::max<std::int64_t>(0, info.frames) * format_.frameBytes();
    format_.lengthMs = std::max<std::int64_t>(0, info.frames) * 1000 / info.samplerate;
    format_.readBlock = readBlockFor(std::max(1, blockAlign));
    floats_.resize(static_cast<std::size_t>(format_.readBlock) / sizeof(std::int16_t));
  }

  std::size_t read(void* out, std::size_t bytes) override {
    auto* dest = static_cast<std::int16_t*>(out);
    const std::size_t channels = static_cast<std::size_t>(format_.channels);
    const std::size_t wanted = bytes / static_cast<std::size_t>(format_.frameBytes());
    std::size_t done = 0;
    while (done < wanted) {
      const sf_count_t step = static_cast<sf_count_t>(std::min(wanted - done, floats_.size() / channels));
      const sf_count_t got = sf_readf_float(file_.get(), floats_.data(), step);
      if (got <= 0) break;
      std::transform(floats_.begin(), floats_.begin() + static_cast<std::ptrdiff_t>(got) * format_.channels,
                     dest + done * channels, toSample16);
      done += static_cast<std::size_t>(got);
    }
    return done * static_cast<std::size_t>(format_.frameBytes());
  }

  bool seek(std::int64_t offset) override { return sf_seek(file_.get(), offset / format_.frameBytes(), SEEK_SET) >= 0; }

 private:
  std::unique_ptr<SNDFILE, SndFileCloser> file_;
  std::vector<float> floats_;
};

}  // namespace

DecoderResult openConvertedWavDecoder(SoundFile& file, std::int32_t blockAlign) {
  file.seek(0, SeekFrom::kStart);
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndFileCloser> decoder(sf_open_virtual(&gFileIo, SFM_READ, &info, &file));
  if (!decoder) return {nullptr, EngineError::kUnrecognised};
  const int container = info.format & SF_FORMAT_TYPEMASK;
  if ((container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) || (info.channels != 1 && info.channels != 2) ||
      !plausibleRate(info.samplerate))
    return {nullptr, EngineError::kUnrecognised};
  return {std::make_unique<ConvertedWavDecoder>(decoder.release(), info, blockAlign), EngineError::kNone};
}

EngineError decodeCompressedWav(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  DecoderResult opened = openConvertedWavDecoder(file, 0);
  if (!opened.decoder) return opened.code;
  const EngineError code = drainDecoder(*opened.decoder, out.pcm);
  if (code != EngineError::kNone) return code;
  const DecoderFormat& f = opened.decoder->format();
  return finishDecode(out, requested, f.rate, 16, f.channels, false);
}

}  // namespace korvo::sound::formats
