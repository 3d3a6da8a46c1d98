#include "test_world.hpp"

using namespace korvo;

namespace {

int32_t solidsheet() {
  const int32_t sheet = CreateImage(32, 32, 450);
  for (int32_t f = 0; f < 450; ++f) {
    SetBuffer(ImageBuffer(sheet, f));
    Color(200, 100, 50);
    Rect(0, 0, 32, 32, 1);
  }
  SetBuffer(BackBuffer());
  return sheet;
}

}  // namespace

void testworld() {
  Graphics(800, 600, 32, 2);
  SetBuffer(BackBuffer());
  difficulty = 2;
  portsenabled = -1;
  font.dim(8);
  for (int32_t i = 1; i <= 8; ++i) font(i) = LoadFont("DejaVu Sans", i * 10 + 4, 0, 0, 0);
  SetFont(font(1));
  sfx.dim(numsfx);
  map.dim(mapw + 1, maph + 1);
  mapdef.dim(maph);
  orig.dim(mapw + 1, maph + 1);
  mappak.dim(maph + 1, 25);
  paktext.dim(2, 25);
  matrix.dim(3, 3);
  levelicons = CreateImage(50, 50, 26);
  shiftblock = CreateImage(32, 32, 1);
  fadegamea = CreateImage(800, 600, 1);
  fadegameb = CreateImage(800, 600, 1);
  platimg = platflip = objimg = objflip = gfximg = solidsheet();
  swirlimg = waterimg = CreateImage(32, 32, 450);
  readblocktable();
}
