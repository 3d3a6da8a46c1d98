// Opening and closing displays, the canvas set, flipping, presentation and gamma.
#include "media/graphics/graphics_system.h"

#include <algorithm>
#include <cstring>

#include "backend/clock.h"
#include "host/host_record.h"
#include "media/canvas/surface_loader.h"
#include "media/graphics/windowed_host.h"
#include "media/text/font_set.h"

namespace korvo::platform {
namespace {

// Every canvas of the open display; one registry for the run, kept by the host, so that a
// display opened again repeats no handle. Only a host opens a display.
HandleRegistry<Canvas>& canvases() { return *RecordOf<HandleRegistry<Canvas>>::find(); }

GraphicsSystem* gCurrent = nullptr;
GraphicsSystem::CloseHandler gCloseHandler = nullptr;

// The buffers' format for a depth: 16 is 5-6-5, 24 three bytes, 32 and 0 the display's.
PixelFormat bufferFormat(std::int32_t depth) {
  switch (depth) {
    case 16: return PixelFormat::rgb565();
    case 24: return PixelFormat::rgb888();
    default: return PixelFormat::xrgb8888();
  }
}

void identityRamp(GammaRamp& ramp) {
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<std::uint16_t>(i);
}

// Exchanges the pixels of two surfaces of one size and format (a page flip).
void swapPixels(Surface& a, Surface& b) {
  for (std::int32_t y = 0; y < a.height(); ++y) {
    std::uint8_t* ra = a.at(0, y);
    std::swap_ranges(ra, ra + static_cast<std::ptrdiff_t>(a.width()) * a.format().bytesPerPixel(), b.at(0, y));
  }
}

}  // namespace

GraphicsSystem* GraphicsSystem::current() { return gCurrent; }

void GraphicsSystem::setCloseHandler(CloseHandler handler) { gCloseHandler = handler; }

GraphicsSystem* GraphicsSystem::open(RuntimeHost& host, std::int32_t width, std::int32_t height, std::int32_t depth,
                                     std::int32_t driver, std::int32_t flags) {
  if (host.subsystem(SubsystemSlot::kGraphics)) return nullptr;
  const bool windowed = (flags & kOpenWindowed) != 0;
  // Only full screen sets a depth; a window ignores the one asked for.
  if (!windowed && depth != 0 && depth != 16 && depth != 24 && depth != 32) return nullptr;
  WindowedHost& window = WindowedHost::ensure(host);
  const DisplayKind kind = !windowed               ? DisplayKind::kFullScreen
                           : (flags & kOpenScaled) ? DisplayKind::kScaledWindow
                                                   : DisplayKind::kWindow;
  host.setBusy(true);
  GraphicsSystem* system = nullptr;
  // A window draws in the desktop's format whatever the depth; full screen in the asked one.
  const PixelFormat format = bufferFormat(windowed ? 32 : depth);
  auto front = Surface::create(width, height, format);
  auto back = windowed ? front : Surface::create(width, height, format);
  if (front && back && window.openDisplay({width, height, windowed ? 0 : depth, windowed ? 0 : driver, kind})) {
    system = host.open(SubsystemSlot::kGraphics,
                       [&] { return std::unique_ptr<GraphicsSystem>(new GraphicsSystem(window, kind, front, back)); });
    if (!system) window.closeDisplay();
  }
  // The new display starts out showing its cleared front buffer.
  if (system) system->presentIfChanged();
  if (system && kind == DisplayKind::kFullScreen) {
    window.moveCursor(0, 0);
    if (HostSubsystem* input = host.subsystem(SubsystemSlot::kInput)) input->resume();
  }
  host.setBusy(false);
  return system;
}

void GraphicsSystem::close(RuntimeHost& host, GraphicsSystem* system) {
  if (!system || host.subsystem(SubsystemSlot::kGraphics) != system) return;
  host.setBusy(true);
  if (HostSubsystem* input = host.subsystem(SubsystemSlot::kInput)) input->suspend();
  // What was drawn last reaches the display (and a snapshot) before it goes.
  system->presentIfChanged();
  WindowedHost& window = system->window_;
  host.close(SubsystemSlot::kGraphics, system);
  window.closeDisplay();
  host.setBusy(false);
}

GraphicsSystem::GraphicsSystem(WindowedHost& window, DisplayKind kind, std::shared_ptr<Surface> front,
                               std::shared_ptr<Surface> back)
    : window_(window), kind_(kind) {
  const bool shared = front == back;
  fonts().openDisplay(front->format(), front->width());
  frontHandle_ = canvases().add(std::make_unique<Canvas>(std::move(front), 0, fonts().defaultFont()));
  backHandle_ = canvases().add(std::make_unique<Canvas>(std::move(back), 0, fonts().defaultFont()));
  front_ = canvases().find(frontHandle_);
  back_ = canvases().find(backHandle_);
  front_->cls();
  if (!shared) back_->cls();
  identityRamp(ramp_);
  if (kind_ == DisplayKind::kFullScreen && window_.backend().readGamma(original_)) {
    ramp_ = original_;
    gammaControl_ = true;
  }
  gCurrent = this;
  if (kind_ != DisplayKind::kFullScreen) {
    window_.setRepaint([this] { present(false); });
    window_.setPeriodic([this] { presentIfChanged(); });
  }
}

GraphicsSystem::~GraphicsSystem() {
  if (gCloseHandler) gCloseHandler(*this);
  window_.setRepaint(nullptr);
  window_.setPeriodic(nullptr);
  // The desktop gets its own ramp back.
  if (gammaWritten_) window_.backend().writeGamma(original_);
  canvases().clear();
  fonts().closeDisplay();
  if (gCurrent == this) gCurrent = nullptr;
}

Canvas* GraphicsSystem::canvas(std::int32_t handle) const { return canvases().find(handle); }

std::int32_t GraphicsSystem::adoptCanvas(std::shared_ptr<Surface> surface, std::uint32_t flags) {
  if (!surface) return 0;
  return canvases().add(std::make_unique<Canvas>(std::move(surface), flags, fonts().defaultFont()));
}

std::int32_t GraphicsSystem::createCanvas(std::int32_t width, std::int32_t height, std::uint32_t flags) {
  const std::int32_t handle = adoptCanvas(Surface::create(width, height, format()), flags);
  if (handle) canvas(handle)->cls();
  return handle;
}

std::int32_t GraphicsSystem::loadCanvas(std::string_view file, std::uint32_t flags) {
  return adoptCanvas(loadSurface(file, format()), flags);
}

void GraphicsSystem::freeCanvas(std::int32_t handle) {
  if (handle != frontHandle_ && handle != backHandle_) canvases().erase(handle);
}

std::vector<Canvas*> GraphicsSystem::otherCanvases() const {
  std::vector<Canvas*> result;
  for (const auto& [handle, c] : canvases())
    if (handle != frontHandle_ && handle != backHandle_) result.push_back(c.get());
  return result;
}

void GraphicsSystem::present(bool flip) {
  Surface& s = front_->surface();
  FrameView frame{nullptr, s.width(), s.height(), s.pitch()};
  if (s.format() == PixelFormat::xrgb8888()) {
    frame.pixels = reinterpret_cast<const std::uint32_t*>(s.pixels());
  } else {
    // Other depths are converted row by row with the format's own fetch.
    staging_.resize(static_cast<std::size_t>(s.width()) * s.height());
    const FetchFn fetch = s.format().fetchFn();
    const std::int32_t bpp = s.format().bytesPerPixel();
    for (std::int32_t y = 0; y < s.height(); ++y) {
      const std::uint8_t* src = s.at(0, y);
      std::uint32_t* dst = &staging_[static_cast<std::size_t>(y) * s.width()];
      for (std::int32_t x = 0; x < s.width(); ++x, src += bpp) dst[x] = fetch(src, s.format()) & 0xFFFFFF;
    }
    frame.pixels = staging_.data();
    frame.pitch = s.width() * 4;
  }
  window_.backend().present(frame, flip);
}

void GraphicsSystem::presentIfChanged() {
  if (front_->modCount() == lastPresented_) return;
  lastPresented_ = front_->modCount();
  present(false);
}

void GraphicsSystem::flip(bool vwait) {
  Display& output = window_.backend();
  output.setVsync(vwait);
  // A display that waits in its presents paces real time already; the virtual clock only moves
  // when the runtime waits on it.
  if (vwait && (clock().isVirtual() || !output.presentsWaitForRefresh())) this->vwait();
  if (kind_ == DisplayKind::kFullScreen) {
    swapPixels(front_->surface(), back_->surface());
    front_->damage(front_->rect());
    back_->damage(back_->rect());
  } else {
    front_->setModCount(back_->modCount());
  }
  // Every flip is presented (and counted) even when nothing changed since the last one.
  lastPresented_ = front_->modCount();
  present(true);
}

void GraphicsSystem::vwait() {
  Clock& c = clock();
  const std::uint32_t now = c.now();
  c.sleep(window_.backend().refreshTiming().nextBoundary(now) - now);
}

std::int32_t GraphicsSystem::scanLine() const {
  return window_.backend().refreshTiming().scanLine(clock().now(), front_->height());
}

void GraphicsSystem::setGamma(std::int32_t r, std::int32_t g, std::int32_t b, float dr, float dg, float db) {
  // Values outside 0..255 are clamped so the 16-bit entries cannot wrap.
  auto entry = [](float v) { return static_cast<std::uint16_t>(std::clamp(v, 0.0f, 255.0f) * 257.0f); };
  ramp_.red[r & 255] = entry(dr);
  ramp_.green[g & 255] = entry(dg);
  ramp_.blue[b & 255] = entry(db);
}

void GraphicsSystem::updateGamma(bool) {
  if (gammaControl_) gammaWritten_ = window_.backend().writeGamma(ramp_) || gammaWritten_;
}

std::int32_t GraphicsSystem::totalVidMem() const {
  return static_cast<std::int32_t>(std::min<std::int64_t>(window_.backend().totalVideoMemory(), 0x7FFFFFFF));
}

std::int32_t GraphicsSystem::availVidMem() const {
  std::int64_t used = 0;
  for (const auto& [handle, c] : canvases()) used += std::int64_t{c->surface().pitch()} * c->surface().height();
  return static_cast<std::int32_t>(std::max<std::int64_t>(0, totalVidMem() - used));
}

void GraphicsSystem::suspend() {
  if (kind_ != DisplayKind::kFullScreen) return;
  for (Canvas* c : otherCanvases()) c->saveContents();
  front_->saveContents();
  back_->saveContents();
}

void GraphicsSystem::resume() {
  if (kind_ != DisplayKind::kFullScreen) return;
  front_->restoreContents();
  back_->restoreContents();
  for (Canvas* c : otherCanvases()) c->restoreContents();
}

}  // namespace korvo::platform
