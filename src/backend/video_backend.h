// A video backend: the window with its events together with the display it presents.
// KORVO_VIDEO picks one from the table of backends (see backend_choice.h).
#pragma once

#include <memory>

#include "backend/backend_choice.h"
#include "backend/display.h"
#include "backend/window.h"

namespace korvo::platform {

class VideoBackend : public Window, public Display {
 public:
  // The backend's name as KORVO_VIDEO spells it.
  virtual const char* name() const = 0;
};

// One line of the backend table.
struct VideoBackendEntry {
  VideoBackendKind kind;
  const char* name;
  // The backend, or null when it cannot start here.
  std::unique_ptr<VideoBackend> (*make)();
};

// The chosen backend; when it cannot start, the next one of the table that can.
std::unique_ptr<VideoBackend> makeVideoBackend();

}  // namespace korvo::platform
