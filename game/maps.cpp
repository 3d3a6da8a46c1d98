// Maps: the text form (one character per cell in mapdef) and the play form (block numbers
// in map, with the frame walled in), and the level's way in and out of the loaded pack.
#include "tobrix.hpp"

using namespace korvo;

namespace {

// The play-form block of a rope character at (x, y): ropes run diagonally, and a piece's
// number says which way it carries the player.
int32_t ropepiece(int32_t x, int32_t y) {
  int32_t piece = 7;
  if (map(x - 1, y - 1) == 7) map(x - 1, y - 1) = 6;
  if (map(x - 1, y - 1) == 6) piece = 6;
  if (map(x - 1, y - 1) == 6 && map(x - 1, y + 1) == 7) piece = 8;
  if (y > 1 && map(x - 1, y - 1) == 6 && map(x, y - 2) == 7) {
    piece = 6;
    map(x - 1, y - 1) = 9;
  }
  return piece;
}

int32_t pipepiece(int32_t x, int32_t y) {
  int32_t piece = 26;
  if (map(x - 1, y) == 26) piece = 27;
  if (map(x - 1, y) == 51) piece = 52;
  if (map(x, y - 1) == 26 || map(x, y - 1) == 51) piece = 51;
  if (map(x, y - 1) == 52) piece = 52;
  return piece;
}

// Characters that map to one block in both forms.
int32_t plainblock(int32_t ch) {
  switch (ch) {
    case '0': return 0;
    case '1': return 1;
    case '3': return 3;
    case '?': return 4;
    case 'b': return 5;
    case 'k': return 10;
    case 'K': return 11;
    case 'l': return 12;
    case 'L': return 13;
    case 'g': return 14;
    case 'A': return 15;
    case 'a': return 16;
    case 'D': return 17;
    case 'd': return 18;
    case 'C': return 19;
    case 'c': return 22;
    case 'e': return 24;
    case 'f': return 30;
    case 'F': return 31;
    case 'x': return 57;
    case '#': return 58;
    case 'h': return 59;
    case 'H': return 60;
    default: return 0;
  }
}

int32_t editorblock(int32_t ch) {
  switch (ch) {
    case '2': return 53;
    case 'p': return 26;
    case 's': return 54;
    case '.': return 6;
    case 'r': return 55;
    case 'P': return 28;
    case 'w': return 56;
    default: return plainblock(ch);
  }
}

int32_t playblock(int32_t ch, int32_t x, int32_t y) {
  switch (ch) {
    case '2': return map(x, y - 1) == 2 || map(x, y - 1) == 53 ? 2 : 53;
    case 'p': return pipepiece(x, y);
    case 's':
      startx = x;
      starty = y;
      scrx = -(x - 1) * 32;
      scry = -(y - 1) * 32;
      return 0;
    case '.': return ropepiece(x, y);
    case 'r': newect(x, y, 3, 1, 0, 1); return 0;
    case 'P': newect(x, y, 5, Rand(25, 31), 0, 1); return 0;
    case 'w': return 1001;
    default: return plainblock(ch);
  }
}

}  // namespace

void resetplayer() {
  startx = 13;
  starty = 9;
  psuit = 0;
  holdingon = 0;
  korvo::DeleteEach(ect);
}

void decodemap(int32_t editor) {
  for (int32_t x = 0; x <= mapw + 1; ++x) {
    for (int32_t y = 0; y <= maph + 1; ++y) map(x, y) = orig(x, y) = 2;
  }
  resetplayer();
  String rows[maph + 1];
  for (int32_t y = 1; y <= maph; ++y) rows[y] = mapdef(y);
  for (int32_t x = 1; x <= mapw; ++x) {
    for (int32_t y = 1; y <= maph; ++y) {
      const int32_t ch = Asc(Mid(rows[y], x, 1));
      const int32_t block = editor ? editorblock(ch) : playblock(ch, x, y);
      map(x, y) = block;
      orig(x, y) = block == 5 ? 0 : block;
    }
  }
}

void encodemap() {
  for (int32_t y = 1; y <= maph; ++y) {
    String text;
    for (int32_t x = 1; x <= mapw; ++x) text += blockinfo(3, map(x, y)).get();
    mapdef(y) = text;
  }
}

void putlevel(int32_t level) {
  encodemap();
  for (int32_t y = 1; y <= maph; ++y) mappak(y, level) = mapdef(y);
  paktext(1, level) = leveltext1.get();
  paktext(2, level) = leveltext2.get();
}

void getlevel(int32_t level) {
  for (int32_t y = 1; y <= maph; ++y) mapdef(y) = mappak(y, level);
  leveltext1 = paktext(1, level);
  leveltext2 = paktext(2, level);
  decodemap(editing);
}

// Plays the edited map and gives it back to the editor as it was: the rows are rebuilt from
// the map, decoded for play, and decoded again for editing afterwards.
void testlevel() {
  encodemap();
  CopyRect(0, 0, 800, 600, 0, 0, BackBuffer(), ImageBuffer(fadegamea));
  editing = 0;
  testing = 1;
  decodemap(0);
  playlevel();
  testing = 0;
  editing = 1;
  DeleteEach(ore);
  decodemap(1);
  while (escapedown()) Delay(10);
}

void loadmap() {
  const int32_t file = ReadFile("Tobrix Levels/test.lev");
  for (int32_t y = 1; y <= maph; ++y) mapdef(y) = file ? ReadLine(file) : String();
  if (file) CloseFile(file);
  decodemap(editing);
}
