#include "sheet_layout.h"

namespace tobrix::gamedata {

Image emptySheet(int w, int h, int count, int columns) {
  const int across = count < columns ? count : columns;
  return Image(w * across, h * ((count + columns - 1) / columns));
}

void placeFrame(Image& sheet, int index, const Image& frame, int columns) {
  const int x = (index % columns) * frame.width(), y = (index / columns) * frame.height();
  for (int j = 0; j < frame.height(); ++j) {
    for (int i = 0; i < frame.width(); ++i) sheet.set(x + i, y + j, frame.at(i, j));
  }
}

}  // namespace tobrix::gamedata
