// The audio commands on a driver over a private engine: sound defaults and when they apply,
// debug-mode validation, channel control, the channel slot table, music files through
// stand-in sources, CD tracks, and shutdown order.
#include <unistd.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "core/kv_string.h"
#include "engine_fixture.h"
#include "base/kv_ex.h"
#include "sound/audio/audio_commands.h"
#include "sound/audio/audio_driver.h"
#include "sound_builders.h"

namespace korvo::sound::test {
namespace {

using korvo::test::Bytes;

// A CD drive's output that writes down what it is asked.
class CdEvents final : public cd::TrackOutput {
 public:
  explicit CdEvents(std::vector<std::string>& events) : events_(events) {}
  std::int64_t length(const std::string&) override { return 60000; }
  bool start(const std::string& path) override {
    events_.push_back("start " + std::filesystem::path(path).filename().string());
    return true;
  }
  void stop() override { events_.push_back("stop"); }
  void setPaused(bool paused) override { events_.push_back(paused ? "pause" : "resume"); }
  void setVolume(std::int32_t volume) override { events_.push_back("volume " + std::to_string(volume)); }

 private:
  std::vector<std::string>& events_;
};

class AudioCommandsTest : public EngineTest {
 protected:
  void startDriver(int channels = 32) {
    start(44100, channels);
    auto cdOutput = [this] { return std::make_unique<CdEvents>(cdEvents_); };
    driver_ = std::make_unique<AudioDriver>(engine_, cdOutput, "/nowhere");
    setCommandAudio(driver_.get());
  }
  void TearDown() override {
    setCommandAudio(nullptr);
    driver_.reset();
    setDebugMode(false);
    for (const auto& f : files_) std::filesystem::remove(f);
    EngineTest::TearDown();
  }
  // A 16-bit mono WAV file of frames samples at rate, looped when looped.
  std::string soundFile(int frames, int rate = 22050, bool looped = false) {
    Bytes data(static_cast<std::size_t>(frames) * 2, 0x10);
    const Bytes wav =
        looped ? korvo::test::riffWave({korvo::test::riffChunk("fmt ", korvo::test::fmtBody(1, 1, rate, 16)),
                                        korvo::test::riffChunk("smpl", korvo::test::smplBody(1, 0, frames - 1)),
                                        korvo::test::riffChunk("data", data)})
               : korvo::test::riffWave({korvo::test::riffChunk("fmt ", korvo::test::fmtBody(1, 1, rate, 16)),
                                        korvo::test::riffChunk("data", data)});
    const auto path = std::filesystem::temp_directory_path() /
                      ("korvo_audio_" + std::to_string(::getpid()) + "_" + std::to_string(files_.size()) + ".wav");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    files_.push_back(path);
    return path.string();
  }
  std::int32_t load(const std::string& path) { return cmd::LoadSound(core::newString(path)); }
  // The engine handle behind a sound channel value.
  std::int32_t engineHandle(std::int32_t value) {
    return static_cast<SoundChannel*>(driver_->channel(value))->handle();
  }

