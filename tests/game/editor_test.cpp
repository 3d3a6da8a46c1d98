// The level editor driven by input scripts with the mouse and the keyboard: the real game,
// headless on the virtual clock, entered from the main menu. What was drawn is read back
// from "Tobrix Levels/My Levels.pak" with the pack format's own rules, independently of the
// game's reader.
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/game_files.h"
#include "game/input_script.h"
#include "startup/program_builder.h"

namespace korvo {
namespace {

using testing::GameRun;
using testing::InputScript;

constexpr int kChoose = 45, kEscape = 1, kDown = 208, kUp = 200;

std::uint32_t rgb(int r, int g, int b) { return 0xff000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b); }

// Screen position of the centre of cell (x, y) with the editor's view at its start.
int cellX(int x) { return (x - 1) * 32 + 16; }
int cellY(int y) { return (y - 1) * 32 + 32 + 16; }

// The palettes of the hero's and the runner's styles along the bottom bar: the offered
// blocks in order, 16 pixels apart from x 400 - 8n; a block is chosen by a click just left of
// its place.
const std::vector<int> kHeroPalette = {1,  2,  3,  5,  6,  10, 11, 12, 13, 14, 15, 16, 17,
                                       18, 19, 22, 24, 28, 30, 31, 54, 56, 57, 59, 60};
const std::vector<int> kRunnerPalette = {1, 2, 10, 11, 12, 13, 15, 16, 30, 31, 54, 55, 56, 57, 59};
int paletteX(int block, const std::vector<int>& palette = kHeroPalette) {
  for (std::size_t i = 0; i < palette.size(); ++i) {
    if (palette[i] == block) return 400 - 8 * static_cast<int>(palette.size()) + 16 * static_cast<int>(i) - 4;
  }
  return -1;
}

// The centre of a slot of the save and load dialogs, five to a row.
int slotX(int slot) { return 125 + (slot - 1) % 5 * 100; }
int slotY(int slot) { return 125 + (slot - 1) / 5 * 100; }

InputScript& type(InputScript& script, const std::string& text) {
  static const std::map<char, int> kScanCodes = {
      {'q', 16}, {'w', 17}, {'e', 18}, {'r', 19}, {'t', 20}, {'y', 21}, {'u', 22}, {'i', 23}, {'o', 24},
      {'p', 25}, {'a', 30}, {'s', 31}, {'d', 32}, {'f', 33}, {'g', 34}, {'h', 35}, {'j', 36}, {'k', 37},
      {'l', 38}, {'z', 44}, {'x', 45}, {'c', 46}, {'v', 47}, {'b', 48}, {'n', 49}, {'m', 50}, {' ', 57},
      {'1', 2},  {'2', 3},  {'3', 4},  {'4', 5},  {'5', 6},  {'6', 7},  {'7', 8},  {'8', 9},  {'9', 10}, {'0', 11},
  };
  for (char c : text) script.press(kScanCodes.at(c), 20, 20);
  return script;
}

// Level `level` of a pack file: its two text lines and its 2500 cells, unpacked.
struct PackLevel {
  std::string text1, text2, cells;
};
PackLevel packLevel(const std::string& pack, int level) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = pack.find("\r\n", at)) != std::string::npos; at = end + 2) lines.push_back(pack.substr(at, end - at));
  const std::size_t first = static_cast<std::size_t>(level - 1) * 6;
  if (lines.size() < first + 6) return {};
  PackLevel out{lines[first + 1], lines[first + 2], {}};
  const std::string& data = lines[first + 4];
  for (std::size_t i = 0; i + 1 < data.size();) {
    const int code = static_cast<unsigned char>(data[i]);
    if (code < 'A' || code > 'z') {
      ++i;
      continue;
    }
    out.cells.append(static_cast<std::size_t>(code > 'Z' ? code - 70 : code - 64), data[i + 1]);
    i += 2;
  }
  return out;
}

class Editor : public ::testing::Test {
 protected:
  void SetUp() override { testing::copyGameData(dir_.path()); }
  // From the title to the editor: the fourth entry of the main menu.
  static InputScript enter() {
    InputScript script;
    script.presses(kDown, 3).press(kChoose).wait(300);
    return script;
  }
  GameRun run(InputScript& script) {
    script.wait(500).quit();
    return testing::runGame(dir_.path(), std::string(KORVO_BUILD_DIR) + "/game/tobrix.kvm", "", true, script.text(),
                            "KORVO_SNAPSHOT=last.bmp");
  }
  std::string pack() { return testing::readText(dir_.file("Tobrix Levels/My Levels.pak")); }
  std::vector<std::uint32_t> picture() { return testing::pixels(dir_.file("last.bmp")); }

  testing::ScratchDir dir_;
};

std::string cellsWith(const std::map<std::pair<int, int>, char>& blocks) {
  std::string cells(2500, '0');
  for (const auto& [cell, c] : blocks) cells[static_cast<std::size_t>((cell.second - 1) * 50 + cell.first - 1)] = c;
  return cells;
}

