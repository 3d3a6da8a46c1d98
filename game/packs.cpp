// Level packs: 20 level blocks of text in "Tobrix Levels/NAME.pak", each level's 2500 cells
// compressed with the run-length code, read into mappak and paktext with a 50 by 50 icon.
#include "tobrix.hpp"

using namespace korvo;

namespace {

constexpr const char* kHeader = "Tobrix Level Data - v0.1";
constexpr const char* kTrailer = "End of Tobrix Level Data - v0.1";
constexpr int32_t kLevels = 20;

void fillicon(int32_t level, int32_t red, int32_t green, int32_t blue) {
  SetBuffer(ImageBuffer(levelicons, level));
  Color(red, green, blue);
  Rect(0, 0, 50, 50, 1);
}

// One pixel per cell; characters without a colour of their own keep the colour before them.
void drawicon(int32_t level, const String& cells) {
  SetBuffer(ImageBuffer(levelicons, level));
  for (int32_t y = 1; y <= maph; ++y) {
    const String line = Mid(cells, (y - 1) * 50 + 1, 50);
    for (int32_t x = 1; x <= mapw; ++x) {
      switch (Asc(Mid(line, x, 1))) {
        case '0': Color(0, 0, 0); break;
        case '1': Color(255, 0, 0); break;
        case '2': Color(255, 130, 0); break;
        case 'k': case 'K': case 'l': case 'L': Color(255, 255, 255); break;
        case '3': Color(255, 255, 0); break;
        case 'w': Color(0, 0, 180); break;
        default: break;
      }
      Plot(x - 1, y - 1);
    }
  }
}

void clearpak() {
  for (int32_t level = 0; level <= 25; ++level) {
    fillicon(level, 0, 0, 0);
    for (int32_t r = 0; r <= maph + 1; ++r) mappak(r, level) = String_("0", 80);
    paktext(1, level) = "";
    paktext(2, level) = "";
  }
}

// What a level's texts and data may hold: far beyond anything the editor writes (2500 cells
// take at most 5249 characters), small enough that a hostile pack cannot make the menus draw
// or unpack megabytes. Strings are copied whole into every command they are given, so the
// data's length is counted here rather than asked for.
constexpr int32_t kMaxText = 1000;
constexpr int32_t kMaxData = 16384;

void readlevel(int32_t file, int32_t filesize, int32_t level) {
  const String header = ReadLine(file);
  paktext(1, level) = Left(ReadLine(file), kMaxText);
  paktext(2, level) = Left(ReadLine(file), kMaxText);
  const int32_t length = ReadLine(file).toInt();
  String data = ReadLine(file);
  // Lines are taken until the length is reached (or the file ends), but only the first
  // kMaxData characters are kept: the rest could never be more than junk.
  int32_t kept = Len(data);
  int32_t taken = kept;
  while (taken < length && !Eof(file)) {
    // When the rest of the file is shorter than the length still missing, reading it to the
    // end would keep nothing more.
    if (kept >= kMaxData && length - taken > filesize - FilePos(file)) {
      SeekFile(file, filesize);
      break;
    }
    const String line = ReadLine(file);
    const int32_t n = Len(line);
    taken = n >= length - taken ? length : taken + n;
    if (kept < kMaxData) {
      data += line;
      kept += n;
    }
  }
  // Only the first 2500 cells are ever used, so no more are unpacked.
  const String cells = mezorunch(Left(data, kMaxData), 2500);
  if (Len(cells) < 2500) {
    mappak(0, level) = "0";
    for (int32_t r = 1; r <= maph; ++r) mappak(r, level) = String_("0", 50);
    fillicon(level, 255, 0, 255);
  } else if (Instr(Left(cells, 2500), "s") == 0) {
    // Not playable without a start, but the cells stay: the editor gives them back.
    mappak(0, level) = "0";
    for (int32_t r = 1; r <= maph; ++r) mappak(r, level) = Mid(cells, (r - 1) * 50 + 1, 50);
    fillicon(level, 255, 0, 255);
  } else {
    mappak(0, level) = "1";
    for (int32_t r = 1; r <= maph; ++r) mappak(r, level) = Mid(cells, (r - 1) * 50 + 1, 50);
    if (level == packlevels + 1) packlevels = level;
    drawicon(level, cells);
  }
  if (ReadLine(file) != "End of " + header) DebugLog("File Error");
}

}  // namespace

void loadpak(const String& name) {
  clearpak();
  resetplayer();
  DebugLog("Loading Pack : " + name);
  packlevels = 0;
  const String path = "Tobrix Levels/" + name + ".pak";
  const int32_t file = FileType(path) == 1 ? ReadFile(path) : 0;
  if (file) {
    const int32_t size = FileSize(path);
    for (int32_t level = 1; level <= kLevels; ++level) readlevel(file, size, level);
    CloseFile(file);
  }
  MaskImage(levelicons, 255, 0, 255);
  SetBuffer(BackBuffer());
}

// Writes all 20 levels of "My Levels"; 0 when the file cannot be written.
int32_t savepak() {
  if (FileType("Tobrix Levels") == 0) CreateDir("Tobrix Levels");
  const int32_t file = WriteFile("Tobrix Levels/My Levels.pak");
  if (!file) return 0;
  for (int32_t level = 1; level <= kLevels; ++level) {
    String cells;
    for (int32_t r = 1; r <= maph; ++r) cells += mappak(r, level).get();
    const String packed = mezrunch(cells);
    WriteLine(file, kHeader);
    WriteLine(file, paktext(1, level));
    WriteLine(file, paktext(2, level));
    WriteLine(file, String(Len(packed)));
    WriteLine(file, packed);
    WriteLine(file, kTrailer);
  }
  CloseFile(file);
  return 1;
}
