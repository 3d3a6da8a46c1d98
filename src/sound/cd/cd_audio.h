// CD audio: the table of 27 drives (0 the default drive, 1..26 the drives A..Z), each a folder
// of track files opened on its first use. Drive 0 is the folder KORVO_CDROM names, else
// "cdaudio" beside the program; drive X the folder KORVO_CDROM_X names, if any. Its tracks
// are the files trackNN.* (01 upward, in any case) in track order. Operations take the drive
// as a character: 0 or a letter of either case; anything else is code 14, a drive without its
// folder code 19. Every operation, and the drives' time, is under one lock (sound_engine.h
// places it among the engine's: the timeline unit only tries it, inside a pass).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sound/cd/cd_drive.h"
#include "sound/engine/sound_engine.h"

namespace korvo::sound::cd {

inline constexpr int kDrives = 27;

// The folder of a drive (0..26), "" when none is named; programDir stands for the program's
// own folder.
std::string driveFolder(int drive, const std::string& programDir);
// The track files of a folder in track order: track01.*, track02.* ... up to the first number
// missing; empty when the folder does not exist.
std::vector<std::string> trackFiles(const std::string& folder);

class CdAudio {
 public:
  // Each drive gets an output of its own from makeOutput.
  using OutputMaker = std::function<std::unique_ptr<TrackOutput>()>;
  CdAudio(OutputMaker makeOutput, std::string programDir);
  // Closes the drives and leaves the engine's timeline.
  ~CdAudio();
  CdAudio(const CdAudio&) = delete;
  CdAudio& operator=(const CdAudio&) = delete;

  // Follows the engine's timeline: a unit of its mix chain moves the drives' time on by each
  // block, before the block's sounds are mixed, so a track's end falls at the same point of
  // the audio on every run and a track started there sounds in that very block.
  void followTimeline(SoundEngine& engine);

  bool playTrack(std::int32_t drive, std::int32_t track);
  bool stop(std::int32_t drive);
  bool setPaused(std::int32_t drive, bool paused);
  // 0 continue, 1 stop, 2 repeat, 3 random; other modes are code 14.
  bool setPlayMode(std::int32_t drive, std::int32_t mode);
  // 0..255 (clamped) on the drive's own sound.
  bool setVolume(std::int32_t drive, std::int32_t volume);

  // Stops and closes every open drive.
  void close();

  // Runs fn on the drive the argument names, opened, under the lock; false (and the code)
  // when it cannot be had.
  template <typename Fn>
  bool withDrive(std::int32_t drive, Fn fn) {
    // The engine first catches up with the clock, so that no block falls due in the middle.
    if (engine_) engine_->pump();
    std::lock_guard lock(mutex_);
    CdDrive* d = openDrive(drive);
    return d && fn(*d);
  }

 private:
  CdDrive* openDrive(std::int32_t drive);
  void advanceDrives(CdTime elapsed);
  // The timeline unit's block: the drives play the block about to be mixed.
  void* timelineBlock(void* buffer, std::int32_t samples);

  OutputMaker makeOutput_;
  SoundEngine* engine_ = nullptr;
  DspUnit* timeline_ = nullptr;
  // Frames the timeline has seen, and time it could not hand on while an operation held the
  // lock (the unit only tries it: an operation may be waiting for the pass the unit is in).
  std::int64_t framesSeen_ = 0;
  CdTime pending_ = 0;
  std::string programDir_;
  std::mutex mutex_;
  std::array<std::unique_ptr<CdDrive>, kDrives> drives_;
};

}  // namespace korvo::sound::cd
