/* The smallest Korvo program: greets whoever started it (by name when the command line
 * gives one) in its window, and waits up to ten seconds for a key or a click. With
 * KORVO_DEBUG=1 the greeting also goes to the log. */
#include "korvo.h"

void __MAIN(void) {
  KvString* name = _fcommandline();
  if (__kvStrCompare(__kvStrLoad(&name), __kvStrConst("")) == 0) __kvStrStore(&name, __kvStrConst("world"));
  KvString* greeting = __kvStrConcat(__kvStrConcat(__kvStrConst("Hello, "), __kvStrLoad(&name)), __kvStrConst("!"));

  _fapptitle(__kvStrConst("Hello"), __kvStrConst(""));
  _fsetbuffer(_fbackbuffer());
  _fclscolor(16, 24, 64);
  _fcls();
  _fcolor(255, 255, 255);
  _ftext(200, 135, __kvStrLoad(&greeting), 1, 1);
  _fcolor(160, 170, 200);
  _ftext(200, 165, __kvStrConst("Press any key"), 1, 1);
  _fflip(1);

  for (int32_t waited = 0; waited < 200 && !_fgetkey() && !_fmousehit(1); ++waited) _fdelay(50);
  _fdebuglog(greeting);
  __kvStrRelease(name);
}
