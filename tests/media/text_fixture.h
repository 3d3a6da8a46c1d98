// A display for text tests: front and back buffers of our own, the fonts of that display,
// a host with the input devices, and a window that runs timed actions on the virtual clock
// (key presses during a waiting command).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "startup/runtime_modules.h"
#include "backend/clock.h"
#include "media/canvas/canvas.h"
#include "host/runtime_host.h"
#include "media/input/input_commands.h"
#include "media/input/input_system.h"
#include "media/text/font_set.h"
#include "media/text/text_graphics.h"

namespace korvo::testing {

// Runs each action once the clock has reached its time.
class TimedWindow : public platform::HostWindow {
 public:
  void at(std::uint32_t time, std::function<void()> action) { actions_.emplace(time, std::move(action)); }
  void pumpEvents() override {
    while (!actions_.empty() && actions_.begin()->first <= platform::clock().now()) {
      auto action = std::move(actions_.begin()->second);
      actions_.erase(actions_.begin());
      action();
    }
  }
  void waitEvents(std::uint32_t) override { pumpEvents(); }

 private:
  std::multimap<std::uint32_t, std::function<void()>> actions_;
};

class TextDisplay : public platform::TextGraphics, public ::testing::Test {
 protected:
  static constexpr std::uint32_t kStart = 10000;

  void SetUp() override {
    platform::setClock(&clock);
    host = platform::RuntimeHost::create("", nullptr);
    ASSERT_NE(host, nullptr);
    auto timed = std::make_unique<TimedWindow>();
    window = timed.get();
    host->setWindow(std::move(timed));
    ASSERT_TRUE(createInputModule());
    input = platform::commandInput();
    open(200, 60);
    platform::setTextGraphics(this);
  }

  void TearDown() override {
    platform::setTextGraphics(nullptr);
    platform::freeConsoleScratch();
    platform::fonts().closeDisplay();
    destroyInputModule();
    platform::RuntimeHost::destroy(host);
    platform::setClock(nullptr);
  }

  // A new display of w × h: buffers cleared, default font current, cursor home.
  void open(std::int32_t w, std::int32_t h) {
    platform::fonts().openDisplay(platform::PixelFormat::xrgb8888(), w);
    front = std::make_unique<platform::Canvas>(platform::Surface::create(w, h, platform::PixelFormat::xrgb8888()));
    current = front.get();
    platform::textState() = {platform::fonts().defaultFont(), 0, 0};
    front->setFont(platform::fonts().defaultFont());
  }

  // Presses and releases a key at once.
  void tap(std::int32_t key) {
    input->keyDown(key);
    input->keyUp(key);
  }

  platform::Canvas* currentBuffer() override { return current; }
  platform::Canvas* frontBuffer() override { return front.get(); }
  std::uint32_t colour() const override { return colourArgb; }
  std::uint32_t clsColour() const override { return clsArgb; }
  void ensureProgramDisplay() override { ++displayRequests; }

  platform::VirtualClock clock{kStart};
  platform::RuntimeHost* host = nullptr;
  TimedWindow* window = nullptr;
  platform::InputSystem* input = nullptr;
  std::unique_ptr<platform::Canvas> front;
  platform::Canvas* current = nullptr;
  std::uint32_t colourArgb = 0xFFFFFFFF;
  std::uint32_t clsArgb = 0;
  int displayRequests = 0;
};

}  // namespace korvo::testing
