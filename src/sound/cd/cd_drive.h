// One virtual CD drive: a disc of track files played one at a time, a shuffled play order,
// and the end-of-track handling that stops, repeats, goes on with the following tracks or
// picks a random one. The drive keeps its own time: advance() moves it on while a track
// plays (the runtime clock, through the engine's timeline), so the end of a track falls at
// the same point of the audio on every run.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace korvo::sound::cd {

// What plays a drive's track files (the engine's streams, or a test's stand-in).
class TrackOutput {
 public:
  virtual ~TrackOutput() = default;
  // Milliseconds of the file's audio, or -1 when it cannot be read.
  virtual std::int64_t length(const std::string& path) = 0;
  // Starts the file from its beginning, ending what played before; false when it cannot.
  virtual bool start(const std::string& path) = 0;
  virtual void stop() = 0;
  virtual void setPaused(bool paused) = 0;
  // 0..255, on the drive's own sound alone.
  virtual void setVolume(std::int32_t volume) = 0;
};

// What happens at the end of a track.
enum class PlayMode : std::int32_t { kContinue = 0, kStop = 1, kRepeat = 2, kRandom = 3 };

// Time on the drive's clock: milliseconds x 256.
using CdTime = std::int64_t;
inline constexpr CdTime kCdMs = 256;

inline constexpr int kShuffleEntries = 256;

class CdDrive {
 public:
  explicit CdDrive(std::unique_ptr<TrackOutput> output) : output_(std::move(output)) {}

  // Opens the drive on its tracks (in track order); the shuffle order comes from seed.
  void open(std::vector<std::string> tracks, std::uint32_t seed);
  bool isOpen() const { return open_; }
  // Stops it and forgets its disc.
  void close();

  // Plays track (1..count) from its start; false when there is no such track or it will not
  // play.
  bool playTrack(std::int32_t track);
  bool stop();
  bool setPaused(bool paused);
  bool setPlayMode(PlayMode mode);
  void setVolume(std::int32_t volume);

  // The drive plays the next elapsed of its time: first what has fallen due where it stands
  // (a track's end-of-track handling 100 ms before its end; at its end, the next track, if
  // any), then its position moves on. So every change comes at the first step that starts at
  // or after its time, and a track started between steps begins with the next one.
  void advance(CdTime elapsed);

  // State, for the commands and tests.
  std::int32_t currentTrack() const { return current_; }
  std::int32_t trackCount() const { return static_cast<std::int32_t>(tracks_.size()); }
  std::int64_t trackLengthMs(std::int32_t track) const;
  PlayMode playMode() const { return mode_; }
  bool paused() const { return paused_; }
  bool playing() const { return playing_; }
  const std::array<std::uint16_t, kShuffleEntries>& shuffleOrder() const { return shuffle_; }
  std::int32_t shuffleIndex() const { return shuffleIndex_; }
  // Time into the current track.
  CdTime position() const { return position_; }

 private:
  // Starts a track's file and puts the drive at its start.
  bool startTrack(std::int32_t track);
  // Arms the end-of-track event for the current track, if it comes at least 1 ms from now.
  void startTimer();
  void endOfTrack();
  // The next shuffle entry that holds a track on the disc.
  std::int32_t nextRandomTrack();
  void reshuffle();

  std::unique_ptr<TrackOutput> output_;
  bool open_ = false;
  std::vector<std::string> tracks_;
  std::vector<std::int64_t> lengthsMs_;
  std::int32_t current_ = 0;
  PlayMode mode_ = PlayMode::kContinue;
  bool paused_ = false;
  bool playing_ = false;
  CdTime position_ = 0;
  // When the end-of-track event comes, as a position in the track; -1 when not armed.
  CdTime due_ = -1;
  std::minstd_rand random_;
  std::array<std::uint16_t, kShuffleEntries> shuffle_{};
  std::int32_t shuffleIndex_ = 0;
  std::int32_t shuffleStart_ = 0;
  bool startingFromShuffle_ = false;
  std::int32_t volume_ = 255;
};

}  // namespace korvo::sound::cd
