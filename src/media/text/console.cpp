// The text console on the front buffer: the cursor, scrolling, Write, Print, Locate and the
// Input line editor with its blinking caret and key repeat on the runtime clock.
#include <algorithm>
#include <memory>
#include <string>

#include "base/kv_ex.h"
#include "backend/clock.h"
#include "media/canvas/canvas.h"
#include "host/runtime_host.h"
#include "media/input/input_commands.h"
#include "media/input/input_system.h"
#include "media/text/font_set.h"
#include "media/text/text_commands.h"
#include "media/text/text_graphics.h"

namespace korvo::platform {
namespace {

constexpr std::uint32_t kBlinkMs = 320;
constexpr std::uint32_t kRepeatDelayMs = 280;
constexpr std::uint32_t kRepeatRateMs = 40;
constexpr std::int32_t kWaitStepMs = 20;

// Characters of the line editor.
enum EditCode : std::int32_t {
  kEditNone = 0,
  kEditStart = 1,
  kEditEnd = 2,
  kEditDelete = 4,
  kEditBackspace = 8,
  kEditEnter = 13,
  kEditEscape = 27,
  kEditRight = 30,
  kEditLeft = 31,
};

// The console's scratch canvas: the cursor's line as it was (top half) and the line being
// composed (bottom half).
std::unique_ptr<Canvas>& scratch() {
  static std::unique_ptr<Canvas> canvas;
  return canvas;
}

// The front buffer set up for the console for one command; restores its drawing state and
// runs the pump when the command is done.
class ConsoleSession {
 public:
  ConsoleSession() {
    TextGraphics* g = textGraphics();
    if (!g) return;
    g->ensureProgramDisplay();
    front_ = g->frontBuffer();
    if (!front_) return;
    front_->lock();
    front_->unlock();
    savedViewport_ = front_->viewport();
    savedOriginX_ = front_->originX();
    savedOriginY_ = front_->originY();
    savedHandleX_ = front_->handleX();
    savedHandleY_ = front_->handleY();
    front_->setOrigin(0, 0);
    front_->setHandle(0, 0);
    front_->setViewport(0, 0, front_->width(), front_->height());
    if (front_ != g->currentBuffer()) {
      front_->setFont(currentFont());
      front_->setColour(g->colour());
    }
    font_ = canvasFont(*front_);
    if (font_) scroll(*g);
  }

  ~ConsoleSession() { restore(); }

  // Gives the front buffer its drawing state back and runs the pump; ends the program
  // quietly when the pump says so.
  void finish() {
    restore();
    RuntimeHost* host = RuntimeHost::current();
    if (host && !host->idle()) endQuietly();
  }

  // Null when there is nothing to write on.
  Canvas* front() const { return font_ && front_ ? front_ : nullptr; }
  BitmapFont& font() const { return *font_; }

 private:
  void restore() {
    if (!front_) return;
    TextGraphics* g = textGraphics();
    const Rect& v = savedViewport_;
    front_->setViewport(v.x0, v.y0, v.width(), v.height());
    front_->setHandle(savedHandleX_, savedHandleY_);
    front_->setOrigin(savedOriginX_, savedOriginY_);
    if (g && front_ == g->currentBuffer()) front_->setColour(g->colour());
    front_ = nullptr;
  }

  // Moves the picture up so the cursor's line fits on the buffer.
  void scroll(TextGraphics& g) {
    TextState& t = textState();
    const std::int32_t h = front_->height();
    const std::int32_t c = t.cursorY + font_->height() - h;
    if (c <= 0) return;
    t.cursorY = h - font_->height();
    front_->blit(0, 0, *front_, 0, c, front_->width(), h - c, true);
    front_->setColour(g.clsColour());
    front_->rect(0, h - c, front_->width(), c, true);
    front_->setColour(g.colour());
  }

