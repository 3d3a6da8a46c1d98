// A video backend: the window with its events together with the display it presents.
// Start-up installs the maker, which picks one from its table of backends.
#pragma once

#include <memory>

#include "backend/display.h"
#include "backend/window.h"

namespace korvo::platform {

class VideoBackend : public Window, public Display {
 public:
  // The backend's name as KORVO_VIDEO spells it.
  virtual const char* name() const = 0;
};

// Makes the process's video backend; never null.
using VideoBackendMaker = std::unique_ptr<VideoBackend> (*)();
void setVideoBackendMaker(VideoBackendMaker maker);

// A new video backend from the installed maker. Ends the process when none is installed: an
// entry point that shows a window chooses its backends first.
std::unique_ptr<VideoBackend> makeVideoBackend();

}  // namespace korvo::platform
