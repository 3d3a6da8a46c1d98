// Sound files decoded piece by piece: what streams read their data through, and what the
// whole-file loaders of the compressed formats drain. A decoder reads from a SoundFile the
// caller keeps open for the decoder's life and gives signed PCM, interleaved, 16-bit values
// in native order or 8-bit ones, never more at once than it was asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sound/engine/engine_error.h"
#include "sound/formats/sound_file.h"

namespace korvo::sound::formats {

// Readers never read less than this from a file at a time.
inline constexpr std::int32_t kMinReadBlock = 2048;

struct DecoderFormat {
  std::int32_t rate = 44100;  // Hz, plausibleRate
  std::int32_t channels = 1;  // 1 or 2
  std::int32_t bits = 16;     // 8 or 16
  // The data's size in the units seek takes: the bytes of the file's audio data for formats
  // read as they stand in the file (PCM and MPEG audio), decoded bytes for the others.
  std::int64_t dataLength = 0;
  std::int64_t lengthMs = 0;
  // Bytes read at a time: the format's own block doubled until it reaches kMinReadBlock;
  // seek positions are whole read blocks.
  std::int32_t readBlock = kMinReadBlock;

  std::int32_t frameBytes() const { return bits / 8 * channels; }
};

class SoundDecoder {
 public:
  virtual ~SoundDecoder() = default;
  const DecoderFormat& format() const { return format_; }
  // Decodes up to bytes (whole frames) into out; fewer only where the data ends, 0 after it.
  virtual std::size_t read(void* out, std::size_t bytes) = 0;
  // Goes on from offset (0 <= offset < dataLength, a multiple of the read block; 0 rewinds);
  // false when the data cannot be reached there.
  virtual bool seek(std::int64_t offset) = 0;

 protected:
  DecoderFormat format_;
};

// The read block for a format whose own block is blockBytes.
std::int32_t readBlockFor(std::int32_t blockBytes);
// Milliseconds of bytes of decoded PCM in format.
std::int64_t pcmMilliseconds(std::int64_t bytes, const DecoderFormat& format);

struct DecoderResult {
  std::unique_ptr<SoundDecoder> decoder;
  EngineError code = EngineError::kNone;
};

// A stream's reader for file, in the streams' order: raw data when the mode says so (mode bit
// 0x10000: the whole file in the mode's depth, channels and sign), else Ogg Vorbis, MPEG
// audio, WAV (PCM or converted), then AIFF; kUnrecognised when none takes it.
DecoderResult openStreamDecoder(SoundFile& file, std::uint32_t requested);

// Each format's decoder alone (kUnrecognised when the data is not that format).
DecoderResult openOggDecoder(SoundFile& file);
// accurateLength counts the frames for the length (mode bit 0x20000) instead of estimating it.
DecoderResult openMpegDecoder(SoundFile& file, bool accurateLength);
DecoderResult openWavDecoder(SoundFile& file);
DecoderResult openAiffDecoder(SoundFile& file);
DecoderResult openRawDecoder(SoundFile& file, std::uint32_t requested);

struct RiffWave;
// The MPEG Layer 3 data of a WAV file that MPEG audio detection passed over (no pair of frame
// headers near its start), in the rate and channels of its format record: the codec layer's
// own MPEG decoder would print the decoder library's complaints.
DecoderResult openMpegWaveDecoder(SoundFile& file, const RiffWave& wave);

// Reads the decoder to its end into pcm; kOutOfMemory past the PCM cap.
EngineError drainDecoder(SoundDecoder& decoder, std::vector<std::uint8_t>& pcm);

}  // namespace korvo::sound::formats
