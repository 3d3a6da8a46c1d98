// The table of video backends and the choice among them.
#include <cstdio>

#include "backend/headless/headless_video.h"
#include "backend/sdl/sdl_video.h"
#include "backend/video_backend.h"

namespace korvo::platform {
namespace {

std::unique_ptr<VideoBackend> makeHeadless() { return std::make_unique<HeadlessVideo>(); }

// In order of preference when the chosen one cannot start.
const VideoBackendEntry kBackends[] = {
    {VideoBackendKind::kSdl, "sdl", &makeSdlVideo},
    {VideoBackendKind::kHeadless, "headless", &makeHeadless},
};

}  // namespace

std::unique_ptr<VideoBackend> makeVideoBackend() {
  const VideoBackendKind chosen = chosenVideoBackend();
  for (const VideoBackendEntry& entry : kBackends) {
    if (entry.kind != chosen) continue;
    if (auto backend = entry.make()) return backend;
    std::fprintf(stderr, "Video backend %s cannot start; trying the others\n", entry.name);
  }
  for (const VideoBackendEntry& entry : kBackends) {
    if (entry.kind == chosen) continue;
    if (auto backend = entry.make()) return backend;
  }
  return nullptr;
}

}  // namespace korvo::platform
