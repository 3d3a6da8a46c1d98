// Drivers and modes, Graphics and EndGraphics, gamma, the buffers, Flip and VWait.
#include "media/graphics/graphics_commands.h"

#include "base/kv_ex.h"
#include "media/graphics/graphics_state.h"
#include "host/runtime_host.h"
#include "media/graphics/windowed_host.h"
#include "media/text/text_graphics.h"

namespace korvo::platform {
namespace {

// The default display: a 400 × 300 window.
constexpr std::int32_t kDefaultWidth = 400;
constexpr std::int32_t kDefaultHeight = 300;

// Open flags by Graphics mode: 0 full screen (a window in debug mode), 1 full screen,
// 2 window, 3 scaled window.
constexpr std::int32_t kModeFlags[] = {0, 0, kOpenWindowed, kOpenWindowed | kOpenScaled};

std::vector<DisplayDriver>& drivers() {
  GraphicsState& s = graphicsState();
  if (s.drivers.empty()) {
    if (RuntimeHost* host = RuntimeHost::current()) s.drivers = WindowedHost::ensure(*host).backend().drivers(false);
  }
  return s.drivers;
}

// The driver of a 1-based number; a bad number raises in debug mode and is null otherwise.
const DisplayDriver* driverArgument(std::int32_t driver) {
  std::vector<DisplayDriver>& list = drivers();
  if (driver >= 1 && static_cast<std::size_t>(driver) <= list.size()) return &list[driver - 1];
  if (debugMode()) raiseError("Illegal graphics driver index");
  return nullptr;
}

// The cache entry of a 1-based mode number; a bad number raises in debug mode, else null.
const DisplayMode* modeArgument(std::int32_t mode) {
  const auto& cache = graphicsState().modeCache;
  if (mode >= 1 && static_cast<std::size_t>(mode) <= cache.size()) return &cache[mode - 1];
  if (debugMode()) raiseError("Illegal graphics mode index");
  return nullptr;
}

const DisplayDriver* currentDriver() {
  const std::int32_t index = graphicsState().driver;
  std::vector<DisplayDriver>& list = drivers();
  return index >= 0 && static_cast<std::size_t>(index) < list.size() ? &list[index] : nullptr;
}

GraphicsSystem* display() { return graphicsState().system; }

void pumpOrEnd() {
  if (!RuntimeHost::current()->idle()) endQuietly();
}

// Opens a display for a command: pumps, then fails the program if none opened.
void openOrFail(std::int32_t width, std::int32_t height, std::int32_t depth, std::int32_t flags, bool program) {
  const bool opened = openCommandDisplay(width, height, depth, flags, program);
  pumpOrEnd();
  if (!opened) raiseError("Unable to set graphics mode");
}

// What the text commands need from the display.
class CommandTextGraphics : public TextGraphics {
 public:
  Canvas* currentBuffer() override { return platform::currentBuffer(); }
  Canvas* frontBuffer() override { return display() ? &display()->front() : nullptr; }
  std::uint32_t colour() const override { return graphicsState().colour; }
  std::uint32_t clsColour() const override { return graphicsState().clsColour; }
  void ensureProgramDisplay() override {
    if (!graphicsState().programDisplay) cmd::Graphics(kDefaultWidth, kDefaultHeight, 0, 2);
  }
};

CommandTextGraphics gTextGraphics;

float gammaEntry(const std::uint16_t* table, std::int32_t i) { return static_cast<float>(table[i & 255]) / 257.0f; }

}  // namespace

std::int32_t graphicsModeFlags(std::int32_t mode, bool debug) {
  if (mode < 0 || mode > 3) return -1;
  return mode == 0 && debug ? kOpenWindowed : kModeFlags[mode];
}

bool startGraphicsCommands() {
  GraphicsState& s = graphicsState();
  setTextGraphics(&gTextGraphics);
  s.transformFilter = true;
  s.driver = 0;
  releaseDisplayObjects();
  s.autoMidHandle = false;
  return openCommandDisplay(kDefaultWidth, kDefaultHeight, 0, kOpenWindowed, false);
}

void stopGraphicsCommands() {
  releaseDisplayObjects();
  graphicsState().modeCache.clear();
  closeCommandDisplay();
  setTextGraphics(nullptr);
}

}  // namespace korvo::platform

