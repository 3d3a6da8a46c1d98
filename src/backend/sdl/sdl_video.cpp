// SDL window, renderer and events behind the video backend contract.
#include "backend/sdl/sdl_video.h"

#include <SDL.h>

#include <algorithm>
#include <set>
#include <utility>

#include "backend/sdl/sdl_keys.h"
#include "backend/sdl/sdl_message_box.h"

namespace korvo::platform {
namespace {

// Sizes offered at every depth besides the displays' own: a desktop full-screen window shows
// any size letterboxed, and programs look for these.
constexpr std::pair<int, int> kCommonSizes[] = {{640, 480}, {800, 600}, {1024, 768}};
constexpr std::int32_t kDepths[] = {16, 24, 32};
constexpr std::int32_t kMaxSide = 16384;

// SDL mouse buttons to the runtime's 1 left, 2 right, 3 middle.
std::int32_t buttonNumber(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

class SdlVideo : public VideoBackend {
 public:
  SdlVideo(SDL_Window* window, SDL_Renderer* renderer) : window_(window), renderer_(renderer) {
    SDL_RendererInfo info;
    vsync_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    setSdlMessageBoxOwner(window_);
  }

  ~SdlVideo() override {
    setSdlMessageBoxOwner(nullptr);
    if (texture_) SDL_DestroyTexture(texture_);
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const char* name() const override { return "sdl"; }

  bool pollEvent(WindowEvent& event) override {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
      if (translate(e, event)) return true;
    }
    return false;
  }

  bool waitEvent(WindowEvent& event, std::uint32_t ms) override {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(std::min<std::uint32_t>(ms, 0x7FFFFFFF))) && translate(e, event))
      return true;
    return pollEvent(event);
  }

  void setTitle(const std::string& title) override { SDL_SetWindowTitle(window_, title.c_str()); }
  void setCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }
  void warpMouse(std::int32_t x, std::int32_t y) override { SDL_WarpMouseInWindow(window_, x, y); }
  bool grabInput(bool on) override {
    const bool relative = SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0;
    // A refused grab leaves the keys to the desktop as well.
    SDL_SetWindowKeyboardGrab(window_, on && relative ? SDL_TRUE : SDL_FALSE);
    return relative || !on;
  }

  Size clientSize() const override {
    if (!open_) return {};
    Size s;
    SDL_GetWindowSize(window_, &s.width, &s.height);
    return s;
  }

  void yieldFocus() override { SDL_MinimizeWindow(window_); }
  void takeFocus() override {
    SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
  }