  std::unique_ptr<AudioDriver> driver_;
  std::vector<std::string> cdEvents_;
  std::vector<std::filesystem::path> files_;
};

TEST_F(AudioCommandsTest, LoadSoundReadsTheSampleDefaultsAndFailuresGiveZero) {
  EXPECT_EQ(load(soundFile(10)), 0);  // no driver: no sound
  startDriver();
  EXPECT_EQ(load("/nonexistent/korvo/sound.wav"), 0);
  const std::int32_t s = load(soundFile(100, 11025));
  ASSERT_NE(s, 0);
  const std::int32_t ch = cmd::PlaySound(s);
  ASSERT_NE(ch, 0);
  EXPECT_EQ(engine_.channelFrequency(engineHandle(ch)), 11025);
  EXPECT_EQ(engine_.channelVolume(engineHandle(ch)), 255);
  EXPECT_EQ(engine_.channelPan(engineHandle(ch)), 128);
  EXPECT_EQ(cmd::ChannelPlaying(ch), 1);
  // Program spellings: backslashes and another letter case.
  std::string spelled = soundFile(100);
  for (char& c : spelled) c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_NE(load(spelled), 0);
}

TEST_F(AudioCommandsTest, DefaultsApplyAtTheNextPlayAndZeroKeepsThePreviousValue) {
  startDriver();
  const std::int32_t s = load(soundFile(1000, 22050, true));
  const std::int32_t first = cmd::PlaySound(s);
  cmd::SoundVolume(s, 0.5f);
  cmd::SoundPitch(s, 8000);
  cmd::SoundPan(s, 1.0f);
  EXPECT_EQ(engine_.channelVolume(engineHandle(first)), 255);  // the playing channel keeps its values
  EXPECT_EQ(engine_.channelFrequency(engineHandle(first)), 22050);
  const std::int32_t second = cmd::PlaySound(s);
  EXPECT_EQ(engine_.channelVolume(engineHandle(second)), 127);
  EXPECT_EQ(engine_.channelFrequency(engineHandle(second)), 8000);
  EXPECT_EQ(engine_.channelPan(engineHandle(second)), 255);
  cmd::SoundVolume(s, 0.0f);  // 0 is not stored: 127 stays
  cmd::SoundPan(s, -1.0f);    // pan 0 likewise: 255 stays
  const std::int32_t third = cmd::PlaySound(s);
  EXPECT_EQ(engine_.channelVolume(engineHandle(third)), 127);
  EXPECT_EQ(engine_.channelPan(engineHandle(third)), 255);
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
}

TEST_F(AudioCommandsTest, SoundHandlesAreCheckedOnlyInDebugMode) {
  startDriver();
  cmd::LoopSound(12345);  // no check: nothing happens
  EXPECT_EQ(cmd::PlaySound(12345), 0);
  cmd::FreeSound(12345);
  setDebugMode(true);
  EXPECT_EQ(cmd::PlaySound(0), 0);
  cmd::FreeSound(12345);  // never checked
  for (auto command :
       {+[] { cmd::LoopSound(12345); }, +[] { cmd::SoundPitch(12345, 1); }, +[] { cmd::SoundVolume(12345, 1); },
        +[] { cmd::SoundPan(12345, 0); }, +[] { cmd::PlaySound(12345); }}) {
    try {
      command();
      ADD_FAILURE() << "no error";
    } catch (const KvEx& e) {
      EXPECT_STREQ(e.message, "Sound does not exist");
    }
  }
  const std::int32_t s = load(soundFile(10));
  cmd::FreeSound(s);
  EXPECT_THROW(cmd::PlaySound(s), KvEx);  // freed: gone from the set
}

TEST_F(AudioCommandsTest, WithoutADriverSoundCommandsDoNothingEvenInDebugMode) {
  // The engine would not start: the program runs silent, and no sound command ends it.
  setDebugMode(true);
  const std::int32_t s = load(soundFile(10));
  EXPECT_EQ(s, 0);
  cmd::LoopSound(s);
  cmd::SoundPitch(7, 8000);
  cmd::SoundVolume(7, 0.5f);
  cmd::SoundPan(7, 0.0f);
  EXPECT_EQ(cmd::PlaySound(7), 0);
  cmd::FreeSound(7);
}

TEST_F(AudioCommandsTest, ChannelCommandsMapFloatsOntoTheEngine) {
  startDriver();
  const std::int32_t s = load(soundFile(1000, 22050, true));
  cmd::LoopSound(s);
  const std::int32_t ch = cmd::PlaySound(s);
  const std::int32_t h = engineHandle(ch);
  cmd::ChannelVolume(ch, 0.5f);
  EXPECT_EQ(engine_.channelVolume(h), 127);
  cmd::ChannelVolume(ch, 7.0f);
  EXPECT_EQ(engine_.channelVolume(h), 255);
  cmd::ChannelPan(ch, -1.0f);
  EXPECT_EQ(engine_.channelPan(h), 0);
  cmd::ChannelPan(ch, 0.0f);
  EXPECT_EQ(engine_.channelPan(h), 127);
  cmd::ChannelPitch(ch, 30000);
  EXPECT_EQ(engine_.channelFrequency(h), 30000);
  cmd::PauseChannel(ch);
  EXPECT_TRUE(engine_.isChannelPaused(h));
  cmd::ResumeChannel(ch);
  EXPECT_FALSE(engine_.isChannelPaused(h));
  cmd::StopChannel(ch);
  EXPECT_EQ(cmd::ChannelPlaying(ch), 0);
  for (std::int32_t nothing : {0, 99999}) {
    cmd::StopChannel(nothing);
    cmd::ChannelVolume(nothing, 1.0f);
    EXPECT_EQ(cmd::ChannelPlaying(nothing), 0);
  }
  cmd::ChannelVolume(ch, std::nanf(""));  // stays defined
}

TEST_F(AudioCommandsTest, FreeSoundStopsItsChannels) {
  startDriver();
  const std::int32_t s = load(soundFile(1000, 22050, true));
  const std::int32_t ch = cmd::PlaySound(s);
  ASSERT_EQ(cmd::ChannelPlaying(ch), 1);
  cmd::FreeSound(s);
  EXPECT_EQ(cmd::ChannelPlaying(ch), 0);
}

TEST_F(AudioCommandsTest, SlotTableDoublesWhenEveryChannelStillPlays) {
  startDriver(4200);  // enough engine channels that none is stolen
  const std::int32_t s = load(soundFile(64, 22050, true));
  std::set<std::int32_t> values;
  for (int i = 0; i < 4097; ++i) {
    const std::int32_t ch = cmd::PlaySound(s);
    ASSERT_NE(ch, 0);
    values.insert(ch);
  }
  EXPECT_EQ(values.size(), 4097u);
  EXPECT_EQ(driver_->slotCount(), 8192u);
}

TEST_F(AudioCommandsTest, ChannelValuesOfStolenOrStoppedSoundsAreReused) {
  startDriver(4);
  const std::int32_t s = load(soundFile(64, 22050, true));
  std::set<std::int32_t> values;
  for (int i = 0; i < 4100; ++i) values.insert(cmd::PlaySound(s));
  // The engine steals its four channels over and over; the old values stop counting as
  // playing, so the search reuses them instead of growing the table.
  EXPECT_EQ(driver_->slotCount(), 4096u);
  EXPECT_EQ(values.size(), 4096u);
}

struct MusicLog {
  std::vector<std::string> events;
};

class FakeStream final : public StreamPlayback {
 public:
  FakeStream(MusicLog& log, std::string name) : log_(log), name_(std::move(name)) {}
  ~FakeStream() override { log_.events.push_back("close " + name_); }
  std::int32_t play() override {
    log_.events.push_back("play " + name_);
    return -1;
  }
  void stop() override { log_.events.push_back("stop " + name_); }

