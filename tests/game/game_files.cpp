#include "game/game_files.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "startup/program_builder.h"

namespace korvo::testing {

std::string runLength(const std::string& cells) {
  std::string out;
  int pairs = 0;
  auto emit = [&](int n, char c, bool last) {
    out += static_cast<char>(n <= 26 ? n + 64 : n + 70);
    out += c;
    if (!last && ++pairs % 10 == 0) out += ' ';
  };
  std::size_t i = 0;
  while (i < cells.size()) {
    std::size_t j = i;
    while (j < cells.size() && cells[j] == cells[i]) ++j;
    std::size_t n = j - i;
    while (n > 52) {
      emit(52, cells[i], false);
      n -= 52;
    }
    emit(static_cast<int>(n), cells[i], j == cells.size());
    i = j;
  }
  return out;
}

std::string levelCells(const LevelText& level) {
  std::string cells;
  for (std::size_t y = 0; y < 50; ++y) {
    std::string row = y < level.rows.size() ? level.rows[y] : "";
    row.resize(50, '0');
    cells += row;
  }
  return cells;
}

std::string levelBlock(const std::string& text1, const std::string& text2, const std::string& data,
                       const std::string& length) {
  return "Tobrix Level Data - v0.1\r\n" + text1 + "\r\n" + text2 + "\r\n" + length + "\r\n" + data +
         "\r\nEnd of Tobrix Level Data - v0.1\r\n";
}

std::string packFile(const std::vector<LevelText>& levels) {
  std::string text;
  for (std::size_t i = 0; i < 20; ++i) {
    const std::string data = runLength(i < levels.size() ? levelCells(levels[i]) : std::string(4000, '0'));
    text += levelBlock(i < levels.size() ? levels[i].text1 : "", i < levels.size() ? levels[i].text2 : "", data,
                       std::to_string(data.size()));
  }
  return text;
}

std::string scoreRecord(const std::string& name, std::int32_t best, std::int32_t played, std::int32_t check) {
  std::string out = name + "\r\n";
  for (std::int32_t v : {best, played, check}) {
    for (int b = 0; b < 4; ++b) out += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * b)) & 0xff);
  }
  return out;
}

const std::string& GameRun::value(const std::string& name, std::size_t i) const {
  static const std::string kMissing = "<missing>";
  const auto it = values.find(name);
  return it == values.end() || i >= it->second.size() ? kMissing : it->second[i];
}

GameRun runGame(const std::string& folder, const std::string& module, const std::string& arguments, bool debug,
                const std::string& inputScript, const std::string& environment) {
  std::string command = "cd '" + folder + "' && env KORVO_VIDEO=headless KORVO_AUDIO=none KORVO_CLOCK=virtual ";
  if (!inputScript.empty()) {
    writeText(folder + "/input.txt", inputScript);
    command += "KORVO_INPUT=input.txt ";
  }
  // A game that stops answering its script is ended rather than left to hang the tests.
  command += environment + " timeout 300 '" + toolPath("korvo-run") + "' " + (debug ? "--debug " : "") + "'" +
             module + "' " + arguments + " 2>&1";
  const CommandResult result = runCommand(command);
  GameRun run{result.status, result.output, {}};
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t eq = line.find('=');
    if (eq != std::string::npos) run.values[line.substr(0, eq)].push_back(line.substr(eq + 1));
  }
  return run;
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void copyGameData(const std::string& folder) {
  namespace fs = std::filesystem;
  const fs::path game = fs::path(KORVO_BUILD_DIR) / "tobrix";
  for (const char* part : {"Tobrix Levels", "system"}) {
    if (fs::exists(game / part)) fs::copy(game / part, fs::path(folder) / part, fs::copy_options::recursive);
  }
}

std::pair<std::int32_t, std::int32_t> firstScore(const std::string& scoresFile) {
  const std::string scores = readText(scoresFile);
  const std::size_t line = scores.find("\r\n");
  if (line == std::string::npos || scores.size() < line + 10) return {-1, -1};
  auto at = [&](std::size_t offset) {
    std::uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = v * 256 + static_cast<std::uint8_t>(scores[offset + b]);
    return static_cast<std::int32_t>(v);
  };
  return {at(line + 2), at(line + 6)};
}

std::vector<std::uint32_t> pixels(const std::string& file) {
  FIBITMAP* loaded = FreeImage_Load(FreeImage_GetFileType(file.c_str(), 0), file.c_str(), 0);
  if (!loaded) return {};
  FIBITMAP* image = FreeImage_ConvertTo32Bits(loaded);
  FreeImage_Unload(loaded);
  const unsigned width = FreeImage_GetWidth(image), height = FreeImage_GetHeight(image);
  std::vector<std::uint32_t> out{width, height};
  // FreeImage keeps rows bottom-up.
  for (unsigned y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(FreeImage_GetScanLine(image, static_cast<int>(height - 1 - y)));
    for (unsigned x = 0; x < width; ++x) out.push_back(line[x] | 0xff000000u);
  }
  FreeImage_Unload(image);
  return out;
}

std::uint32_t pixelAt(const std::vector<std::uint32_t>& picture, int x, int y) {
  if (picture.size() < 2 || x < 0 || y < 0 || x >= static_cast<int>(picture[0]) || y >= static_cast<int>(picture[1])) return 0;
  return picture[2 + static_cast<std::size_t>(y) * picture[0] + static_cast<std::size_t>(x)];
}

bool savePng(const std::string& from, const std::string& to) {
  FIBITMAP* image = FreeImage_Load(FIF_BMP, from.c_str(), 0);
  if (!image) return false;
  FIBITMAP* rgb = FreeImage_ConvertTo24Bits(image);
  const bool saved = FreeImage_Save(FIF_PNG, rgb, to.c_str(), PNG_Z_BEST_COMPRESSION);
  FreeImage_Unload(rgb);
  FreeImage_Unload(image);
  return saved;
}

}  // namespace korvo::testing
