// korvo-run with the output written to a scratch WAV file; the file's header is checked
// before its samples are believed.
#include "program_runs.h"

#include <sstream>

#include "startup/program_builder.h"

namespace korvo::sound::test {
namespace {

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

}  // namespace

std::vector<std::string> logged(const ProgramRun& run, const std::string& word) {
  std::vector<std::string> lines;
  for (const std::string& line : run.log) {
    if (line.rfind(word, 0) == 0) lines.push_back(line);
  }
  return lines;
}

ProgramRun runSoundSteps(const std::string& steps) {
  testing::ScratchDir dir;
  const std::string wav = dir.file("out.wav");
  const std::string command = "cd '" + dir.path() +
                              "' && KORVO_VIDEO=headless KORVO_CLOCK=virtual KORVO_DEBUG=1 KORVO_AUDIO=wav:" + wav +
                              " '" + testing::toolPath("korvo-run") + "' '" + KORVO_SOUND_STEPS + "' " + steps;
  const testing::CommandResult result = testing::runCommand(command);
  ProgramRun run;
  run.status = result.status;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) run.log.push_back(line);
  const std::vector<std::uint8_t> file = testing::readFile(wav);
  // The writer's own 44-byte header: 16-bit stereo PCM.
  if (file.size() < 44 || le32(file, 16) != 16 || (file[22] | file[23] << 8) != 2 || (file[34] | file[35] << 8) != 16)
    return run;
  run.rate = static_cast<std::int32_t>(le32(file, 24));
  const std::size_t bytes = std::min<std::size_t>(le32(file, 40), file.size() - 44);
  run.audio.resize(bytes / 2);
  for (std::size_t i = 0; i < run.audio.size(); ++i)
    run.audio[i] = static_cast<std::int16_t>(file[44 + 2 * i] | file[45 + 2 * i] << 8);
  return run;
}

}  // namespace korvo::sound::test
