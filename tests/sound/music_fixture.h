// Shared set-up for music player tests: a player on the tracing engine and songs written in
// code, played one tick at a time.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/music/music_player.h"
#include "trace_engine.h"
#include "xm_writer.h"

namespace korvo::sound::test {

class MusicTest : public ::testing::Test {
 protected:
  // Loads and starts the song, freeing the one played before (so voices start on channel 0).
  music::Song* play(const XmSongSpec& spec) { return playBytes(writeXm(spec)); }
  // The same for a module of any format.
  music::Song* playBytes(std::vector<std::uint8_t> bytes) {
    if (last_) player_.freeSong(last_);
    last_ = nullptr;
    bytes_ = std::move(bytes);
    started_ = engine_.mixed;
    music::Song* song = player_.loadSongFromMemory(bytes_.data(), bytes_.size());
    EXPECT_NE(song, nullptr) << "error " << engine_.error;
    if (song) {
      EXPECT_TRUE(player_.playSong(song));
    }
    last_ = song;
    return song;
  }
  // Runs exactly one tick of song (ticks start at the beginning of each run).
  void tick(const music::Song* song) { engine_.run(song->samplesPerTick); }
  // The volume of each tick over count ticks on an engine channel.
  std::vector<int> volumes(const music::Song* song, int count, int channel = 0) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
      tick(song);
      out.push_back(engine_.channels[static_cast<std::size_t>(channel)].volume);
    }
    return out;
  }
  std::vector<int> frequencies(const music::Song* song, int count, int channel = 0) {
    std::vector<int> out;
    for (int i = 0; i < count; ++i) {
      tick(song);
      out.push_back(engine_.channels[static_cast<std::size_t>(channel)].frequency);
    }
    return out;
  }

  // One instrument with one looped 8-bit sample.
  static XmInstrumentSpec plainInstrument(std::uint8_t volume = 64) {
    XmInstrumentSpec in;
    XmSampleSpec s;
    s.loopType = 1;
    s.loopLength = 64;
    s.volume = volume;
    in.samples.push_back(s);
    return in;
  }

  TraceEngine engine_;
  music::MusicPlayer player_{engine_};
  std::vector<std::uint8_t> bytes_;
  music::Song* last_ = nullptr;
  // Output sample at which the last song started.
  std::int64_t started_ = 0;
};

}  // namespace korvo::sound::test
