// tobrix-data DATA_DIR OUT_DIR: makes the game's folder (system/098/... and Tobrix Levels/)
// from the readable sources in DATA_DIR. The same sources give the same bytes every run.
#include <exception>
#include <iostream>

#include "font_files.h"
#include "level_files.h"
#include "picture_files.h"
#include "sound_files.h"
#include "tune_files.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tobrix-data DATA_DIR OUT_DIR\n";
    return 2;
  }
  try {
    const std::filesystem::path data = argv[1], out = argv[2];
    tobrix::gamedata::makeLevelFiles(data, out);
    tobrix::gamedata::makePictureFiles(data, out);
    tobrix::gamedata::makeSoundFiles(data, out);
    tobrix::gamedata::makeTuneFiles(data, out);
    tobrix::gamedata::makeFontFile(data, out);
  } catch (const std::exception& e) {
    std::cerr << "tobrix-data: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
