// The codec library reads the file through the engine's file layer, so memory, disk and
// program-supplied files all convert alike. Samples come out as floats at full scale ±1 and
// are saturated into 16 bits here: the library's own integer reads leave float data unscaled.
#include "sound/formats/compressed_wav.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

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

SF_VIRTUAL_IO fileIo{fileLength, fileSeek, fileRead, fileWrite, fileTell};

struct SndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

// Full scale ±1 to 16 bits, saturating (float files may pass full scale).
std::int16_t toSample16(float value) {
  return static_cast<std::int16_t>(std::clamp(std::lrint(value * 32768.0f), -32768L, 32767L));
}

}  // namespace

EngineError decodeCompressedWav(SoundFile& file, std::uint32_t requested, DecodedAudio& out) {
  file.seek(0, SeekFrom::kStart);
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndFileCloser> decoder(sf_open_virtual(&fileIo, SFM_READ, &info, &file));
  if (!decoder) return EngineError::kUnrecognised;
  const int container = info.format & SF_FORMAT_TYPEMASK;
  if ((container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) || (info.channels != 1 && info.channels != 2) ||
      !plausibleRate(info.samplerate))
    return EngineError::kUnrecognised;
  out.pcm.clear();
  std::array<float, 8192> block{};
  std::array<std::int16_t, 8192> samples{};
  const sf_count_t blockFrames = static_cast<sf_count_t>(block.size()) / info.channels;
  for (;;) {
    const sf_count_t frames = sf_readf_float(decoder.get(), block.data(), blockFrames);
    if (frames <= 0) break;
    const std::size_t count = static_cast<std::size_t>(frames * info.channels);
    std::transform(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(count), samples.begin(), toSample16);
    if (!appendPcm(out.pcm, samples.data(), count * sizeof(std::int16_t))) return EngineError::kOutOfMemory;
  }
  return finishDecode(out, requested, info.samplerate, 16, info.channels, false);
}

}  // namespace korvo::sound::formats
