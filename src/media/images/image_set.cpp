// The live images, their checks, and the links to the display's canvases.
#include "media/images/image_set.h"

#include <algorithm>

#include "base/kv_ex.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics_system.h"

namespace korvo::platform {

HandleRegistry<Image>& images() {
  static HandleRegistry<Image> set;
  return set;
}

GraphicsSystem* imageDisplay() { return graphicsState().system; }

void freeFrames(const std::vector<std::int32_t>& frames) {
  if (GraphicsSystem* g = imageDisplay()) {
    for (std::int32_t f : frames) g->freeCanvas(f);
  }
}

void freeAllImages() {
  for (const auto& [handle, image] : images()) leaveImageBuffer(*image), freeFrames(image->frames);
  images().clear();
}

Image* checkedImage(std::int32_t handle, std::int32_t frame) {
  Image* image = images().require(handle, "Image does not exist");
  if (image && static_cast<std::uint32_t>(frame) >= image->frames.size()) {
    if (debugMode()) raiseError("Image frame out of range");
    return nullptr;
  }
  return image;
}

Canvas* frameCanvas(const Image& image, std::size_t n) {
  GraphicsSystem* g = imageDisplay();
  return g && n < image.frames.size() ? g->canvas(image.frames[n]) : nullptr;
}

Canvas* checkedFrame(std::int32_t handle, std::int32_t frame) {
  Image* image = checkedImage(handle, frame);
  return image ? frameCanvas(*image, static_cast<std::size_t>(frame)) : nullptr;
}

std::int32_t addImage(std::vector<std::int32_t> frames) {
  auto image = std::make_unique<Image>();
  image->frames = std::move(frames);
  return images().add(std::move(image));
}

void leaveImageBuffer(const Image& image) {
  GraphicsState& s = graphicsState();
  if (s.system && std::find(image.frames.begin(), image.frames.end(), s.buffer) != image.frames.end()) {
    selectBuffer(s.system->frontHandle());
  }
}

void applyAutoMidHandle(Canvas& frame) {
  if (graphicsState().autoMidHandle) frame.setHandle(frame.width() / 2, frame.height() / 2);
}

}  // namespace korvo::platform