 private:
  MusicLog& log_;
  std::string name_;
};

class FakeSong final : public SongPlayback {
 public:
  FakeSong(MusicLog& log, std::string name) : log_(log), name_(std::move(name)) {}
  ~FakeSong() override { log_.events.push_back("free " + name_); }
  void play() override { log_.events.push_back("play " + name_); }
  void stop() override { log_.events.push_back("stop " + name_); }
  void setPaused(bool paused) override { log_.events.push_back(paused ? "pause" : "resume"); }
  void setMasterVolume(std::int32_t volume) override { log_.events.push_back("volume " + std::to_string(volume)); }
  bool finished() override { return false; }

 private:
  MusicLog& log_;
  std::string name_;
};

TEST_F(AudioCommandsTest, MusicFilesAreCachedByTheirExactNameAndChosenByCaseSensitiveParts) {
  MusicLog log;
  EXPECT_EQ(cmd::PlayMusic(core::newString("tune.ogg")), 0);  // no driver
  startDriver();
  driver_->setMusicSources({[&](const std::string& name) -> std::unique_ptr<StreamPlayback> {
                              if (name.find("missing") != std::string::npos) return nullptr;
                              return std::make_unique<FakeStream>(log, name);
                            },
                            [&](const std::string& name) -> std::unique_ptr<SongPlayback> {
                              if (name.find(".mid") == std::string::npos) return nullptr;
                              return std::make_unique<FakeSong>(log, name);
                            }});
  const std::int32_t tune = cmd::PlayMusic(core::newString("tune.ogg"));
  ASSERT_NE(tune, 0);
  EXPECT_EQ(cmd::PlayMusic(core::newString("tune.ogg")), tune);  // restarted, not opened again
  EXPECT_NE(cmd::PlayMusic(core::newString("Tune.ogg")), tune);  // another spelling, another object
  EXPECT_EQ(cmd::PlayMusic(core::newString("missing.mp3")), 0);
  EXPECT_EQ(cmd::PlayMusic(core::newString("LOUD.WAV")), 0);  // not ".wav": the song loaders refuse it
  const std::int32_t song = cmd::PlayMusic(core::newString("theme.mid"));
  ASSERT_NE(song, 0);
  cmd::ChannelVolume(song, 0.5f);
  cmd::PauseChannel(song);
  EXPECT_EQ(cmd::ChannelPlaying(song), 1);
  EXPECT_EQ(log.events, (std::vector<std::string>{"play tune.ogg", "stop tune.ogg", "play tune.ogg", "play Tune.ogg",
                                                  "play theme.mid", "volume 127", "pause"}));
  log.events.clear();
  driver_.reset();  // newest object first
  EXPECT_EQ(log.events, (std::vector<std::string>{"free theme.mid", "close Tune.ogg", "close tune.ogg"}));
  EXPECT_FALSE(engine_.initialised());
}

TEST_F(AudioCommandsTest, CdTracksMapTheirModesAndTheCdChannelAlwaysPlays) {
  EXPECT_EQ(cmd::PlayCDTrack(1, 1), 0);  // no driver
  startDriver();
  const std::int32_t channel = cmd::PlayCDTrack(3, 1);  // no disc: the channel still answers
  ASSERT_NE(channel, 0);
  EXPECT_EQ(cmd::ChannelPlaying(channel), 1);
  const std::filesystem::path disc =
      std::filesystem::temp_directory_path() / ("korvo-disc-" + std::to_string(::getpid()));
  std::filesystem::create_directories(disc);
  for (int t = 1; t <= 5; ++t) std::ofstream(disc / ("track0" + std::to_string(t) + ".wav")) << "x";
  setenv("KORVO_CDROM", disc.c_str(), 1);
  const auto drive = [this](auto fn) { return driver_->cd().withDrive(0, fn); };
  EXPECT_EQ(cmd::PlayCDTrack(2, 2), channel);
  EXPECT_TRUE(drive([](cd::CdDrive& d) { return d.currentTrack() == 2 && d.playMode() == cd::PlayMode::kRepeat; }));
  cmd::PlayCDTrack(4, 3);
  EXPECT_TRUE(drive([](cd::CdDrive& d) { return d.currentTrack() == 4 && d.playMode() == cd::PlayMode::kContinue; }));
  cmd::PlayCDTrack(5, 7);
  EXPECT_TRUE(drive([](cd::CdDrive& d) { return d.currentTrack() == 5 && d.playMode() == cd::PlayMode::kStop; }));
  cmd::ChannelVolume(channel, 0.5f);
  cmd::PauseChannel(channel);
  EXPECT_EQ(cdEvents_,
            (std::vector<std::string>{"start track02.wav", "volume 255", "stop", "start track04.wav", "volume 255",
                                      "stop", "start track05.wav", "volume 255", "volume 127", "pause"}));
  unsetenv("KORVO_CDROM");
  std::filesystem::remove_all(disc);
}

}  // namespace
}  // namespace korvo::sound::test
