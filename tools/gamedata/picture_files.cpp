#include "picture_files.h"

#include "data_files.h"
#include "misc_art.h"
#include "object_art.h"
#include "player_art.h"
#include "png_writer.h"

namespace tobrix::gamedata {

void makePictureFiles(const std::filesystem::path& dataDir, const std::filesystem::path& outDir) {
  const std::filesystem::path art = dataDir / "art", out = outDir / "system" / "098";
  const SpriteSet symbols = SpriteSet::parse(readText(art / "blocks.txt"));
  const SpriteSet heroes = SpriteSet::parse(readText(art / "heroes.txt"));
  const SpriteSet ui = SpriteSet::parse(readText(art / "ui.txt"));
  const BlockArt blocks(symbols);
  writeFile(out / "plat.png", encodePng(playerSheet(heroes), true));
  writeFile(out / "obj.png", encodePng(objectSheet(), true));
  writeFile(out / "gfx.png", encodePng(blockSheet(blocks), true));
  writeFile(out / "water.png", encodePng(waterSheet(), false));
  writeFile(out / "swirl.png", encodePng(swirlSheet(), true));
  writeFile(out / "tinymap.png", encodePng(tinyMapSheet(blocks), true));
  writeFile(out / "mouse.png", encodePng(mouseSheet(ui), true));
  writeFile(out / "buts.png", encodePng(buttonSheet(), true));
}

}  // namespace tobrix::gamedata
