// The graphics commands' state for the run (a record of the running host): the display, the current buffer and the
// drawing state handed to every buffer that becomes current (the font and text cursor are
// the text commands' TextState), the driver choice and mode cache, and the flags of the
// image commands. Other graphics commands read and change it through here.
#pragma once

#include <cstdint>
#include <vector>

#include "backend/display.h"
#include "media/graphics/graphics_system.h"

namespace korvo::platform {

struct GraphicsState {
  GraphicsSystem* system = nullptr;  // the display
  std::int32_t buffer = 0;           // handle of the current buffer
  std::uint32_t colour = 0xFFFFFFFF;
  std::uint32_t clsColour = 0;
  std::int32_t driver = 0;      // zero-based index into the driver list
  bool programDisplay = false;  // a Graphics command has succeeded
  bool autoMidHandle = false;
  bool transformFilter = true;
  std::vector<DisplayMode> modeCache;
  std::vector<DisplayDriver> drivers;  // enumerated at the first need
  bool driversFull = false;            // the list includes secondary devices
  // Frees every image before a display closes (installed by the image commands).
  void (*freeImages)() = nullptr;
};

// The running host's (one must be running).
GraphicsState& graphicsState();

// The current buffer's canvas, or null when no display is open.
Canvas* currentBuffer();

// The canvas of a buffer argument: 0 is the current buffer; a handle that is not a live
// canvas raises "Buffer does not exist" in debug mode and is null otherwise.
Canvas* bufferArgument(std::int32_t buffer);

// The canvas of a handle that must be live: otherwise "Buffer does not exist" in debug mode,
// null without it.
Canvas* liveBuffer(std::int32_t buffer);

// Makes the live canvas buffer current and gives it the current drawing state.
void selectBuffer(std::int32_t buffer);

// Frees every image and the console's scratch canvas (before a display closes).
void releaseDisplayObjects();

// Closes the display of the graphics commands.
void closeCommandDisplay();

// Opens a display for the graphics commands and resets colours, font and the current
// buffer; false when it cannot be opened.
bool openCommandDisplay(std::int32_t width, std::int32_t height, std::int32_t depth, std::int32_t flags,
                        bool programDisplay);

}  // namespace korvo::platform
