// The MIDI file reader on files written in code: times from the tempo map for each file type
// and division, what is skipped, the RIFF form, and damaged files that keep what is valid.
#include <gtest/gtest.h>

#include "midi_writer.h"
#include "sound/music/midi_file.h"

namespace korvo::sound::test {
namespace {

using music::MidiEvent;
using music::MidiSequence;

MidiSequence read(const MidiBytes& bytes, EngineError expect = EngineError::kNone) {
  MidiSequence seq;
  EXPECT_EQ(music::readMidiFile(bytes.data(), bytes.size(), seq), expect);
  return seq;
}

// The events' times, within a nanosecond of want.
void expectTimes(const MidiSequence& seq, const std::vector<double>& want) {
  ASSERT_EQ(seq.events.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(seq.events[i].seconds, want[i], 1e-9) << "event " << i;
}

std::vector<int> statuses(const MidiSequence& seq) {
  std::vector<int> out;
  for (const MidiEvent& e : seq.events) out.push_back(e.status);
  return out;
}

TEST(MidiFileTest, TypeZeroTimesFollowTheTempoMap) {
  // 96 ticks a quarter: at the default 120 BPM a quarter is 0.5 s; then 60 BPM (1 s).
  MidiTrack t;
  t.noteOn(0, 0, 60).noteOff(96, 0, 60).tempo(0, 1000000).noteOn(48, 0, 62).noteOff(96, 0, 62).end(96);
  const MidiSequence seq = read(midiFile(0, 96, {t}));
  expectTimes(seq, {0.0, 0.5, 1.0, 2.0});
  EXPECT_EQ(statuses(seq), (std::vector<int>{0x90, 0x80, 0x90, 0x80}));
  EXPECT_EQ(seq.events[2].data1, 62);
  EXPECT_NEAR(seq.lengthSeconds, 3.0, 1e-9);
}

TEST(MidiFileTest, TypeOneMergesTracksUnderOneTempoMap) {
  MidiTrack conductor;
  conductor.tempo(0, 250000).tempo(192, 1000000).end(0);
  MidiTrack a;
  a.program(0, 0, 5).noteOn(96, 0, 60).noteOff(192, 0, 60).end();
  MidiTrack b;
  b.noteOn(96, 1, 64).noteOff(384, 1, 64).end(10);
  const MidiSequence seq = read(midiFile(1, 96, {conductor, a, b}));
  // 240 BPM for two quarters (0.25 s each), then 60 BPM.
  expectTimes(seq, {0.0, 0.25, 0.25, 1.5, 3.5});
  // Ties keep the order of the tracks.
  EXPECT_EQ(statuses(seq), (std::vector<int>{0xC0, 0x90, 0x91, 0x80, 0x81}));
  EXPECT_NEAR(seq.lengthSeconds, 3.5 + 10.0 / 96, 1e-9);
}

TEST(MidiFileTest, TypeTwoPlaysItsTracksOneAfterAnother) {
  MidiTrack first;
  first.noteOn(0, 0, 60).noteOff(96, 0, 60).end(96);
  MidiTrack second;
  second.noteOn(0, 0, 62).end(96);
  const MidiSequence seq = read(midiFile(2, 96, {first, second}));
  expectTimes(seq, {0.0, 0.5, 1.0});
  EXPECT_NEAR(seq.lengthSeconds, 1.5, 1e-9);
}

TEST(MidiFileTest, FramesPerSecondDivisionIgnoresTempo) {
  // 25 frames a second, 40 ticks a frame: a millisecond a tick.
  const auto division = static_cast<std::uint16_t>((0x100 - 25) << 8 | 40);
  MidiTrack t;
  t.tempo(0, 1000000).noteOn(250, 0, 60).end(750);
  const MidiSequence seq = read(midiFile(0, division, {t}));
  ASSERT_EQ(seq.events.size(), 1u);
  EXPECT_NEAR(seq.events[0].seconds, 0.25, 1e-9);
  EXPECT_NEAR(seq.lengthSeconds, 1.0, 1e-9);
}

TEST(MidiFileTest, RunningStatusCarriesOverMetaAndSystemExclusiveWhichAreSkipped) {
  MidiTrack t;
  t.noteOn(0, 2, 60).event(0, {61, 90});
  t.event(0, {0xFF, 0x01, 0x03, 'a', 'b', 'c'});     // text
  t.event(0, {0xF0, 0x04, 0x7E, 0x7F, 0x09, 0xF7});  // General MIDI on
  t.event(10, {62, 0}).event(0, {0xE2, 0x00, 0x40}).event(0, {0xD2, 0x33}).event(0, {0x20}).end();
  const MidiSequence seq = read(midiFile(0, 96, {t}));
  EXPECT_EQ(statuses(seq), (std::vector<int>{0x92, 0x92, 0x92, 0xE2, 0xD2, 0xD2}));
  EXPECT_EQ(seq.events[2].data1, 62);
  EXPECT_EQ(seq.events[3].data2, 0x40);
  EXPECT_EQ(seq.events[5].data1, 0x20) << "one data byte under a channel-pressure running status";
}

TEST(MidiFileTest, RiffFormHoldsTheFileInItsDataChunk) {
  MidiTrack t;
  t.noteOn(0, 0, 60).end(96);
  const MidiBytes rmid = rmidFile(midiFile(0, 96, {t}));
  EXPECT_TRUE(music::looksLikeMidi(rmid.data(), rmid.size()));
  EXPECT_EQ(read(rmid).events.size(), 1u);

  const std::uint8_t wave[] = "RIFF\x24\0\0\0WAVEfmt ";
  const std::uint8_t video[] = "RIFF\x24\0\0\0AVI LIST";
  EXPECT_FALSE(music::looksLikeMidi(wave, sizeof wave - 1));
  EXPECT_FALSE(music::looksLikeMidi(video, sizeof video - 1));
  // Another RIFF form reaches the MIDI loader and is refused there.
  MidiBytes other = rmid;
  std::copy_n("ACON", 4, other.begin() + 8);
  EXPECT_TRUE(music::looksLikeMidi(other.data(), other.size()));
  read(other, EngineError::kUnrecognised);
}

TEST(MidiFileTest, FilesWithoutAUsableHeaderOrTrackAreRefused) {
  MidiTrack t;
  t.noteOn(0, 0, 60).end();
  MidiBytes shortHeader = midiFile(0, 96, {t});
  shortHeader[7] = 5;
  read(shortHeader, EngineError::kUnrecognised);
  read(midiFile(0, 0, {t}), EngineError::kUnrecognised);
  read(midiFile(3, 96, {t}), EngineError::kUnrecognised);
  read(midiFile(1, 96, {}), EngineError::kUnrecognised);
  const MidiBytes bare = midiFile(0, 96, {t});
  read(MidiBytes(bare.begin(), bare.begin() + 10), EngineError::kUnrecognised);
  EXPECT_FALSE(music::looksLikeMidi(bare.data() + 1, bare.size() - 1));
}

TEST(MidiFileTest, DamagedTracksKeepWhatCameBeforeTheFault) {
  // A track whose chunk claims more bytes than the file has, cut inside an event.
  MidiTrack cut;
  cut.noteOn(0, 0, 60).noteOn(96, 0, 62).raw({0x10, 0x90});
  MidiBytes truncated = midiFile(0, 96, {cut});
  truncated[21] = 0x7F;
  EXPECT_EQ(read(truncated).events.size(), 2u);
  EXPECT_NEAR(read(truncated).lengthSeconds, 0.5 + 16.0 / 96 * 0.5, 1e-9);

  // A delta time of five bytes, and running status before any status byte, end their tracks.
  MidiTrack longNumber;
  longNumber.noteOn(0, 0, 60).raw({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 0});
  MidiTrack noStatus;
  noStatus.raw({0x00, 60, 100}).noteOn(0, 1, 60);
  MidiTrack fine;
  fine.noteOn(0, 2, 60).end(96);
  const MidiSequence seq = read(midiFile(1, 96, {longNumber, noStatus, fine}));
  EXPECT_EQ(statuses(seq), (std::vector<int>{0x90, 0x92}));

  // A system message other than exclusive and meta cannot stand in a file; nor can a data
  // byte with its top bit set.
  MidiTrack common;
  common.noteOn(0, 0, 60).event(0, {0xF2, 0x00, 0x00}).noteOn(0, 0, 61);
  EXPECT_EQ(read(midiFile(0, 96, {common})).events.size(), 1u);
  MidiTrack highData;
  highData.noteOn(0, 0, 60).event(0, {0x90, 0x80, 0x10});
  EXPECT_EQ(read(midiFile(0, 96, {highData})).events.size(), 1u);
}

TEST(MidiFileTest, ATempoOfZeroLeavesTheTempoBefore) {
  MidiTrack t;
  t.tempo(0, 0).noteOn(96, 0, 60).event(0, {0xFF, 0x51, 0x01, 0x05}).noteOff(96, 0, 60).end();
  expectTimes(read(midiFile(0, 96, {t})), {0.5, 1.0});
}

TEST(MidiFileTest, HugeDeltaTimesAreHeldToTheLongestSong) {
  MidiTrack t;
  t.tempo(0, 0xFFFFFF);
  for (int i = 0; i < 100; ++i) t.noteOn(0x0FFFFFFF, 0, 60);
  t.end(0x0FFFFFFF);
  const MidiSequence seq = read(midiFile(0, 1, {t}));
  ASSERT_EQ(seq.events.size(), 100u);
  EXPECT_EQ(seq.events.back().seconds, music::kLongestMidiSeconds);
  EXPECT_EQ(seq.lengthSeconds, music::kLongestMidiSeconds);
}

}  // namespace
}  // namespace korvo::sound::test
