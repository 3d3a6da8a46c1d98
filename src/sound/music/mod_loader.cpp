// Reading MOD files into the song record. The format is big-endian and has no sizes of its
// own besides the channel count its signature names, so every structure is checked against
// the file's length: patterns the file does not hold refuse it, sample data cut short keeps
// what is there.
#include <algorithm>
#include <array>
#include <cctype>

#include "sound/engine/sample.h"
#include "sound/music/formats.h"
#include "sound/music/sample_steps.h"
#include "sound/music/pitch.h"

namespace korvo::sound::music {
namespace {

constexpr std::size_t kSignatureOffset = 1080;
constexpr std::size_t kSampleHeaders = 20;
constexpr std::size_t kSampleHeaderBytes = 30;
constexpr std::int32_t kSamples = 31;
constexpr std::size_t kOrderOffset = 950;
constexpr std::size_t kOrderEntries = 128;
constexpr std::size_t kPatternOffset = 1084;
constexpr std::int32_t kRows = 64;
constexpr std::int32_t kShortestLoop = 3;
// The note whose period is first at or below the file's period, compared two octaves up.
constexpr std::int32_t kPeriodOctaves = 24;

// Signatures and the channels they name ("xxCH" is read by its digits).
struct Signature {
  const char* tag;
  std::int32_t channels;
};
constexpr std::array<Signature, 5> kSignatures = {{{"M.K.", 4}, {"M!K!", 4}, {"FLT4", 4}, {"6CHN", 6}, {"8CHN", 8}}};

std::int32_t signatureChannels(const ByteReader& r) {
  for (const Signature& s : kSignatures) {
    if (r.matches(kSignatureOffset, s.tag)) return s.channels;
  }
  char tag[4] = {};
  ByteReader at = r;
  at.seek(kSignatureOffset);
  at.bytes(tag, 4);
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  if (digit(tag[0]) && digit(tag[1]) && tag[2] == 'C' && tag[3] == 'H') return (tag[0] - '0') * 10 + (tag[1] - '0');
  return 0;
}

std::string sampleName(ByteReader& r) {
  std::string name = r.text(22);
  // Control characters end the name.
  const auto end = std::find_if(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
  name.erase(end, name.end());
  return name;
}

void readSampleHeader(ByteReader& r, SongSample& s) {
  s.name = sampleName(r);
  s.length = r.u16be() * 2u;
  s.c4Rate = finetuneRate(r.u8());
  s.volume = std::min<std::int32_t>(r.u8(), 64);
  const std::uint32_t loopStart = r.u16be() * 2u;
  const std::uint32_t loopLength = r.u16be() * 2u;
  s.pan = 128;
  setSampleLoop(s, loopLength >= kShortestLoop && loopStart < s.length, loopStart, loopStart + loopLength, 2);
}

// The note byte (1-based, as XM's) of an Amiga period, or no note.
std::uint8_t periodNote(std::int32_t period) {
  const auto& t = periodTable();
  for (std::size_t i = kPeriodOctaves + 1; i < t.size(); ++i) {
    if (period >= t[i]) return static_cast<std::uint8_t>(i - kPeriodOctaves);
  }
  return kNoNote;
}

void readPattern(ByteReader& r, Pattern& p, std::size_t channels) {
  p.rows = kRows;
  p.cells.assign(kRows * channels, Cell{});
  for (Cell& c : p.cells) {
    const std::uint8_t b0 = r.u8(), b1 = r.u8(), b2 = r.u8(), b3 = r.u8();
    c.instrument = static_cast<std::uint8_t>((b0 & 0xF0) | (b2 >> 4));
    const std::int32_t period = ((b0 & 0x0F) << 8) | b1;
    c.note = period ? periodNote(period) : kNoNote;
    c.effect = b2 & 0x0F;
    c.param = b3;
  }
}

}  // namespace

EngineError loadMod(Song& song, ByteReader& r, SampleSink& sink) {
  const std::int32_t channels = signatureChannels(r);
  if (channels <= 0) return EngineError::kUnrecognised;
  song.kind = SongKind::kMod;
  song.format = &modFormat();
  song.masterVolume = 256;
  song.initialSpeed = 6;
  song.initialBpm = 125;
  song.restartPosition = 0;
  song.name = r.text(20);

  r.seek(kSampleHeaders);
  std::uint64_t sampleBytes = 0;
  for (std::int32_t i = 0; i < kSamples; ++i) {
    SongSample& s = song.addSample();
    readSampleHeader(r, s);
    sampleBytes += s.length;
  }
  r.seek(kOrderOffset);
  song.songLength = r.u8();
  r.u8();
  r.bytes(song.orders.data(), kOrderEntries);
  if (!r.ok() || song.songLength == 0 || song.songLength > static_cast<std::int32_t>(kOrderEntries)) {
    return EngineError::kUnrecognised;
  }
  const std::int32_t patterns = *std::max_element(song.orders.begin(), song.orders.begin() + kOrderEntries) + 1;

  song.channels.assign(static_cast<std::size_t>(channels), SongChannel{});
  for (std::int32_t ch = 0; ch < channels; ++ch) song.channelPans.push_back((ch + 1) % 4 < 2 ? 0 : 255);
  const std::size_t patternBytes = static_cast<std::size_t>(kRows) * 4 * static_cast<std::size_t>(channels);
  if (r.size() < kPatternOffset + patternBytes * static_cast<std::size_t>(patterns)) return EngineError::kUnrecognised;
  r.seek(kPatternOffset);
  song.patterns.resize(static_cast<std::size_t>(patterns));
  for (Pattern& p : song.patterns) readPattern(r, p, song.channels.size());

  // Samples are the file's last bytes: whatever lies between them and the patterns is
  // skipped. A file too short for that is cut short, and its samples follow the patterns.
  if (r.size() > sampleBytes + kSignatureOffset && r.size() - sampleBytes >= r.tell()) r.seek(r.size() - sampleBytes);
  for (SongSample* s : song.samples) {
    cutSample(*s, static_cast<std::uint32_t>(std::min<std::size_t>(s->length, r.remaining())));
    if (s->length == 0) continue;
    if (const EngineError e = uploadSample(sink, *s, r.here(), s->length, mode::k8Bits | mode::kSigned);
        e != EngineError::kNone)
      return e;
    r.skip(s->length);
  }
  return EngineError::kNone;
}

}  // namespace korvo::sound::music
