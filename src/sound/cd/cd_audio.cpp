// The drive table: drive arguments, folders, track files, and opening a drive on first use.
#include "sound/cd/cd_audio.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "backend/clock.h"
#include "backend/path_resolver.h"
#include "sound/engine/engine_error.h"

namespace korvo::sound::cd {
namespace {

constexpr const char* kDefaultVariable = "KORVO_CDROM";
constexpr const char* kDefaultFolder = "cdaudio";
// The timeline unit runs after the block is cleared and before its sounds are mixed.
constexpr std::int32_t kTimelinePriority = dsp::kSoundEffects - 1;

// The table index for a drive argument: 0 for 0, 1..26 for a letter; -1 for anything else.
int driveIndex(std::int32_t drive) {
  if (drive == 0) return 0;
  if (drive >= 'A' && drive <= 'Z') return drive - 'A' + 1;
  if (drive >= 'a' && drive <= 'z') return drive - 'a' + 1;
  return -1;
}

// The track number of a file named trackNN.<anything> (any case), else 0.
int trackNumber(const std::string& name) {
  if (name.size() < 9 || name[7] != '.') return 0;
  for (std::size_t i = 0; i < 5; ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) != "track"[i]) return 0;
  }
  if (!std::isdigit(static_cast<unsigned char>(name[5])) || !std::isdigit(static_cast<unsigned char>(name[6])))
    return 0;
  return (name[5] - '0') * 10 + (name[6] - '0');
}

}  // namespace

std::string driveFolder(int drive, const std::string& programDir) {
  if (drive == 0) {
    if (const char* named = std::getenv(kDefaultVariable); named && *named) return named;
    return (std::filesystem::path(programDir) / kDefaultFolder).string();
  }
  const std::string variable = std::string(kDefaultVariable) + "_" + static_cast<char>('A' + drive - 1);
  const char* named = std::getenv(variable.c_str());
  return named ? named : "";
}

std::vector<std::string> trackFiles(const std::string& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.filename() < b.filename(); });
  // Of two files with one number, the first in name order.
  std::map<int, std::string> byNumber;
  for (const auto& file : files) {
    if (const int number = trackNumber(file.filename().string())) byNumber.emplace(number, file.string());
  }
  std::vector<std::string> tracks;
  for (int n = 1; byNumber.count(n); ++n) tracks.push_back(byNumber[n]);
  return tracks;
}

CdAudio::CdAudio(OutputMaker makeOutput, std::string programDir)
    : makeOutput_(std::move(makeOutput)), programDir_(std::move(programDir)) {}

CdAudio::~CdAudio() {
  close();
  if (timeline_) engine_->freeDspUnit(timeline_);
}

void CdAudio::followTimeline(SoundEngine& engine) {
  engine_ = &engine;
  framesSeen_ = 0;
  timeline_ = engine.createDspUnit(
      [this](void* buffer, std::int32_t, std::int32_t n) { return timelineBlock(buffer, n); }, kTimelinePriority, true);
}

void* CdAudio::timelineBlock(void* buffer, std::int32_t samples) {
  // Whole milliseconds x 256 of the frames so far, so that no rounding adds up.
  const std::int64_t rate = engine_->mixRate();
  const CdTime before = framesSeen_ * kCdMs * 1000 / rate;
  framesSeen_ += samples;
  pending_ += framesSeen_ * kCdMs * 1000 / rate - before;
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock()) return buffer;
  advanceDrives(pending_);
  pending_ = 0;
  return buffer;
}

void CdAudio::advanceDrives(CdTime elapsed) {
  for (auto& d : drives_) {
    if (d && d->isOpen()) d->advance(elapsed);
  }
}

CdDrive* CdAudio::openDrive(std::int32_t drive) {
  const int index = driveIndex(drive);
  if (index < 0) {
    setError(EngineError::kInvalidArgument);
    return nullptr;
  }
  std::unique_ptr<CdDrive>& d = drives_[static_cast<std::size_t>(index)];
  if (d && d->isOpen()) return d.get();
  const std::string named = driveFolder(index, programDir_);
  const std::string folder = named.empty() ? named : platform::resolvePath(named);
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
    setError(EngineError::kCdOpen);
    return nullptr;
  }
  if (!d) d = std::make_unique<CdDrive>(makeOutput_());
  d->open(trackFiles(folder), platform::clock().now());
  return d.get();
}

bool CdAudio::playTrack(std::int32_t drive, std::int32_t track) {
  return withDrive(drive, [track](CdDrive& d) { return d.playTrack(track); });
}

bool CdAudio::stop(std::int32_t drive) {
  return withDrive(drive, [](CdDrive& d) { return d.stop(); });
}

bool CdAudio::setPaused(std::int32_t drive, bool paused) {
  return withDrive(drive, [paused](CdDrive& d) { return d.setPaused(paused); });
}

bool CdAudio::setPlayMode(std::int32_t drive, std::int32_t mode) {
  return withDrive(drive, [mode](CdDrive& d) {
    if (mode < 0 || mode > 3) {
      setError(EngineError::kInvalidArgument);
      return false;
    }
    return d.setPlayMode(static_cast<PlayMode>(mode));
  });
}

bool CdAudio::setVolume(std::int32_t drive, std::int32_t volume) {
  return withDrive(drive, [volume](CdDrive& d) {
    d.setVolume(volume);
    return true;
  });
}

void CdAudio::close() {
  if (engine_) engine_->pump();
  std::lock_guard lock(mutex_);
  for (auto& d : drives_) {
    if (d) d->close();
  }
}

}  // namespace korvo::sound::cd
