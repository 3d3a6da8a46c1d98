// The font commands and Text.
#include "media/text/text_commands.h"

#include <algorithm>
#include <climits>

#include "media/canvas/canvas.h"
#include "media/text/font_set.h"
#include "media/text/text_graphics.h"

namespace korvo::cmd {

using platform::BitmapFont;
using platform::fonts;
using platform::textGraphics;
using platform::textState;

std::int32_t LoadFont(KvString* name, std::int32_t height, std::int32_t bold, std::int32_t italic,
                      std::int32_t underline) {
  core::StringArg arg(name);
  return fonts().load(arg.view(), height, {bold != 0, italic != 0, underline != 0});
}

void FreeFont(std::int32_t font) {
  BitmapFont* f = fonts().require(font);
  if (!f) return;
  if (f == textState().font) {
    textState().font = fonts().defaultFont();
    if (auto* g = textGraphics(); g && g->currentBuffer()) g->currentBuffer()->setFont(textState().font);
  }
  fonts().free(font);
}

void SetFont(std::int32_t font) {
  BitmapFont* f = fonts().require(font);
  if (!f) return;
  textState().font = f;
  if (auto* g = textGraphics(); g && g->currentBuffer()) g->currentBuffer()->setFont(f);
}

std::int32_t FontWidth() {
  const BitmapFont* f = platform::currentFont();
  return f ? f->maxCharWidth() : 0;
}

std::int32_t FontHeight() {
  const BitmapFont* f = platform::currentFont();
  return f ? f->height() : 0;
}

std::int32_t StringWidth(KvString* text) {
  core::StringArg arg(text);
  const BitmapFont* f = platform::currentFont();
  return f ? f->stringWidth(arg.view()) : 0;
}

std::int32_t StringHeight(KvString* text) {
  core::StringArg arg(text);
  return FontHeight();
}

void Text(std::int32_t x, std::int32_t y, KvString* text, std::int32_t centreX, std::int32_t centreY) {
  core::StringArg arg(text);
  platform::TextGraphics* g = textGraphics();
  platform::Canvas* buffer = g ? g->currentBuffer() : nullptr;
  const BitmapFont* f = platform::currentFont();
  if (!buffer || !f) return;
  // Centring far out at the edge of the int range stays there rather than wrapping round.
  const auto centred = [](std::int32_t v, std::int32_t size) {
    return static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{v} - size / 2, INT32_MIN));
  };
  if (centreX) x = centred(x, f->stringWidth(arg.view()));
  if (centreY) y = centred(y, f->height());
  platform::drawText(*buffer, x, y, arg.view());
}

}  // namespace korvo::cmd
