// Reading S3M files into the song record. Instruments and patterns are found through
// parapointers (16-byte units); every one is checked against the file, counts beyond what
// the format can address are refused, and patterns are unpacked within their own packed
// length. Unsigned sample data is made signed by the upload.
#include <algorithm>

#include "sound/engine/sample.h"
#include "sound/music/formats.h"
#include "sound/music/sample_steps.h"

namespace korvo::sound::music {
namespace {

constexpr std::size_t kSignatureOffset = 44;
constexpr std::size_t kCountsOffset = 32;
constexpr std::size_t kVolumesOffset = 48;
constexpr std::size_t kChannelSettings = 64;
constexpr std::size_t kOrdersOffset = 96;
constexpr std::int32_t kFileChannels = 32;
constexpr std::int32_t kMaxOrders = 256;
constexpr std::int32_t kMaxInstruments = 255;
constexpr std::int32_t kMaxPatterns = 256;
constexpr std::int32_t kRows = 64;
constexpr std::uint8_t kSkipOrder = 254;
constexpr std::uint8_t kEndOrder = 255;
constexpr std::uint8_t kDefaultPans = 252;
constexpr std::uint8_t kPanGiven = 0x20;
constexpr std::uint8_t kStereo = 0x80;
// Header flag and tracker versions that slide volumes on the first tick too.
constexpr std::uint16_t kFastSlidesFlag = 0x40;
constexpr std::uint16_t kFastSlideVersions[] = {0x300, 0x12C};
constexpr std::uint8_t kSampleType = 1;
constexpr std::uint8_t kLoopFlag = 0x1;
constexpr std::uint8_t k16BitFlag = 0x4;
constexpr std::uint8_t kCutNote = 254;
constexpr std::uint8_t kEmptyNote = 255;
constexpr std::size_t kParagraph = 16;

// A song channel for each enabled file channel (-1: unmapped).
struct ChannelMap {
  std::array<std::int32_t, kFileChannels> song{};
};

EngineError readSample(ByteReader r, std::size_t at, SongSample& s, SampleSink& sink) {
  r.seek(at);
  const std::uint8_t type = r.u8();
  r.skip(12);
  const std::uint32_t high = r.u8();
  const std::uint32_t low = r.u16le();
  std::uint32_t length = r.u32le();
  const std::uint32_t loopStart = r.u32le();
  const std::uint32_t loopEnd = r.u32le();
  s.volume = std::min<std::int32_t>(r.u8(), 64);
  r.skip(2);
  const std::uint8_t flags = r.u8();
  s.c4Rate = r.u16le();
  r.skip(14);
  s.name = r.text(28);
  if (!r.ok()) return EngineError::kUnrecognised;
  if (s.c4Rate == 0) s.c4Rate = 8363;
  if (type != kSampleType) return EngineError::kNone;
  s.is16Bit = (flags & k16BitFlag) != 0;
  const std::size_t frameBytes = s.is16Bit ? 2 : 1;
  const std::size_t data = ((high << 16) | low) * kParagraph;
  // Data cut short by the end of the file keeps what is there.
  const std::size_t have = data < r.size() ? (r.size() - data) / frameBytes : 0;
  length = static_cast<std::uint32_t>(std::min<std::size_t>(length, have));
  s.length = length;
  setSampleLoop(s, (flags & kLoopFlag) && loopStart < loopEnd && loopEnd - loopStart > 2 && loopStart < length,
                loopStart, loopEnd, 2);
  if (length == 0) return EngineError::kNone;
  const std::uint32_t srcMode = mode::kUnsigned | (s.is16Bit ? mode::k16Bits : mode::k8Bits);
  return uploadSample(sink, s, r.at(data), length * frameBytes, srcMode);
}

std::uint8_t noteByte(std::uint8_t file) {
  if (file == kCutNote) return kKeyOff;
  if (file == kEmptyNote) return kNoNote;
  return static_cast<std::uint8_t>((file >> 4) * 12 + (file & 0x0F) + 1);
}

// Rows of packed cells within the pattern's own packed bytes; what runs past them is empty.
void readPattern(ByteReader r, std::size_t at, const ChannelMap& map, Pattern& p, std::size_t channels) {
  p.rows = kRows;
  r.seek(at);
  const std::size_t packed = r.u16le();
  if (!r.ok() || packed < 2) return;
  ByteReader data(r.here(), std::min(packed - 2, r.remaining()));
  Cell scratch;
  for (std::int32_t row = 0; row < kRows; ++row) {
    for (;;) {
      const std::uint8_t what = data.u8();
      if (!data.ok()) return;
      if (what == 0) break;
      const std::int32_t ch = map.song[what & 31];
      if (ch >= 0 && p.cells.empty()) p.cells.assign(kRows * channels, Cell{});
      Cell& c = ch >= 0 ? p.cells[static_cast<std::size_t>(row) * channels + static_cast<std::size_t>(ch)] : scratch;
      if (what & 0x20) {
        c.note = noteByte(data.u8());
        c.instrument = data.u8();
      }
      if (what & 0x40) c.volume = static_cast<std::uint8_t>(std::min<std::int32_t>(data.u8(), 64) + 1);
      if (what & 0x80) {
        c.effect = data.u8();
        c.param = data.u8();
      }
    }
  }
}

}  // namespace

EngineError loadS3m(Song& song, ByteReader& r, SampleSink& sink) {
  if (!r.matches(kSignatureOffset, "SCRM")) return EngineError::kUnrecognised;
  song.kind = SongKind::kS3m;
  song.format = &s3mFormat();
  song.masterVolume = 256;
  song.restartPosition = 0;
  song.name = r.text(28);
  r.seek(kCountsOffset);
  const std::int32_t orders = r.u16le();
  const std::int32_t instruments = r.u16le();
  const std::int32_t patterns = r.u16le();
  const std::uint16_t flags = r.u16le();
  const std::uint16_t version = r.u16le();
  r.seek(kVolumesOffset);
  song.initialGlobalVolume = std::min<std::int32_t>(r.u8(), 64);
  const std::int32_t speed = r.u8();
  const std::int32_t tempo = r.u8();
  const std::uint8_t master = r.u8();
  r.u8();
  const std::uint8_t panMarker = r.u8();
  if (!r.ok() || orders > kMaxOrders || instruments > kMaxInstruments || patterns > kMaxPatterns) {
    return EngineError::kUnrecognised;
  }
  song.initialSpeed = speed > 0 && speed < 255 ? speed : 6;
  song.initialBpm = tempo >= 32 ? tempo : 125;
  const bool fast = (flags & kFastSlidesFlag) != 0 ||
                    std::find(std::begin(kFastSlideVersions), std::end(kFastSlideVersions), version & 0x0FFF) !=
                        std::end(kFastSlideVersions);
  song.formatFlags = (fast ? kS3mFastSlides : 0) | (master & kStereo ? 0 : kS3mMono);

  ChannelMap map;
  std::vector<std::int32_t> filePans;
  r.seek(kChannelSettings);
  for (std::int32_t i = 0; i < kFileChannels; ++i) {
    const std::uint8_t setting = r.u8();
    map.song[static_cast<std::size_t>(i)] = -1;
    if (setting >= 16) continue;
    map.song[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(filePans.size());
    filePans.push_back(setting < 8 ? 0 : 255);
  }
  if (filePans.empty()) return EngineError::kUnrecognised;

  r.seek(kOrdersOffset);
  std::int32_t highest = -1;
  for (std::int32_t i = 0; i < orders; ++i) {
    const std::uint8_t o = r.u8();
    if (o == kSkipOrder || o == kEndOrder) continue;
    song.orders[static_cast<std::size_t>(song.songLength++)] = o;
    highest = std::max<std::int32_t>(highest, o);
  }
  std::vector<std::size_t> instrumentAt(static_cast<std::size_t>(instruments));
  std::vector<std::size_t> patternAt(static_cast<std::size_t>(patterns));
  for (std::size_t& at : instrumentAt) at = r.u16le() * kParagraph;
  for (std::size_t& at : patternAt) at = r.u16le() * kParagraph;
  std::array<std::uint8_t, kFileChannels> defaultPans{};
  if (panMarker == kDefaultPans) r.bytes(defaultPans.data(), defaultPans.size());
  if (!r.ok() || song.songLength == 0) return EngineError::kUnrecognised;

  for (std::int32_t i = 0; i < kFileChannels; ++i) {
    const std::int32_t ch = map.song[static_cast<std::size_t>(i)];
    if (ch < 0) continue;
    std::int32_t& pan = filePans[static_cast<std::size_t>(ch)];
    if (defaultPans[static_cast<std::size_t>(i)] & kPanGiven)
      pan = (defaultPans[static_cast<std::size_t>(i)] & 0x0F) * 16;
    if (!(master & kStereo)) pan = 128;
  }
  song.channels.assign(filePans.size(), SongChannel{});
  song.channelPans = filePans;

  song.patterns.resize(static_cast<std::size_t>(std::max(highest + 1, patterns)));
  for (std::size_t p = 0; p < song.patterns.size(); ++p) {
    const std::size_t at = p < patternAt.size() ? patternAt[p] : 0;
    if (at == 0) {
      song.patterns[p].rows = kRows;
    } else {
      readPattern(r, at, map, song.patterns[p], song.channels.size());
    }
  }

  for (std::size_t at : instrumentAt) {
    if (const EngineError e = readSample(r, at, song.addSample(), sink); e != EngineError::kNone) return e;
  }
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
