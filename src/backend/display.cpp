// Placement of a display's picture in a window or on the screen.
#include "backend/display.h"

namespace korvo::platform {

OutputRect letterbox(Size display, Size out) {
  if (display.width <= 0 || display.height <= 0 || out.width <= 0 || out.height <= 0) return {};
  // Compare the aspects in 64 bits: which side limits the picture.
  const std::int64_t wide = std::int64_t{out.width} * display.height;
  const std::int64_t tall = std::int64_t{out.height} * display.width;
  OutputRect r;
  if (wide >= tall) {
    r.height = out.height;
    r.width = static_cast<std::int32_t>(std::int64_t{display.width} * out.height / display.height);
  } else {
    r.width = out.width;
    r.height = static_cast<std::int32_t>(std::int64_t{display.height} * out.width / display.width);
  }
  r.x = (out.width - r.width) / 2;
  r.y = (out.height - r.height) / 2;
  return r;
}

OutputRect outputRect(DisplayKind kind, Size display, Size client) {
  if (kind == DisplayKind::kFullScreen) return letterbox(display, client);
  return {0, 0, client.width, client.height};
}

}  // namespace korvo::platform