TEST_F(Editor, DrawSaveLeaveLoadPickTestAndSave) {
  const std::string line1 = "level one wasd 123 abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz0123456789";
  ASSERT_EQ(line1.size(), 81u);
  InputScript script = enter();
  // A floor of walls along row 6, columns 2 to 12, drawn in one stroke (the wheel moves from
  // the floor block to the wall).
  script.wheel(1).move(cellX(2), cellY(6)).mouseDown();
  for (int x = 3; x <= 12; ++x) script.move(cellX(x), cellY(6));
  script.mouseUp();
  // A start at column 2, another at column 4 (only that one stays), the exit at column 9.
  script.click(paletteX(54), 590).click(cellX(2), cellY(5)).click(cellX(4), cellY(5));
  script.click(paletteX(57), 590).click(cellX(9), cellY(5));
  // The text lines: the 81st character is refused; Backspace, and Shift with Backspace.
  script.click(520, 8);
  type(script, line1).press(28);
  script.click(520, 24);
  type(script, "junk");
  script.keyDown(42).press(14).keyUp(42);
  type(script, "secone").press(14);
  type(script, "d line").press(28);
  // Save into slot 1; leave; back in, load slot 1.
  script.click(112, 16).click(slotX(1), slotY(1)).click(768, 16).wait(300).press(kChoose).wait(300);
  script.click(192, 16).click(slotX(1), slotY(1));
  // Ctrl and a click on a wall (topped, as loaded) picks the plain wall: the next block the
  // wheel offers after it is the ladder, placed at (6, 4). A hint at (11, 3) by its key, and
  // the right button erases the wall at (12, 6).
  script.keyDown(29).click(cellX(3), cellY(6)).keyUp(29).wheel(1).click(cellX(6), cellY(4));
  script.move(cellX(11), cellY(3)).keyDown(43).wait(100).keyUp(43);
  script.move(cellX(12), cellY(6)).mouseDown(2).mouseUp(2);
  // Test play: right to the exit, then back in the editor with the map as it was; save.
  script.click(272, 16).wait(800).keyDown(205).wait(1500).keyUp(205).wait(3000);
  script.click(112, 16).click(slotX(1), slotY(1));
  const GameRun run = this->run(script);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Level 1 : result 3"), std::string::npos) << run.output;

  const PackLevel level = packLevel(pack(), 1);
  EXPECT_EQ(level.text1, line1.substr(0, 80));
  EXPECT_EQ(level.text2, "second line");
  std::map<std::pair<int, int>, char> blocks = {{{4, 5}, 's'}, {{9, 5}, 'x'}, {{6, 4}, '3'}, {{11, 3}, '#'}};
  for (int x = 2; x <= 11; ++x) blocks[{x, 6}] = '2';
  ASSERT_EQ(level.cells.size(), 2500u) << pack().substr(0, 400);
  EXPECT_EQ(level.cells, cellsWith(blocks));
  // The other 19 slots are written too, empty.
  for (int slot = 2; slot <= 20; ++slot) EXPECT_EQ(packLevel(pack(), slot).cells.find_first_not_of('0'), std::string::npos) << slot;

  // The first line is wider than 400 pixels: shown in red on the top bar.
  const auto shot = picture();
  int red = 0;
  for (int y = 1; y < 16; ++y) {
    for (int x = 320; x <= 720; ++x) red += testing::pixelAt(shot, x, y) == rgb(255, 0, 0);
  }
  EXPECT_GT(red, 100);
}

TEST_F(Editor, StylesViewsGuardsAndSlots) {
  InputScript script = enter();
  // The runner's palette (key 3) offers rings: one at (5, 5). Dragged with the middle button
  // 64 pixels left, the view shows column 3 at the screen's left: a click there is (4, 5).
  script.press(4).click(paletteX(55, kRunnerPalette), 590).click(cellX(5), cellY(5));
  script.move(400, 300).mouseDown(3).move(336, 300).mouseUp(3).wait(500).click(cellX(2), cellY(5));
  script.click(112, 16).click(slotX(1), slotY(1));
  // Back to the hero's palette for a wall at (3, 8); Quit warns, so the editor is still open
  // to save into slot 3; then Quit leaves.
  script.press(2).click(paletteX(2), 590).click(cellX(1), cellY(8));
  script.click(768, 16).wait(300).click(400, 300).wait(300);
  script.click(112, 16).click(slotX(3), slotY(3)).click(768, 16).wait(300);
  // Back in: loading the empty slot 5 does nothing, slot 3 loads; a test ends at once with
  // Escape; New empties the map, saved into slot 4.
  script.press(kChoose).wait(300).click(192, 16).click(slotX(5), slotY(5)).click(slotX(3), slotY(3));
  script.click(272, 16).wait(1000).press(kEscape).wait(500);
  script.click(16, 16).click(112, 16).click(slotX(4), slotY(4)).click(768, 16).wait(300);
  // "My Levels", made in this run, is on the pack list below Classic.
  script.presses(kUp, 3).press(kChoose).wait(300);
  const GameRun run = this->run(script);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("Level 3 : result 99"), std::string::npos) << run.output;

  // Levels without a start are kept as drawn (they are only not playable).
  const std::string written = pack();
  EXPECT_EQ(packLevel(written, 1).cells, cellsWith({{{5, 5}, 'r'}, {{4, 5}, 'r'}}));
  EXPECT_EQ(packLevel(written, 3).cells, cellsWith({{{5, 5}, 'r'}, {{4, 5}, 'r'}, {{3, 8}, '2'}}));
  for (int slot : {2, 4, 5}) EXPECT_EQ(packLevel(written, slot).cells.find_first_not_of('0'), std::string::npos) << slot;
  const auto shot = picture();
  int unplayed = 0;
  for (int y = 306; y < 320; ++y) {
    for (int x = 600; x < 800; ++x) unplayed += testing::pixelAt(shot, x, y) == rgb(80, 180, 50);
  }
  EXPECT_GT(unplayed, 20);
}

}  // namespace
}  // namespace korvo
