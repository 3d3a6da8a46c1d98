// The drive's disc, its play modes and its shuffle order. A track plays on to the end of the
// disc unless the end-of-track handling, 100 ms before a track's end, does otherwise.
#include "sound/cd/cd_drive.h"

#include <algorithm>
#include <numeric>

namespace korvo::sound::cd {
namespace {

// The end-of-track event comes this long before a track's end.
constexpr CdTime kEarly = 100 * kCdMs;

}  // namespace

void CdDrive::open(std::vector<std::string> tracks, std::uint32_t seed) {
  tracks_ = std::move(tracks);
  lengthsMs_.clear();
  for (const std::string& path : tracks_) lengthsMs_.push_back(std::max<std::int64_t>(0, output_->length(path)));
  random_.seed(seed);
  reshuffle();
  shuffleIndex_ = shuffleStart_ = 0;
  current_ = tracks_.empty() ? 0 : 1;
  open_ = true;
}

void CdDrive::close() {
  stop();
  open_ = false;
  tracks_.clear();
  lengthsMs_.clear();
}

std::int64_t CdDrive::trackLengthMs(std::int32_t track) const {
  if (track < 1 || track > trackCount()) return -1;
  return lengthsMs_[static_cast<std::size_t>(track - 1)];
}

void CdDrive::reshuffle() {
  std::iota(shuffle_.begin(), shuffle_.end(), std::uint16_t{1});
  for (int i = 0; i < kShuffleEntries; ++i)
    std::swap(shuffle_[static_cast<std::size_t>(i)], shuffle_[random_() % kShuffleEntries]);
}

bool CdDrive::startTrack(std::int32_t track) {
  if (track < 1 || track > trackCount()) return false;
  if (!output_->start(tracks_[static_cast<std::size_t>(track - 1)])) return false;
  output_->setVolume(volume_);
  current_ = track;
  position_ = 0;
  playing_ = true;
  return true;
}

bool CdDrive::playTrack(std::int32_t track) {
  if (!open_ || !startTrack(track)) return false;
  if (!startingFromShuffle_ && !paused_) {
    for (int k = 0; k < kShuffleEntries; ++k) {
      const int at = (shuffleIndex_ + k) % kShuffleEntries;
      if (shuffle_[static_cast<std::size_t>(at)] == track) {
        shuffleIndex_ = shuffleStart_ = at;
        break;
      }
    }
  }
  paused_ = false;
  startTimer();
  return true;
}

bool CdDrive::stop() {
  due_ = -1;
  paused_ = false;
  if (playing_) output_->stop();
  playing_ = false;
  return open_;
}

bool CdDrive::setPaused(bool paused) {
  if (!open_) return false;
  if (paused) {
    if (playing_) output_->setPaused(true);
    due_ = -1;
    paused_ = true;
    return true;
  }
  if (playing_ && paused_) {
    output_->setPaused(false);
    startTimer();
  }
  paused_ = false;
  return true;
}

bool CdDrive::setPlayMode(PlayMode mode) {
  mode_ = mode;
  return open_;
}

void CdDrive::setVolume(std::int32_t volume) {
  volume_ = std::clamp(volume, 0, 255);
  if (playing_) output_->setVolume(volume_);
}

void CdDrive::startTimer() {
  const CdTime length = trackLengthMs(current_) * kCdMs;
  due_ = length - position_ - kEarly >= kCdMs ? length - kEarly : -1;
}

void CdDrive::advance(CdTime elapsed) {
  if (!playing_ || paused_) return;
  if (due_ >= 0 && position_ >= due_) {
    due_ = -1;
    endOfTrack();
    if (!playing_) return;
  }
  if (position_ >= trackLengthMs(current_) * kCdMs) {
    // The disc plays on: the next track, or silence after the last.
    if (current_ < trackCount() && startTrack(current_ + 1)) {
      startTimer();
    } else {
      output_->stop();
      playing_ = false;
      return;
    }
  }
  position_ += elapsed;
}

void CdDrive::endOfTrack() {
  switch (mode_) {
    case PlayMode::kStop: stop(); break;
    case PlayMode::kRepeat:
      if (startTrack(current_)) startTimer();
      break;
    case PlayMode::kRandom:
      if (trackCount() > 0) {
        startingFromShuffle_ = true;
        playTrack(nextRandomTrack());
        startingFromShuffle_ = false;
      }
      break;
    case PlayMode::kContinue:
      // After the last track the disc is over; else the drive goes on into the next one at
      // this track's end, and arms the event again there.
      if (current_ >= trackCount()) stop();
      break;
  }
}

std::int32_t CdDrive::nextRandomTrack() {
  for (;;) {
    shuffleIndex_ = (shuffleIndex_ + 1) % kShuffleEntries;
    if (shuffleIndex_ == shuffleStart_) reshuffle();
    const std::int32_t track = shuffle_[static_cast<std::size_t>(shuffleIndex_)];
    if (track <= trackCount()) return track;
  }
}

}  // namespace korvo::sound::cd
