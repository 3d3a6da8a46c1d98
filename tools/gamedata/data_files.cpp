#include "data_files.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "output_file.h"

namespace tobrix::gamedata {

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error(path.string() + ": cannot be read");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  std::string error;
  if (!korvo::tools::replaceFile(path.string(), bytes, 0644, error)) {
    throw std::runtime_error(path.string() + ": " + error);
  }
}

void writeFile(const std::filesystem::path& path, std::string_view text) {
  writeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder, std::string_view extension) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace tobrix::gamedata
