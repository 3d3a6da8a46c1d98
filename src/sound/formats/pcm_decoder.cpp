// PCM as it stands in a file: raw data, WAV and AIFF. 8-bit data comes out signed, 16-bit
// in native order, 24- and 32-bit reduced to their top 16 bits.
#include "sound/formats/pcm_decoder.h"

#include <algorithm>
#include <vector>

#include "sound/formats/loader_support.h"

namespace korvo::sound::formats {
namespace {

class PcmDecoder final : public SoundDecoder {
 public:
  PcmDecoder(SoundFile& file, const PcmLayout& layout) : file_(file), layout_(layout) {
    const std::int32_t fileFrame = layout.width * layout.channels;
    format_.rate = layout.rate;
    format_.channels = layout.channels;
    format_.bits = layout.width == 1 ? 8 : 16;
    format_.dataLength = layout.length / fileFrame * fileFrame;
    format_.readBlock = readBlockFor(fileFrame);
    format_.lengthMs = format_.dataLength / fileFrame * 1000 / layout.rate;
    if (layout.width > 2) wide_.resize(static_cast<std::size_t>(format_.readBlock));
    seek(0);
  }

  std::size_t read(void* out, std::size_t bytes) override {
    const std::size_t fileFrame = static_cast<std::size_t>(layout_.width) * static_cast<std::size_t>(layout_.channels);
    const std::size_t outFrame = static_cast<std::size_t>(format_.frameBytes());
    const std::size_t left = static_cast<std::size_t>(format_.dataLength - at_) / fileFrame;
    std::size_t frames = std::min(bytes / outFrame, left);
    auto* dest = static_cast<std::uint8_t*>(out);
    std::size_t done = 0;
    if (layout_.width <= 2) {
      const std::size_t items = frames * layout_.channels;
      done = file_.read(dest, static_cast<std::size_t>(layout_.width), items) / layout_.channels;
      // Unsigned data made signed: the top bit of each value (the high byte of a 16-bit one).
      if (layout_.isUnsigned) {
        for (std::size_t i = static_cast<std::size_t>(layout_.width) - 1; i < done * outFrame; i += layout_.width)
          dest[i] ^= 0x80;
      }
    } else {
      // Through a block of file bytes at a time, each sample narrowed into place.
      while (done < frames) {
        const std::size_t step = std::min(frames - done, wide_.size() / fileFrame);
        const std::size_t got = file_.read(wide_.data(), fileFrame, step);
        narrowTo16(wide_.data(), got * layout_.channels, layout_.width, layout_.bigEndian, dest + done * outFrame);
        done += got;
        if (got < step) break;
      }
    }
    at_ += static_cast<std::int64_t>(done * fileFrame);
    return done * outFrame;
  }

  bool seek(std::int64_t offset) override {
    if (offset < 0 || offset > format_.dataLength) return false;
    at_ = offset;
    file_.setBigEndian(layout_.bigEndian);
    return file_.seek(layout_.offset + offset, SeekFrom::kStart);
  }

 private:
  SoundFile& file_;
  PcmLayout layout_;
  std::int64_t at_ = 0;
  std::vector<std::uint8_t> wide_;
};

}  // namespace

std::unique_ptr<SoundDecoder> makePcmDecoder(SoundFile& file, const PcmLayout& layout) {
  return std::make_unique<PcmDecoder>(file, layout);
}

DecoderResult openRawDecoder(SoundFile& file, std::uint32_t requested) {
  if (file.length() <= 0) return {nullptr, EngineError::kRawEmpty};
  PcmLayout layout;
  layout.length = file.length();
  layout.width = requested & mode::k16Bits ? 2 : 1;
  layout.channels = requested & mode::kStereo ? 2 : 1;
  layout.rate = 44100;
  layout.isUnsigned = (requested & mode::kUnsigned) != 0;
  return {makePcmDecoder(file, layout), EngineError::kNone};
}

}  // namespace korvo::sound::formats
