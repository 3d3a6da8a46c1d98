#include "level_text.h"

namespace tobrix::gamedata {

std::string LevelText::joined() const {
  std::string out;
  out.reserve(kMapSize * kMapSize);
  for (const std::string& row : rows) out += row;
  return out;
}

bool isMapChar(char c) {
  static constexpr std::string_view kChars = "0123?sbp.kKlLgaADdCcwx#eFfhHrP";
  return kChars.find(c) != std::string_view::npos;
}

LevelText parseLevel(std::string_view text, std::vector<std::string>& errors) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(at, end - at));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  LevelText level;
  if (lines.size() != 2 + kMapSize) {
    errors.push_back("expected 2 text lines and " + std::to_string(kMapSize) + " map rows, found " +
                     std::to_string(lines.size()) + " lines");
  }
  if (!lines.empty()) level.line1 = lines[0];
  if (lines.size() > 1) level.line2 = lines[1];
  for (int y = 0; y < kMapSize; ++y) {
    std::string row = 2 + static_cast<std::size_t>(y) < lines.size() ? lines[2 + static_cast<std::size_t>(y)] : "";
    if (row.size() != kMapSize) {
      errors.push_back("row " + std::to_string(y + 1) + " has " + std::to_string(row.size()) + " characters, not " +
                       std::to_string(kMapSize));
      row.resize(kMapSize, '2');
    }
    level.rows[static_cast<std::size_t>(y)] = row;
  }
  return level;
}

}  // namespace tobrix::gamedata
