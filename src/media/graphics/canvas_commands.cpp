// Drawing commands: thin steps from the command's arguments and the current drawing state
// to the canvas operations. Pixel reads and writes of the Fast commands stay inside the
// canvas: the canvas ignores coordinates outside it.
#include "media/graphics/canvas_commands.h"

#include "media/graphics/graphics_state.h"

namespace korvo::platform {
namespace {

// A buffer argument the commands do not check: 0 is the current buffer, a dead handle null.
Canvas* uncheckedBuffer(std::int32_t buffer) {
  if (buffer == 0) return currentBuffer();
  GraphicsSystem* system = graphicsState().system;
  return system ? system->canvas(buffer) : nullptr;
}

// Packs colour components as the program gives them: no clamping, bits may spill over.
std::uint32_t pack(std::int32_t red, std::int32_t green, std::int32_t blue) {
  return static_cast<std::uint32_t>(red) * 65536u | static_cast<std::uint32_t>(green) * 256u |
         static_cast<std::uint32_t>(blue);
}

std::int32_t colourChannel(int shift) {
  Canvas* c = currentBuffer();
  return c ? static_cast<std::int32_t>((c->colourARGB() >> shift) & 0xFF) : 0;
}

}  // namespace
}  // namespace korvo::platform

namespace korvo::cmd {

using platform::Canvas;
using platform::currentBuffer;

void LockBuffer(std::int32_t buffer) {
  if (Canvas* c = platform::bufferArgument(buffer)) c->lock();
}

void UnlockBuffer(std::int32_t buffer) {
  if (Canvas* c = platform::bufferArgument(buffer)) c->unlock();
}

std::int32_t ReadPixel(std::int32_t x, std::int32_t y, std::int32_t buffer) {
  Canvas* c = platform::bufferArgument(buffer);
  return c ? static_cast<std::int32_t>(c->getPixel(x, y)) : 0;
}

void WritePixel(std::int32_t x, std::int32_t y, std::int32_t argb, std::int32_t buffer) {
  if (Canvas* c = platform::bufferArgument(buffer)) c->setPixel(x, y, static_cast<std::uint32_t>(argb));
}

std::int32_t ReadPixelFast(std::int32_t x, std::int32_t y, std::int32_t buffer) {
  Canvas* c = platform::uncheckedBuffer(buffer);
  return c ? static_cast<std::int32_t>(c->getPixelFast(x, y)) : 0;
}

void WritePixelFast(std::int32_t x, std::int32_t y, std::int32_t argb, std::int32_t buffer) {
  if (Canvas* c = platform::uncheckedBuffer(buffer)) c->setPixelFast(x, y, static_cast<std::uint32_t>(argb));
}

void CopyPixel(std::int32_t srcX, std::int32_t srcY, std::int32_t srcBuffer, std::int32_t destX, std::int32_t destY,
               std::int32_t destBuffer) {
  Canvas* src = platform::uncheckedBuffer(srcBuffer);
  Canvas* dest = platform::uncheckedBuffer(destBuffer);
  if (src && dest) dest->copyPixel(destX, destY, *src, srcX, srcY);
}

void CopyPixelFast(std::int32_t srcX, std::int32_t srcY, std::int32_t srcBuffer, std::int32_t destX, std::int32_t destY,
                   std::int32_t destBuffer) {
  Canvas* src = platform::uncheckedBuffer(srcBuffer);
  Canvas* dest = platform::uncheckedBuffer(destBuffer);
  if (src && dest) dest->copyPixelFast(destX, destY, *src, srcX, srcY);
}

void Origin(std::int32_t x, std::int32_t y) {
  if (Canvas* c = currentBuffer()) c->setOrigin(x, y);
}

void Viewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  if (Canvas* c = currentBuffer()) c->setViewport(x, y, width, height);
}

void Color(std::int32_t red, std::int32_t green, std::int32_t blue) {
  platform::graphicsState().colour = platform::pack(red, green, blue);
  if (Canvas* c = currentBuffer()) c->setColour(platform::graphicsState().colour);
}

void GetColor(std::int32_t x, std::int32_t y) {
  Canvas* c = currentBuffer();
  if (!c) return;
  platform::graphicsState().colour = c->getPixel(x, y);
  c->setColour(platform::graphicsState().colour);
}

std::int32_t ColorRed() { return platform::colourChannel(16); }
std::int32_t ColorGreen() { return platform::colourChannel(8); }
std::int32_t ColorBlue() { return platform::colourChannel(0); }

void ClsColor(std::int32_t red, std::int32_t green, std::int32_t blue) {
  platform::graphicsState().clsColour = platform::pack(red, green, blue);
  if (Canvas* c = currentBuffer()) c->setClsColour(platform::graphicsState().clsColour);
}

void Cls() {
  if (Canvas* c = currentBuffer()) c->cls();
}

void Plot(std::int32_t x, std::int32_t y) {
  if (Canvas* c = currentBuffer()) c->plot(x, y);
}

void Rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t solid) {
  if (Canvas* c = currentBuffer()) c->rect(x, y, width, height, solid != 0);
}

void Oval(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t solid) {
  if (Canvas* c = currentBuffer()) c->oval(x, y, width, height, solid != 0);
}

void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
  if (Canvas* c = currentBuffer()) c->line(x1, y1, x2, y2);
}

void CopyRect(std::int32_t sourceX, std::int32_t sourceY, std::int32_t width, std::int32_t height, std::int32_t destX,
              std::int32_t destY, std::int32_t srcBuffer, std::int32_t destBuffer) {
  Canvas* src = platform::bufferArgument(srcBuffer);
  Canvas* dest = platform::bufferArgument(destBuffer);
  if (src && dest) dest->blit(destX, destY, *src, sourceX, sourceY, width, height, true);
}

}  // namespace korvo::cmd
