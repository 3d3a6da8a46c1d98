// The live images, their checks, and the links to the display's canvases.
#include "media/images/image_set.h"

#include <algorithm>

#include "base/kv_ex.h"
#include "media/graphics/graphics_state.h"
#include "media/graphics/graphics_system.h"
#include "host/host_record.h"

namespace korvo::platform {
namespace {

constexpr const char* kNoImage = "Image does not exist";

using Images = RecordOf<HandleRegistry<Image>>;

// The running host's images; null when none runs.
HandleRegistry<Image>* images() { return Images::find(); }

}  // namespace

std::unique_ptr<Image> takeImage(std::int32_t handle) {
  HandleRegistry<Image>* set = images();
  return set ? set->take(handle) : nullptr;
}

GraphicsSystem* imageDisplay() { return graphicsState().system; }

void freeFrames(const std::vector<std::int32_t>& frames) {
  if (GraphicsSystem* g = imageDisplay()) {
    for (std::int32_t f : frames) g->freeCanvas(f);
  }
}

// Only images that exist: a display closing as its host ends makes no new set.
void freeAllImages() {
  HandleRegistry<Image>* set = Images::existing();
  if (!set) return;
  for (const auto& [handle, image] : *set) leaveImageBuffer(*image), freeFrames(image->frames);
  set->clear();
}

Image* checkedImage(std::int32_t handle, std::int32_t frame) {
  HandleRegistry<Image>* set = images();
  Image* image = set ? set->find(handle) : nullptr;
  if (!image && debugMode()) raiseError(kNoImage);
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
  HandleRegistry<Image>* set = images();
  if (!set) {
    freeFrames(image->frames);
    return 0;
  }
  return set->add(std::move(image));
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
