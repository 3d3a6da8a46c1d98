// The input devices' view of the runtime host: its pump, the runtime clock, and the
// window's display size, full-screen state, input grab and pointer.
#pragma once

#include "media/input/input_host.h"

namespace korvo::platform {

class RuntimeInputHost : public InputHost {
 public:
  void pump() override;
  std::uint32_t now() const override;
  bool fullScreen() const override;
  bool displaySize(std::int32_t& width, std::int32_t& height) const override;
  bool grabInput(bool on) override;
  void moveCursor(std::int32_t x, std::int32_t y) override;
};

}  // namespace korvo::platform