  std::vector<DisplayDriver> drivers(bool all) override {
    std::vector<DisplayDriver> result;
    const int count = all ? SDL_GetNumVideoDisplays() : std::min(1, SDL_GetNumVideoDisplays());
    for (int d = 0; d < count; ++d) {
      const char* name = SDL_GetDisplayName(d);
      DisplayDriver driver{name ? name : "Display " + std::to_string(d + 1), {}};
      std::set<std::pair<int, int>> sizes(std::begin(kCommonSizes), std::end(kCommonSizes));
      for (int m = 0; m < SDL_GetNumDisplayModes(d); ++m) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(d, m, &mode) == 0) sizes.insert({mode.w, mode.h});
      }
      for (const auto& [w, h] : sizes)
        for (std::int32_t depth : kDepths) driver.modes.push_back({w, h, depth});
      result.push_back(std::move(driver));
    }
    return result;
  }

  bool openDisplay(const DisplayRequest& r) override {
    if (open_ || r.width <= 0 || r.height <= 0 || r.width > kMaxSide || r.height > kMaxSide) return false;
    if (r.driver < 0 || r.driver >= std::max(1, SDL_GetNumVideoDisplays())) return false;
    if (!ensureTexture(r.width, r.height)) return false;
    if (r.kind == DisplayKind::kFullScreen) {
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(r.driver),
                            SDL_WINDOWPOS_CENTERED_DISPLAY(r.driver));
      SDL_ShowWindow(window_);
      if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return false;
    } else {
      SDL_SetWindowFullscreen(window_, 0);
      const bool scaled = r.kind == DisplayKind::kScaledWindow;
      SDL_SetWindowResizable(window_, scaled ? SDL_TRUE : SDL_FALSE);
      // A scaled window keeps the client area it has once it has been shown.
      if (!scaled || !shown_) SDL_SetWindowSize(window_, r.width, r.height);
      centre();
      SDL_ShowWindow(window_);
      // The frame is known once the window is shown.
      centre();
    }
    SDL_RaiseWindow(window_);
    shown_ = open_ = true;
    request_ = r;
    return true;
  }

  void closeDisplay() override {
    if (!open_) return;
    if (request_.kind == DisplayKind::kFullScreen) SDL_SetWindowFullscreen(window_, 0);
    open_ = false;
  }

  void present(const FrameView& f, bool) override {
    if (!open_ || !texture_ || f.width != textureSize_.width || f.height != textureSize_.height) return;
    SDL_UpdateTexture(texture_, nullptr, f.pixels, f.pitch);
    shownFrame_ = true;
    redraw();
  }

  void redraw() override {
    if (!open_ || !shownFrame_) return;
    Size out;
    SDL_GetRendererOutputSize(renderer_, &out.width, &out.height);
    const OutputRect o = outputRect(request_.kind, textureSize_, out);
    const SDL_Rect dest{o.x, o.y, o.width, o.height};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
    SDL_RenderPresent(renderer_);
  }

  void setVsync(bool on) override {
    if (on != vsync_) vsync_ = SDL_RenderSetVSync(renderer_, on ? 1 : 0) == 0 ? on : vsync_;
  }

  bool presentsWaitForRefresh() const override { return vsync_; }

  std::int32_t refreshRate() const override {
    SDL_DisplayMode mode;
    if (SDL_GetWindowDisplayMode(window_, &mode) == 0 && mode.refresh_rate > 0) return mode.refresh_rate;
    return 60;
  }

  bool readGamma(GammaRamp& ramp) override {
    return SDL_GetWindowGammaRamp(window_, ramp.red, ramp.green, ramp.blue) == 0;
  }

  bool writeGamma(const GammaRamp& ramp) override {
    return SDL_SetWindowGammaRamp(window_, ramp.red, ramp.green, ramp.blue) == 0;
  }

 private:
  bool ensureTexture(std::int32_t w, std::int32_t h) {
    shownFrame_ = false;
    if (texture_ && textureSize_ == Size{w, h}) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    textureSize_ = texture_ ? Size{w, h} : Size{};
    return texture_ != nullptr;
  }

  // Centres the window on the first display, its frame's top kept on the screen so that a
  // window taller than the screen can still be moved and closed.
  void centre() {
    SDL_Rect screen;
    if (SDL_GetDisplayUsableBounds(0, &screen) != 0) {
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
      return;
    }
    int width = 0, height = 0, top = 0;
    SDL_GetWindowSize(window_, &width, &height);
    if (SDL_GetWindowBordersSize(window_, &top, nullptr, nullptr, nullptr) != 0) top = 0;
    SDL_SetWindowPosition(window_, screen.x + (screen.w - width) / 2,
                          std::max(screen.y + top, screen.y + (screen.h - height) / 2));
  }

  bool translate(const SDL_Event& e, WindowEvent& out) {
    out = WindowEvent{};
    switch (e.type) {
      case SDL_QUIT: out.type = WindowEventType::kQuit; return true;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: out.type = WindowEventType::kClose; return true;
          case SDL_WINDOWEVENT_FOCUS_GAINED: out.type = WindowEventType::kActivate; return true;
          case SDL_WINDOWEVENT_FOCUS_LOST: out.type = WindowEventType::kDeactivate; return true;
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED: out.type = WindowEventType::kExpose; return true;
          default: return false;
        }
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        out.type = e.type == SDL_KEYDOWN ? WindowEventType::kKeyDown : WindowEventType::kKeyUp;
        out.key = keyNumber(e.key.keysym.scancode);
        out.repeat = e.key.repeat != 0;
        out.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        return true;
      case SDL_MOUSEMOTION:
        out.type = WindowEventType::kMouseMove;
        out.x = e.motion.x;
        out.y = e.motion.y;
        out.dx = e.motion.xrel;
        out.dy = e.motion.yrel;
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        out.type = e.type == SDL_MOUSEBUTTONDOWN ? WindowEventType::kMouseDown : WindowEventType::kMouseUp;
        out.button = buttonNumber(e.button.button);
        return out.button != 0;
      case SDL_MOUSEWHEEL:
        out.type = WindowEventType::kWheel;
        out.delta = (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y) * 120;
        return out.delta != 0;
      default: return false;
    }
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  Size textureSize_;
  DisplayRequest request_;
  bool open_ = false;
  bool shown_ = false;
  bool shownFrame_ = false;  // the texture holds a frame of the open display
  bool vsync_ = false;
};

}  // namespace

std::unique_ptr<VideoBackend> makeSdlVideo() {
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SDL_Window* window =
      SDL_CreateWindow(" ", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 400, 300, SDL_WINDOW_HIDDEN);
  if (!window) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  // Vsync where the driver allows it; otherwise any renderer, software last.
  SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, 0);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  return std::make_unique<SdlVideo>(window, renderer);
}

}  // namespace korvo::platform
