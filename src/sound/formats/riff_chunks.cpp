// RIFF chunk walk. Chunks follow at size + 8, plus a pad byte after odd sizes; the walk ends
// at the RIFF size or the file's end, whichever comes first, so sizes from the file never
// drive reads or allocations past the data actually present.
#include "sound/formats/riff_chunks.h"

#include <algorithm>
#include <array>
#include <map>

#include "sound/formats/byte_reader.h"

namespace korvo::sound::formats {
namespace {

constexpr std::size_t kFormatRecord = 40;
constexpr std::size_t kSamplerRecord = 60;
constexpr std::size_t kCueRecord = 24;
constexpr std::size_t kMaxCueName = 255;
// Sizes at or above this are negative to the walk; only "data" may carry one (streamed files).
constexpr std::uint32_t kNegative = 0x80000000u;

void readFormat(SoundFile& file, std::int64_t size, RiffWave& wave) {
  if (wave.haveFormat || size < 16) return;
  std::array<std::uint8_t, kFormatRecord> f{};
  file.read(f.data(), 1, static_cast<std::size_t>(std::min<std::int64_t>(size, kFormatRecord)));
  wave.haveFormat = true;
  ByteReader r(f.data(), f.size());
  wave.tag = r.u16le();
  wave.channels = r.u16le();
  wave.rate = r.u32le();
  wave.byteRate = r.u32le();
  wave.blockAlign = r.u16le();
  wave.bits = r.u16le();
  if (wave.tag == kWaveTagExtensible && size >= static_cast<std::int64_t>(kFormatRecord)) {
    r.seek(24);  // the sub-format's first two bytes are the tag
    wave.tag = r.u16le();
  }
}

void readSampler(SoundFile& file, std::int64_t size, RiffWave& wave) {
  if (size < static_cast<std::int64_t>(kSamplerRecord)) return;
  std::array<std::uint8_t, kSamplerRecord> s{};
  if (file.read(s.data(), 1, s.size()) != s.size()) return;
  ByteReader r(s.data(), s.size());
  r.seek(28);  // the loop count
  if (r.u32le() == 0) return;
  r.seek(44);  // the first loop's start and end
  wave.loopStart = r.u32le();
  wave.loopEnd = r.u32le();
  wave.haveLoop = wave.loopStart != 0 || wave.loopEnd != 0;
}

void readCues(SoundFile& file, std::int64_t size, RiffWave& wave) {
  std::array<std::uint8_t, kCueRecord> c{};
  if (size < 4 || file.read(c.data(), 1, 4) != 4) return;
  const std::int64_t count =
      std::min<std::int64_t>(ByteReader(c.data(), 4).u32le(), (size - 4) / static_cast<std::int64_t>(kCueRecord));
  wave.cues.clear();
  wave.cues.reserve(static_cast<std::size_t>(count));
  for (std::int64_t i = 0; i < count && file.read(c.data(), 1, c.size()) == c.size(); ++i) {
    ByteReader r(c.data(), c.size());
    const std::uint32_t id = r.u32le();
    r.seek(20);  // the sample offset
    wave.cues.push_back({id, r.u32le(), {}});
  }
}

// Labels of an associated-data list, by cue id.
void readLabels(SoundFile& file, std::int64_t start, std::int64_t size, std::map<std::uint32_t, std::string>& labels) {
  std::array<std::uint8_t, 8> head{};
  const std::int64_t end = start + size;
  std::int64_t at = start + 4;
  file.seek(start, SeekFrom::kStart);
  if (size < 4 || file.read(head.data(), 1, 4) != 4 || !ByteReader(head.data(), 4).matches(0, "adtl")) return;
  while (at + 8 <= end) {
    file.seek(at, SeekFrom::kStart);
    if (file.read(head.data(), 1, 8) != 8) return;
    ByteReader r(head.data(), head.size());
    r.seek(4);
    const std::int64_t subSize = r.u32le();
    if (r.matches(0, "labl") && subSize >= 4 && at + 8 + subSize <= end) {
      std::array<std::uint8_t, 4> id{};
      std::string text(static_cast<std::size_t>(std::min<std::int64_t>(subSize - 4, kMaxCueName)), '\0');
      file.read(id.data(), 1, 4);
      text.resize(file.read(text.data(), 1, text.size()));
      text.resize(std::min(text.size(), text.find('\0')));
      labels[ByteReader(id.data(), id.size()).u32le()] = std::move(text);
    }
    at += 8 + subSize + (subSize & 1);
  }
}

}  // namespace

bool readRiffWave(SoundFile& file, RiffWave& wave) {
  std::array<std::uint8_t, 12> head{};
  file.seek(0, SeekFrom::kStart);
  ByteReader r(head.data(), head.size());
  if (file.read(head.data(), 1, head.size()) != head.size() || !r.matches(0, "RIFF")) return false;
  // Writers that stream leave the RIFF size 0: the file's end bounds the walk then.
  r.seek(4);
  const std::uint32_t riffSize = r.u32le();
  const std::int64_t end = riffSize < 4 ? file.length() : std::min(std::int64_t{riffSize} + 8, file.length());
  std::map<std::uint32_t, std::string> labels;
  std::int64_t at = 12;
  while (at + 8 <= end) {
    file.seek(at, SeekFrom::kStart);
    if (file.read(head.data(), 1, 8) != 8) break;
    r.seek(4);
    const std::uint32_t size = r.u32le();
    const std::int64_t body = at + 8;
    const std::int64_t present = std::min<std::int64_t>(size, file.length() - body);
    if (r.matches(0, "data") && !wave.haveData) {
      wave.haveData = true;
      wave.dataOffset = body;
      wave.dataSize = present;
    }
    if (size >= kNegative) break;
    if (r.matches(0, "fmt ")) readFormat(file, present, wave);
    else if (r.matches(0, "smpl")) readSampler(file, present, wave);
    else if (r.matches(0, "cue ")) readCues(file, present, wave);
    else if (r.matches(0, "LIST")) readLabels(file, body, present, labels);
    at = body + size + (size & 1);
  }
  for (RiffWave::Cue& cue : wave.cues) {
    auto it = labels.find(cue.id);
    if (it != labels.end()) cue.name = it->second;
  }
  return true;
}

}  // namespace korvo::sound::formats
