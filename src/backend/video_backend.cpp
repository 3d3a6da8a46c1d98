// The installed video backend maker.
#include "backend/video_backend.h"

#include <cstdio>
#include <cstdlib>

namespace korvo::platform {
namespace {
VideoBackendMaker gMaker = nullptr;
}  // namespace

void setVideoBackendMaker(VideoBackendMaker maker) { gMaker = maker; }

std::unique_ptr<VideoBackend> makeVideoBackend() {
  if (!gMaker) {
    std::fprintf(stderr, "No video backend was chosen\n");
    std::abort();
  }
  return gMaker();
}

}  // namespace korvo::platform
