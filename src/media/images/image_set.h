// Images: ordered lists of equally sized frames, each a canvas of the open display, behind
// handles that are never reused within a run (the set is a record of the run's host). The
// checks every image command makes on its arguments live here too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/handle_registry.h"
#include "media/canvas/canvas.h"

namespace korvo::platform {

class GraphicsSystem;

struct Image {
  std::vector<std::int32_t> frames;  // canvas handles of the display, frame 0 first
};

// Takes the live image of handle out of the set (null when there is none).
std::unique_ptr<Image> takeImage(std::int32_t handle);

// Frees every image and its frames (before a display closes).
void freeAllImages();

// The display the image commands draw with, or null.
GraphicsSystem* imageDisplay();

// The image of a handle, having checked that it is live and that frame (unsigned) is below
// its frame count: in debug mode a failure is a runtime error, otherwise the result is null.
Image* checkedImage(std::int32_t handle, std::int32_t frame);
// The frame's canvas after the same checks, or null.
Canvas* checkedFrame(std::int32_t handle, std::int32_t frame);
// Frame n of an image (n in range), or null when the canvas is gone.
Canvas* frameCanvas(const Image& image, std::size_t n);

// Adds an image of frames (canvas handles); returns its handle.
std::int32_t addImage(std::vector<std::int32_t> frames);
// Frees the canvases of frames (of a failed creation).
void freeFrames(const std::vector<std::int32_t>& frames);
// Selects the front buffer when one of image's frames is the current buffer.
void leaveImageBuffer(const Image& image);
// Puts a frame's handle at its middle when the auto mid-handle flag is on.
void applyAutoMidHandle(Canvas& frame);

}  // namespace korvo::platform
