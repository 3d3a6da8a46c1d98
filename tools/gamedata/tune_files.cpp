#include "tune_files.h"

#include <stdexcept>

#include "data_files.h"
#include "tune_text.h"

namespace tobrix::gamedata {
namespace {

constexpr double kShortestTune = 60;  // seconds before a tune first loops

void makeTune(const std::filesystem::path& source, const std::filesystem::path& target) {
  const XmSong song = parseTune(readText(source));
  if (tuneSeconds(song) < kShortestTune) throw std::runtime_error(source.string() + " lasts less than a minute");
  writeFile(target, encodeXm(song));
}

}  // namespace

void makeTuneFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir) {
  makeTune(dataDir / "tunes" / "closure.txt", outDir / "system" / "098" / "Closure.xm");
  makeTune(dataDir / "tunes" / "closureb.txt", outDir / "system" / "098" / "closureb.xm");
}

}  // namespace tobrix::gamedata
