// The editor's top bar (editor_top_buttons): New, Save, Load, Test and Quit, the warning
// that guards unsaved work, and the level's two text lines typed in place (textentry).
#include "editor.hpp"

using namespace korvo;

namespace {

constexpr int32_t kTextWidth = 400;  // wider lines show in red

void clearmap() {
  for (int32_t x = 1; x <= mapw; ++x) {
    for (int32_t y = 1; y <= maph; ++y) map(x, y) = 0;
  }
}

// Both text lines, right-aligned on the bar; a click on one starts typing into it.
void textlines() {
  if (MouseDown(1)) klingin = 0;
  SetFont(font(1));
  for (int32_t line = 1; line <= 2; ++line) {
    StringVar& text = line == 1 ? leveltext1 : leveltext2;
    const int32_t y = line == 1 ? 1 : 17;
    const int32_t over = mousein(320, y, 400, 14);
    if (over && MouseDown(1)) {
      FlushKeys();
      klingin = line;
    }
    if (klingin == line) {
      const String typed = textentry(text);
      if (typed != text.get()) {
        text = typed;
        savedflag = 0;
      }
    }
    Color(0, 0, 80);
    if (klingin == line) Color(0, 48, 255);
    if (over) Color(0, 128, 255);
    if (StringWidth(text) > kTextWidth) Color(255, 0, 0);
    Text(720 - StringWidth(text), y, text);
  }
}

}  // namespace

int32_t mousein(int32_t x, int32_t y, int32_t w, int32_t h) {
  const int32_t mx = MouseX(), my = MouseY();
  return mx >= x && mx <= x + w && my >= y && my <= y + h;
}

// A button with its caption in the largest font that fits; 1 on a new click inside it.
int32_t button(int32_t x, int32_t y, const String& text) {
  const int32_t inside = mousein(x, y, 64, 32);
  DrawImage(buts, x, y, inside);
  int32_t size = 5;
  SetFont(font(size));
  while (size > 1 && StringWidth(text) >= 60) SetFont(font(--size));
  Color(0, 0, 0);
  Text(x + 32, y + 16, text, 1, 1);
  if (!inside || mudown || !MouseDown(1)) return 0;
  mudown = 1;
  return 1;
}

// "Don't Forget To Save" until a click; afterwards the guarded action needs a second click.
void forgettosave() {
  while (MouseDown(1)) Delay(10);
  while (!MouseDown(1)) {
    Cls();
    SetFont(font(8));
    Color(255, 0, 0);
    const char* words[4] = {"Don't", "Forget", "To", "Save"};
    for (int32_t i = 0; i < 4; ++i) Text(400, 150 + i * 100, words[i], 1, 1);
    Flip(1);
  }
  while (MouseDown(1)) Delay(10);
  savedflag = 1;
}

void editor_top_buttons() {
  if (button(0, 0, "New")) {
    if (savedflag) {
      clearmap();
    } else {
      forgettosave();
    }
  }
  if (button(80, 0, "Save")) dialogmode = 1;
  if (button(160, 0, "Load")) {
    if (savedflag) {
      dialogmode = 2;
    } else {
      forgettosave();
    }
  }
  if (button(240, 0, "Test")) {
    currentlevel = editslot;
    testlevel();
  }
  if (button(736, 0, "Quit") || escapehit) {
    if (savedflag) {
      editorrunning = 0;
    } else {
      forgettosave();
    }
  }
  textlines();
}

// One frame of typing: a character a frame up to 80 of them, Backspace, Shift with Backspace
// or Delete to empty the line; Enter or Escape ends the typing.
String textentry(const String& text) {
  String out = text;
  const int32_t code = GetKey();
  if (code > 31 && Len(out) < 80) out += Chr(code);
  if (code == 8 && Len(out) > 0) out = Left(out, Len(out) - 1);
  if ((KeyDown(42) || KeyDown(54)) && (KeyDown(14) || KeyDown(211))) out = "";
  const int32_t enter = KeyHit(28), padenter = KeyHit(156), escape = KeyHit(1);
  if (enter || padenter || escape) klingin = 0;
  return out;
}
