// Sheets of equal cells, 25 across, as LoadAnimImage cuts them.
#pragma once

#include "image.h"

namespace tobrix::gamedata {

inline constexpr int kSheetColumns = 25;
inline constexpr int kSheetFrames = 450;
inline constexpr int kCell = 32;

// A sheet of count cells of w x h, all magenta.
Image emptySheet(int w, int h, int count, int columns = kSheetColumns);
// Puts frame into cell index of sheet (cells as wide as the frame).
void placeFrame(Image& sheet, int index, const Image& frame, int columns = kSheetColumns);

}  // namespace tobrix::gamedata
