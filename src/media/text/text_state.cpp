// The text state and the link to the graphics module.
#include "media/canvas/canvas.h"
#include "media/text/font_set.h"
#include "media/text/text_graphics.h"
#include "host/host_record.h"

namespace korvo::platform {
namespace {
TextGraphics* gGraphics = nullptr;
}

void setTextGraphics(TextGraphics* graphics) { gGraphics = graphics; }
TextGraphics* textGraphics() { return gGraphics; }

TextState& textState() { return *RecordOf<TextState>::find(); }

BitmapFont* currentFont() {
  TextState& state = textState();
  if (!fonts().live(state.font)) state.font = fonts().defaultFont();
  return state.font;
}

BitmapFont* canvasFont(Canvas& canvas) {
  if (!fonts().live(canvas.font())) canvas.setFont(fonts().defaultFont());
  return canvas.font();
}

}  // namespace korvo::platform
