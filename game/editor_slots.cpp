// The editor's slot dialogs: the 20 levels of "My Levels" as icons, to save the edited level
// into one (a used slot shows red as a warning) or to load one (an empty slot shows red).
#include "editor.hpp"

using namespace korvo;

namespace {

// Per slot: 1 when it holds anything but empty cells (a level without a start included).
int32_t slotfilled[21];

int32_t slotx(int32_t slot) { return 100 + (slot - 1) % 5 * 100; }
int32_t sloty(int32_t slot) { return 100 + (slot - 1) / 5 * 100; }

void drawslot(int32_t slot, int32_t hovered) {
  const int32_t x = slotx(slot), y = sloty(slot);
  const int32_t warn = dialogmode == 1 ? slotfilled[slot] : !slotfilled[slot];
  if (hovered) {
    Color(0, 180, 255);
  } else if (warn) {
    Color(255, 0, 0);
  } else {
    Color(255, 255, 255);
  }
  Rect(x - 2, y - 2, 54, 54, 1);
  Color(0, 0, 0);
  Rect(x, y, 50, 50, 1);
  DrawImage(levelicons, x, y, slot);
}

void saveto(int32_t slot) {
  putlevel(slot);
  // When the pack cannot be written, the map stays as it is, still unsaved.
  if (!savepak()) return;
  listpack("My Levels");
  loadpak("My Levels");
  noteslots();
  editslot = slot;
  getlevel(slot);
  savedflag = 1;
}

void loadfrom(int32_t slot) {
  editslot = slot;
  getlevel(slot);
  savedflag = 1;
}

}  // namespace

void noteslots() {
  for (int32_t slot = 1; slot <= 20; ++slot) {
    slotfilled[slot] = 0;
    for (int32_t r = 1; r <= maph && !slotfilled[slot]; ++r) slotfilled[slot] = Len(Replace(mappak(r, slot), "0", "")) > 0;
  }
}

void editor_slots() {
  if (button(0, 0, "Cancel") || escapehit) dialogmode = 0;
  SetFont(font(3));
  if (dialogmode == 1) {
    Color(180, 0, 0);
    Text(400, 16, "Select Slot to Save Level to.", 1, 1);
  } else {
    Color(0, 0, 180);
    Text(400, 16, "Select Level to Load.", 1, 1);
  }
  Color(0, 0, 0);
  Rect(80, 80, 500, 500, 1);
  int32_t hovered = 0;
  for (int32_t slot = 1; slot <= 20; ++slot) {
    if (mousein(slotx(slot), sloty(slot), 50, 50)) hovered = slot;
  }
  for (int32_t slot = 1; slot <= 20; ++slot) drawslot(slot, slot == hovered);
  if (!hovered || dialogmode == 0) return;
  SetFont(font(1));
  Color(255, 155, 0);
  Text(350, 540, paktext(1, hovered), 1, 1);
  Color(0, 155, 255);
  Text(350, 560, paktext(2, hovered), 1, 1);
  if (mudown || !MouseDown(1)) return;
  mudown = 1;
  if (dialogmode == 1) {
    saveto(hovered);
    dialogmode = 0;
  } else if (slotfilled[hovered]) {
    loadfrom(hovered);
    dialogmode = 0;
  }
}
