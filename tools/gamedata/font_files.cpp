#include "font_files.h"

#include "data_files.h"
#include "pixel_font.h"

namespace tobrix::gamedata {

void makeFontFile(const std::filesystem::path& dataDir, const std::filesystem::path& outDir) {
  // The family is the face name LoadFont derives from the file name.
  const PixelFontDesign design = parsePixelFont(readText(dataDir / "font" / "glyphs.txt"));
  writeFile(outDir / "system" / "098" / "edit undo brk.ttf", buildTrueType(design, "edit undo brk"));
}

}  // namespace tobrix::gamedata