  Canvas* front_ = nullptr;
  BitmapFont* font_ = nullptr;
  Rect savedViewport_;
  std::int32_t savedOriginX_ = 0, savedOriginY_ = 0, savedHandleX_ = 0, savedHandleY_ = 0;
};

// Writes text at the cursor; the cursor moves past it.
void writeAtCursor(ConsoleSession& session, std::string_view text) {
  Canvas* front = session.front();
  if (!front) return;
  drawText(*front, textState().cursorX, textState().cursorY, text);
  textState().cursorX += session.font().stringWidth(text);
}

// Key repeat of the line editor: the key held, when it last produced a character and how
// long until it does again.
struct Repeat {
  std::int32_t key = 0;
  std::uint32_t start = 0;
  std::uint32_t delay = 0;
};

// Waits for the next character while blinking the caret cell; 0 when the program must end.
std::int32_t nextCharacter(Canvas& front, Canvas& lineCopy, BitmapFont& font, std::int32_t caretX,
                           std::uint8_t caretChar, std::int32_t caretW, Repeat& repeat) {
  RuntimeHost* host = RuntimeHost::current();
  TextGraphics* g = textGraphics();
  InputSystem* input = commandInput();
  const std::int32_t y = textState().cursorY;
  const std::int32_t h = font.height();
  Clock& c = clock();
  const std::uint32_t start = c.now();
  std::int64_t phase = -1;
  if (!host || !host->idle() || !g || !input) return 0;
  for (;;) {
    const std::uint32_t now = c.now();
    const std::int64_t p = (now - start) / kBlinkMs;
    if (p != phase) {
      phase = p;
      std::uint32_t colour = g->colour();
      if (p % 2 == 1) {
        front.blit(caretX, y, lineCopy, caretX, 0, caretW, h, true);
      } else {
        colour = g->clsColour();
        front.setColour(g->clsColour() ^ 0xFFFFFF);
        front.rect(caretX, y, caretW, h, true);
      }
      front.setColour(colour);
      const char text[1] = {static_cast<char>(caretChar)};
      if (caretChar) drawText(front, caretX, y, std::string_view(text, 1));
      front.setColour(g->colour());
    }
    if (const std::int32_t k = input->keyboard().next()) {
      if (const std::int32_t ch = input->toChar(k)) {
        repeat = {k, c.now(), kRepeatDelayMs};
        return ch;
      }
    } else if (repeat.key) {
      if (!input->keyboard().isDown(repeat.key)) {
        repeat.key = 0;
      } else if (c.now() - repeat.start > repeat.delay) {
        repeat.start += repeat.delay;
        repeat.delay = kRepeatRateMs;
        if (const std::int32_t ch = input->toChar(repeat.key)) return ch;
      }
    }
    if (!host->delay(kWaitStepMs)) return 0;
  }
}

// Applies one character to the edited text; true when the line is finished.
bool edit(std::string& text, std::size_t& caret, std::int32_t code, const BitmapFont& font) {
  switch (code) {
    case kEditEnter: return true;
    case kEditNone:
      text.clear();
      caret = 0;
      return true;
    case kEditEscape:
      text.clear();
      caret = 0;
      return false;
    case kEditRight: caret = std::min(caret + 1, text.size()); return false;
    case kEditLeft:
      if (caret > 0) --caret;
      return false;
    case kEditBackspace:
      if (caret > 0) text.erase(--caret, 1);
      return false;
    case kEditStart: caret = 0; return false;
    case kEditEnd: caret = text.size(); return false;
    case kEditDelete:
      if (caret < text.size()) text.erase(caret, 1);
      return false;
    default:
      if (font.contains(code)) text.insert(caret++, 1, static_cast<char>(code));
      return false;
  }
}

std::string inputLine(ConsoleSession& session, std::string_view prompt) {
  Canvas* front = session.front();
  if (!front) return "";
  BitmapFont& font = session.font();
  const std::int32_t h = font.height();
  std::unique_ptr<Canvas>& line = scratch();
  if (!line || line->width() < front->width() || line->height() < 2 * h) {
    line.reset();
    if (auto surface = Surface::create(front->width(), 2 * h, front->format())) {
      line = std::make_unique<Canvas>(std::move(surface));
    }
    if (!line) return "";
  }
  writeAtCursor(session, prompt);
  TextState& t = textState();
  line->setFont(&font);
  line->setColour(textGraphics()->colour());
  line->blit(0, 0, *front, 0, t.cursorY, front->width(), h, true);

  std::string text;
  std::size_t caret = 0;
  Repeat repeat;
  for (;;) {
    const std::int32_t caretX = t.cursorX + font.stringWidth(std::string_view(text).substr(0, caret));
    const std::uint8_t under = caret < text.size() ? static_cast<std::uint8_t>(text[caret]) : 0;
    const std::int32_t caretW = font.width(under ? under : static_cast<std::uint8_t>('X'));
    const std::int32_t code = nextCharacter(*front, *line, font, caretX, under, caretW, repeat);
    const bool finished = edit(text, caret, code, font);
    // Redrawing also takes the caret off a finished line.
    line->blit(0, h, *line, 0, 0, line->width(), h, true);
    drawText(*line, t.cursorX, h, text);
    front->blit(0, t.cursorY, *line, 0, h, line->width(), h, true);
    if (finished) break;
  }
  t.cursorX = 0;
  t.cursorY += h;
  return text;
}

}  // namespace

void freeConsoleScratch() { scratch().reset(); }

}  // namespace korvo::platform

namespace korvo::cmd {

using platform::textState;

void Write(KvString* text) {
  core::StringArg arg(text);
  platform::ConsoleSession session;
  platform::writeAtCursor(session, arg.view());
  session.finish();
}

void Print(KvString* text) {
  core::StringArg arg(text);
  platform::ConsoleSession session;
  if (platform::Canvas* front = session.front()) {
    platform::drawText(*front, textState().cursorX, textState().cursorY, arg.view());
    textState().cursorX = 0;
    textState().cursorY += session.font().height();
  }
  session.finish();
}

KvString* Input(KvString* prompt) {
  core::StringArg arg(prompt);
  platform::ConsoleSession session;
  const std::string text = platform::inputLine(session, arg.view());
  session.finish();
  return core::newString(text);
}

void Locate(std::int32_t x, std::int32_t y) {
  platform::TextGraphics* g = platform::textGraphics();
  platform::Canvas* front = g ? g->frontBuffer() : nullptr;
  if (!front) return;
  textState().cursorX = std::clamp(x, 0, front->width());
  textState().cursorY = std::clamp(y, 0, front->height());
}

}  // namespace korvo::cmd
