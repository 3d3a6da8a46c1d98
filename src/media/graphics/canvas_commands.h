// The drawing commands on buffers: locks, pixels, origin and viewport, colours, the
// primitives and CopyRect. Buffer arguments of 0 mean the current buffer.
#pragma once

#include <cstdint>

namespace korvo::cmd {

void LockBuffer(std::int32_t buffer);
void UnlockBuffer(std::int32_t buffer);
std::int32_t ReadPixel(std::int32_t x, std::int32_t y, std::int32_t buffer);
void WritePixel(std::int32_t x, std::int32_t y, std::int32_t argb, std::int32_t buffer);
std::int32_t ReadPixelFast(std::int32_t x, std::int32_t y, std::int32_t buffer);
void WritePixelFast(std::int32_t x, std::int32_t y, std::int32_t argb, std::int32_t buffer);
void CopyPixel(std::int32_t srcX, std::int32_t srcY, std::int32_t srcBuffer, std::int32_t destX, std::int32_t destY,
               std::int32_t destBuffer);
void CopyPixelFast(std::int32_t srcX, std::int32_t srcY, std::int32_t srcBuffer, std::int32_t destX, std::int32_t destY,
                   std::int32_t destBuffer);
void Origin(std::int32_t x, std::int32_t y);
void Viewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
void Color(std::int32_t red, std::int32_t green, std::int32_t blue);
void GetColor(std::int32_t x, std::int32_t y);
std::int32_t ColorRed();
std::int32_t ColorGreen();
std::int32_t ColorBlue();
void ClsColor(std::int32_t red, std::int32_t green, std::int32_t blue);
void Cls();
void Plot(std::int32_t x, std::int32_t y);
void Rect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t solid);
void Oval(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t solid);
void Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
void CopyRect(std::int32_t sourceX, std::int32_t sourceY, std::int32_t width, std::int32_t height, std::int32_t destX,
              std::int32_t destY, std::int32_t srcBuffer, std::int32_t destBuffer);

}  // namespace korvo::cmd
