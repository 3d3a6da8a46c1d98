// The graphics commands' state and the display changes every graphics command shares.
#include "media/graphics/graphics_state.h"

#include "base/kv_ex.h"
#include "host/host_record.h"
#include "media/text/font_set.h"
#include "media/text/text_graphics.h"

namespace korvo::platform {

GraphicsState& graphicsState() { return *RecordOf<GraphicsState>::find(); }

Canvas* currentBuffer() {
  GraphicsState& s = graphicsState();
  return s.system ? s.system->canvas(s.buffer) : nullptr;
}

Canvas* bufferArgument(std::int32_t buffer) {
  if (buffer == 0) return currentBuffer();
  GraphicsSystem* system = graphicsState().system;
  Canvas* c = system ? system->canvas(buffer) : nullptr;
  if (!c && debugMode()) raiseError("Buffer does not exist");
  return c;
}

Canvas* liveBuffer(std::int32_t buffer) {
  GraphicsSystem* system = graphicsState().system;
  Canvas* c = system ? system->canvas(buffer) : nullptr;
  if (!c && debugMode()) raiseError("Buffer does not exist");
  return c;
}

void selectBuffer(std::int32_t buffer) {
  GraphicsState& s = graphicsState();
  Canvas* c = s.system ? s.system->canvas(buffer) : nullptr;
  if (!c) return;
  s.buffer = buffer;
  textState().cursorX = textState().cursorY = 0;
  c->setOrigin(0, 0);
  c->setViewport(0, 0, c->width(), c->height());
  c->setColour(s.colour);
  c->setClsColour(s.clsColour);
  c->setFont(textState().font);
}

void releaseDisplayObjects() {
  GraphicsState& s = graphicsState();
  if (s.freeImages) s.freeImages();
  freeConsoleScratch();
}

void closeCommandDisplay() {
  GraphicsState& s = graphicsState();
  if (RuntimeHost* host = RuntimeHost::current()) GraphicsSystem::close(*host, s.system);
  s.system = nullptr;
  s.buffer = 0;
}

bool openCommandDisplay(std::int32_t width, std::int32_t height, std::int32_t depth, std::int32_t flags,
                        bool programDisplay) {
  GraphicsState& s = graphicsState();
  RuntimeHost* host = RuntimeHost::current();
  s.system = host ? GraphicsSystem::open(*host, width, height, depth, s.driver, flags) : nullptr;
  if (!s.system) return false;
  s.colour = 0xFFFFFFFF;
  s.clsColour = 0;
  s.programDisplay = programDisplay;
  textState().font = fonts().defaultFont();
  selectBuffer(s.system->frontHandle());
  return true;
}

}  // namespace korvo::platform
