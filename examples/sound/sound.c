/* A sound and a tune: starts a tune with PlayMusic (a tracker module), plays a short sound
 * over it every half second, four times, and ends after two seconds, when the tune has been
 * played through once. The files are looked for in the current folder, or in the folder the
 * command line names. */
#include "korvo.h"

static KvString* inFolder(KvString** folder, const char* name) {
  return __kvStrConcat(__kvStrLoad(folder), __kvStrConst(name));
}

void __MAIN(void) {
  KvString* folder = _fcommandline();
  if (__kvStrCompare(__kvStrLoad(&folder), __kvStrConst("")) != 0)
    __kvStrStore(&folder, __kvStrConcat(__kvStrLoad(&folder), __kvStrConst("/")));

  /* Both give 0 when the file cannot be used (KORVO_DEBUG=1 says why, for the sound). */
  const int32_t beep = _floadsound(inFolder(&folder, "beep.wav"));
  const int32_t tune = _fplaymusic(inFolder(&folder, "tune.xm"));
  if (!beep || !tune) _fruntimeerror(__kvStrConst("beep.wav or tune.xm could not be played"));
  for (int32_t i = 0; i < 4; ++i) {
    _fplaysound(beep);
    _fdelay(500);
  }
  _fstopchannel(tune);
  _ffreesound(beep);
  __kvStrRelease(folder);
}
