// Whole runs of the sound tests' program (programs/sound_steps.cpp): korvo-run headless on
// the virtual clock with the WAV output, its log lines and the file it left read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::sound::test {

struct ProgramRun {
  int status = -1;
  std::vector<std::string> log;     // the program's log lines, in order
  std::vector<std::int16_t> audio;  // the output file's interleaved stereo samples
  std::int32_t rate = 0;            // its sample rate

  std::size_t frames() const { return audio.size() / 2; }
  std::int16_t left(std::size_t frame) const { return audio[2 * frame]; }
  std::int16_t right(std::size_t frame) const { return audio[2 * frame + 1]; }
};

// The log lines that start with word.
std::vector<std::string> logged(const ProgramRun& run, const std::string& word);

// Runs the program with steps as its command line, in a scratch folder of its own.
ProgramRun runSoundSteps(const std::string& steps);

}  // namespace korvo::sound::test
