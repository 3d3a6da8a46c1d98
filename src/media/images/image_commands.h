// The image commands: loading, creating, copying, grabbing and saving images, drawing them
// whole, in part and tiled, their handles and mask colours, transforms and collisions.
#pragma once

#include <cstdint>

#include "core/kv_string.h"

namespace korvo::cmd {

std::int32_t LoadImage(KvString* file);
std::int32_t CopyImage(std::int32_t image);
std::int32_t CreateImage(std::int32_t width, std::int32_t height, std::int32_t frames);
std::int32_t LoadAnimImage(KvString* file, std::int32_t cellWidth, std::int32_t cellHeight, std::int32_t first,
                           std::int32_t count);
void FreeImage(std::int32_t image);
std::int32_t SaveImage(std::int32_t image, KvString* file, std::int32_t frame);
void GrabImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame);
std::int32_t ImageBuffer(std::int32_t image, std::int32_t frame);
void DrawImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame);
void DrawBlock(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame);
void TileImage(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame);
void TileBlock(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame);
void DrawImageRect(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX, std::int32_t rectY,
                   std::int32_t rectWidth, std::int32_t rectHeight, std::int32_t frame);
void DrawBlockRect(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX, std::int32_t rectY,
                   std::int32_t rectWidth, std::int32_t rectHeight, std::int32_t frame);
void MaskImage(std::int32_t image, std::int32_t red, std::int32_t green, std::int32_t blue);
void HandleImage(std::int32_t image, std::int32_t x, std::int32_t y);
void MidHandle(std::int32_t image);
void AutoMidHandle(std::int32_t enable);
std::int32_t ImageWidth(std::int32_t image);
std::int32_t ImageHeight(std::int32_t image);
std::int32_t ImageXHandle(std::int32_t image);
std::int32_t ImageYHandle(std::int32_t image);

void ScaleImage(std::int32_t image, float xScale, float yScale);
void ResizeImage(std::int32_t image, float width, float height);
void RotateImage(std::int32_t image, float angle);
void TFormImage(std::int32_t image, float a, float b, float c, float d);
void TFormFilter(std::int32_t enable);

std::int32_t ImagesOverlap(std::int32_t image1, std::int32_t x1, std::int32_t y1, std::int32_t image2, std::int32_t x2,
                           std::int32_t y2);
std::int32_t ImagesCollide(std::int32_t image1, std::int32_t x1, std::int32_t y1, std::int32_t frame1,
                           std::int32_t image2, std::int32_t x2, std::int32_t y2, std::int32_t frame2);
std::int32_t RectsOverlap(std::int32_t x1, std::int32_t y1, std::int32_t width1, std::int32_t height1, std::int32_t x2,
                          std::int32_t y2, std::int32_t width2, std::int32_t height2);
std::int32_t ImageRectOverlap(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t rectX,
                              std::int32_t rectY, std::int32_t rectWidth, std::int32_t rectHeight);
std::int32_t ImageRectCollide(std::int32_t image, std::int32_t x, std::int32_t y, std::int32_t frame,
                              std::int32_t rectX, std::int32_t rectY, std::int32_t rectWidth, std::int32_t rectHeight);

}  // namespace korvo::cmd