namespace korvo::cmd {

using platform::display;
using platform::graphicsState;

std::int32_t CountGfxDrivers() {
  platform::GraphicsState& s = graphicsState();
  if (!s.driversFull) {
    if (platform::RuntimeHost* host = platform::RuntimeHost::current()) {
      s.drivers = platform::WindowedHost::ensure(*host).backend().drivers(true);
      s.driversFull = true;
    }
  }
  return static_cast<std::int32_t>(platform::drivers().size());
}

KvString* GfxDriverName(std::int32_t driver) {
  const platform::DisplayDriver* d = platform::driverArgument(driver);
  return core::newString(d ? d->name : "");
}

void SetGfxDriver(std::int32_t driver) {
  graphicsState().modeCache.clear();
  if (debugMode()) platform::driverArgument(driver);
  graphicsState().driver = driver - 1;
}

std::int32_t CountGfxModes() {
  auto& cache = graphicsState().modeCache;
  cache.clear();
  if (const platform::DisplayDriver* d = platform::currentDriver()) cache = d->modes;
  return static_cast<std::int32_t>(cache.size());
}

std::int32_t GfxModeExists(std::int32_t width, std::int32_t height, std::int32_t depth) {
  const platform::DisplayDriver* d = platform::currentDriver();
  if (!d) return 0;
  for (const platform::DisplayMode& m : d->modes)
    if (m.width == width && m.height == height && m.depth == depth) return 1;
  return 0;
}

std::int32_t GfxModeWidth(std::int32_t mode) {
  const platform::DisplayMode* m = platform::modeArgument(mode);
  return m ? m->width : 0;
}

std::int32_t GfxModeHeight(std::int32_t mode) {
  const platform::DisplayMode* m = platform::modeArgument(mode);
  return m ? m->height : 0;
}

std::int32_t GfxModeDepth(std::int32_t mode) {
  const platform::DisplayMode* m = platform::modeArgument(mode);
  return m ? m->depth : 0;
}

std::int32_t AvailVidMem() { return display() ? display()->availVidMem() : 0; }
std::int32_t TotalVidMem() { return display() ? display()->totalVidMem() : 0; }

void Graphics(std::int32_t width, std::int32_t height, std::int32_t depth, std::int32_t mode) {
  const std::int32_t flags = platform::graphicsModeFlags(mode, debugMode());
  if (flags < 0) raiseError("Illegal Graphics mode");
  platform::releaseDisplayObjects();
  platform::closeCommandDisplay();
  platform::openOrFail(width, height, depth, flags, true);
}

void EndGraphics() {
  platform::releaseDisplayObjects();
  if (!graphicsState().programDisplay) return;
  platform::closeCommandDisplay();
  platform::openOrFail(platform::kDefaultWidth, platform::kDefaultHeight, 0, platform::kOpenWindowed, false);
}

void SetGamma(std::int32_t srcRed, std::int32_t srcGreen, std::int32_t srcBlue, float destRed, float destGreen,
              float destBlue) {
  if (display()) display()->setGamma(srcRed, srcGreen, srcBlue, destRed, destGreen, destBlue);
}

void UpdateGamma(std::int32_t calibrate) {
  if (display()) display()->updateGamma(calibrate != 0);
}

float GammaRed(std::int32_t red) { return display() ? platform::gammaEntry(display()->gamma().red, red) : 0.0f; }
float GammaGreen(std::int32_t green) {
  return display() ? platform::gammaEntry(display()->gamma().green, green) : 0.0f;
}
float GammaBlue(std::int32_t blue) { return display() ? platform::gammaEntry(display()->gamma().blue, blue) : 0.0f; }

std::int32_t FrontBuffer() { return display() ? display()->frontHandle() : 0; }
std::int32_t BackBuffer() { return display() ? display()->backHandle() : 0; }
std::int32_t ScanLine() { return display() ? display()->scanLine() : 0; }

void VWait(std::int32_t) {
  if (display()) display()->vwait();
  platform::pumpOrEnd();
}

void Flip(std::int32_t vwait) {
  if (display()) display()->flip(vwait != 0);
  platform::pumpOrEnd();
}

std::int32_t GraphicsWidth() { return display() ? display()->front().width() : 0; }
std::int32_t GraphicsHeight() { return display() ? display()->front().height() : 0; }
std::int32_t GraphicsDepth() { return display() ? display()->format().depth() : 0; }

void SetBuffer(std::int32_t buffer) {
  if (platform::liveBuffer(buffer)) platform::selectBuffer(buffer);
}

std::int32_t GraphicsBuffer() { return graphicsState().buffer; }

}  // namespace korvo::cmd
