/* A picture with a caption: loads an image file, draws it in the middle of the window with
 * a line of text under it, and waits for a key. The image is looked for in the current
 * folder, or in the folder the command line names. */
#include "korvo.h"

void __MAIN(void) {
  KvString* folder = _fcommandline();
  if (__kvStrCompare(__kvStrLoad(&folder), __kvStrConst("")) != 0)
    __kvStrStore(&folder, __kvStrConcat(__kvStrLoad(&folder), __kvStrConst("/")));
  _fgraphics(320, 240, 32, 2);
  _fsetbuffer(_fbackbuffer());
  _fclscolor(24, 24, 24);
  _fcls();

  /* LoadImage gives 0 when the file is missing or not a picture (KORVO_DEBUG=1 says why). */
  const int32_t picture = _floadimage(__kvStrConcat(__kvStrLoad(&folder), __kvStrConst("landscape.png")));
  if (!picture) _fruntimeerror(__kvStrConst("landscape.png could not be loaded"));
  _fmidhandle(picture);
  _fdrawimage(picture, 160, 100, 0);
  _fcolor(255, 255, 255);
  _ftext(160, 170, __kvStrConst("A landscape"), 1, 0);
  _fflip(1);
  _fwaitkey();
  _ffreeimage(picture);
  __kvStrRelease(folder);
}
