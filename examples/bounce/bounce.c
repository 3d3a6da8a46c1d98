/* A rectangle bouncing about a 640x480 window until Escape is pressed: the frame loop of
 * most programs (clear, draw, Flip, read the keys). Flip 1 waits for the display's next
 * refresh, so the rectangle moves at the same speed on every machine; headless, at 60 Hz on
 * the virtual clock, an input script's "2000 press 1" ends it after 120 frames. With
 * KORVO_DEBUG=1 it logs how many frames it drew and when it ended. */
#include "korvo.h"

enum { kWidth = 640, kHeight = 480, kSide = 64, kEscape = 1 };

/* One step of a coordinate moving by *speed between 0 and limit, turning at the edges. */
static int32_t step(int32_t at, int32_t* speed, int32_t limit) {
  at += *speed;
  if (at < 0 || at > limit) {
    *speed = -*speed;
    at = at < 0 ? -at : 2 * limit - at;
  }
  return at;
}

void __MAIN(void) {
  int32_t x = 0, y = 0, dx = 5, dy = 4, frames = 0;
  _fgraphics(kWidth, kHeight, 32, 2);
  _fsetbuffer(_fbackbuffer());
  _fclscolor(0, 0, 48);
  while (!_fkeyhit(kEscape)) {
    _fcls();
    _fcolor(255, 200, 0);
    _frect(x, y, kSide, kSide, 1);
    _fflip(1);
    ++frames;
    x = step(x, &dx, kWidth - kSide);
    y = step(y, &dy, kHeight - kSide);
  }
  /* Strings handed to a command are the command's: none is released here. */
  _fdebuglog(__kvStrConcat(__kvStrConcat(__kvStrFromInt(frames), __kvStrConst(" frames, ended at ")),
                           __kvStrConcat(__kvStrFromInt(_fmillisecs()), __kvStrConst(" ms"))));
}
