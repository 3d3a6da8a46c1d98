// Sound files that no one here made, from Debian packages: every format and layout the
// loaders must take, and the same sound in three formats decoding to agreeing lengths.
#include <gtest/gtest.h>

#include <cstdlib>

#include "debian_files.h"
#include "sound_builders.h"
#include "sound/formats/format_loaders.h"

namespace korvo::sound::formats {
namespace {

struct Expected {
  const char* package;
  const char* member;
  int rate;
  int channels;
  int bits;
};

DecodedAudio load(const std::string& package, const std::string& member) {
  const std::string path = test::debianFile(package, member);
  if (path.empty()) return {};
  auto file = SoundFile::open(path);
  DecodedAudio a;
  EXPECT_TRUE(file) << path;
  if (file) {
    EXPECT_EQ(decodeSound(*file, 0x2130, a), EngineError::kNone) << path;
  }
  return a;
}

#define LOAD_OR_SKIP(var, package, member)        \
  const DecodedAudio var = load(package, member); \
  if (test::debianFile(package, member).empty()) GTEST_SKIP() << "package " << package << " unavailable"

TEST(RealSoundFilesTest, WavAiffOggAndMp3FilesLoadWithTheirFormats) {
  const Expected files[] = {
      {"ltris", "/usr/share/games/ltris/sounds/stop.wav", 22050, 1, 8},
      {"freedroid-data", "/usr/share/games/freedroid/sound/Screenshot.wav", 22050, 2, 8},
      {"open-invaders-data", "/usr/share/open-invaders/shoot.wav", 44100, 1, 16},
      {"freedroid-data", "/usr/share/games/freedroid/sound/Move_Menu_Position_Sound_0.wav", 22050, 2, 16},
      {"heroes-sound-effects", "/usr/share/games/heroes/sfx/menu02.wav", 11025, 1, 8},
      {"pachi-data", "/usr/share/pachi/sounds/stageready.wav", 11025, 1, 16},  // MS-ADPCM
      {"kbounce", "/usr/share/kbounce/sounds/seconds.wav", 8000, 1, 16},       // µ-law
      {"csound-doc", "/usr/share/doc/csound-doc/html/examples/ahh.aiff", 22050, 1, 16},
      {"libpython3.11-testsuite", "/usr/lib/python3.11/test/audiodata/pluck-pcm16.aiff", 11025, 2, 16},
      {"sound-theme-freedesktop", "/usr/share/sounds/freedesktop/stereo/phone-outgoing-calling.oga", 8000, 1, 16},
      {"sound-theme-freedesktop", "/usr/share/sounds/freedesktop/stereo/dialog-information.oga", 44100, 2, 16},
      {"libmp3-tag-perl", "/usr/share/doc/libmp3-tag-perl/examples/empty.mp3", 8000, 1, 16},
  };
  int loaded = 0;
  for (const Expected& e : files) {
    if (test::debianFile(e.package, e.member).empty()) continue;
    const DecodedAudio a = load(e.package, e.member);
    EXPECT_EQ(a.rate, e.rate) << e.member;
    EXPECT_EQ(a.channels, e.channels) << e.member;
    EXPECT_EQ(a.bits, e.bits) << e.member;
    EXPECT_GT(a.frames, 0) << e.member;
    EXPECT_EQ(a.pcm.size(), static_cast<std::size_t>(a.frames * a.frameBytes())) << e.member;
    ++loaded;
  }
  if (loaded == 0) GTEST_SKIP() << "no package with test sounds could be fetched";
}

TEST(RealSoundFilesTest, OddDataLengthWithoutPadByteIsCutToTheFile) {
  LOAD_OR_SKIP(a, "heroes-sound-effects", "/usr/share/games/heroes/sfx/menu02.wav");
  EXPECT_EQ(a.frames, 2105);
}

TEST(RealSoundFilesTest, SamplerLoopOfARealFile) {
  LOAD_OR_SKIP(a, "csound-doc", "/usr/share/doc/csound-doc/html/examples/Church.wav.gz");
  EXPECT_TRUE(a.loopFound);
  EXPECT_EQ(a.loopStart, 4529);
  EXPECT_EQ(a.loopEnd, 4911);
}

TEST(RealSoundFilesTest, CompressedWavDecodesToItsDeclaredLength) {
  LOAD_OR_SKIP(adpcm, "pachi-data", "/usr/share/pachi/sounds/stageready.wav");
  EXPECT_EQ(adpcm.frames, 8000);
  LOAD_OR_SKIP(ulaw, "kbounce", "/usr/share/kbounce/sounds/seconds.wav");
  EXPECT_EQ(ulaw.frames, 330);
}

// Lengths in frames of one sound as WAV, Ogg Vorbis and MP3; MP3 may add up to two frames of
// encoder padding.
void expectAgreeingLengths(const char* package, const std::string& stem, bool gzipped) {
  const std::string gz = gzipped ? ".gz" : "";
  const DecodedAudio wav = load(package, stem + ".wav" + gz);
  const DecodedAudio ogg = load(package, stem + ".ogg" + gz);
  const DecodedAudio mp3 = load(package, stem + ".mp3" + gz);
  ASSERT_GT(wav.frames, 0);
  EXPECT_EQ(ogg.frames, wav.frames);
  EXPECT_NEAR(mp3.frames, wav.frames, 2 * 1152);
  EXPECT_EQ(ogg.rate, wav.rate);
  EXPECT_EQ(mp3.rate, wav.rate);
}

TEST(RealSoundFilesTest, OneSoundInThreeFormatsDecodesToAgreeingLengths) {
  if (test::debianFile("csound-doc", "/usr/share/doc/csound-doc/html/examples/beats.wav.gz").empty())
    GTEST_SKIP() << "package csound-doc unavailable";
  expectAgreeingLengths("csound-doc", "/usr/share/doc/csound-doc/html/examples/beats", true);
  if (test::debianFile("python-pygame-doc", "/usr/share/doc/python-pygame-doc/examples/data/house_lo.wav").empty())
    GTEST_SKIP() << "package python-pygame-doc unavailable";
  expectAgreeingLengths("python-pygame-doc", "/usr/share/doc/python-pygame-doc/examples/data/house_lo", false);
}

// None of the packaged MP3 files carries an ID3v2 tag, so one is put before a real stream.
TEST(RealSoundFilesTest, RealMp3BehindAnId3v2TagDecodesAlike) {
  LOAD_OR_SKIP(bare, "csound-doc", "/usr/share/doc/csound-doc/html/examples/beats.mp3.gz");
  auto file = SoundFile::open(test::debianFile("csound-doc", "/usr/share/doc/csound-doc/html/examples/beats.mp3.gz"));
  test::Bytes tagged = test::id3Tag(3000);
  const std::size_t tag = tagged.size();
  tagged.resize(tag + static_cast<std::size_t>(file->length()));
  file->read(tagged.data() + tag, 1, tagged.size() - tag);
  auto memory = SoundFile::openMemory(tagged.data(), tagged.size());
  DecodedAudio a;
  ASSERT_EQ(decodeSound(*memory, 0x2130, a), EngineError::kNone);
  EXPECT_EQ(a.frames, bare.frames);
  EXPECT_EQ(a.pcm, bare.pcm);
}

}  // namespace
}  // namespace korvo::sound::formats
