// What text output needs from the graphics module, and the text state it shares with it:
// the current font and the console's text cursor.
#pragma once

#include <cstdint>

namespace korvo::platform {

class Canvas;
class BitmapFont;

class TextGraphics {
 public:
  virtual ~TextGraphics() = default;
  // The buffer drawing commands go to, and the front buffer (null while no display is open).
  virtual Canvas* currentBuffer() = 0;
  virtual Canvas* frontBuffer() = 0;
  // The current drawing and clear colours (ARGB).
  virtual std::uint32_t colour() const = 0;
  virtual std::uint32_t clsColour() const = 0;
  // Opens the program's own display (a 400 × 300 window) if the program has not opened one.
  virtual void ensureProgramDisplay() = 0;
};

// The graphics module installs itself here (null: text commands do nothing).
void setTextGraphics(TextGraphics* graphics);
TextGraphics* textGraphics();

// State shared by the graphics commands and text output.
struct TextState {
  BitmapFont* font = nullptr;  // the current font
  std::int32_t cursorX = 0;    // the console's text cursor
  std::int32_t cursorY = 0;
};
// The running host's (one must be running).
TextState& textState();

// Frees the console's scratch canvas (the graphics module does when a display opens).
void freeConsoleScratch();

// The current font if still live, else the default font (which then becomes current).
BitmapFont* currentFont();

// The font to draw with on canvas: its own if still live, else the default font (which the
// canvas is given in its place).
BitmapFont* canvasFont(Canvas& canvas);

}  // namespace korvo::platform
