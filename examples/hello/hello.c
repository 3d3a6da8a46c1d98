/* The smallest Korvo program: greets whoever started it, by name when the command line
 * gives one. Run with KORVO_DEBUG=1 to see the log lines. */
#include "korvo.h"

void __MAIN(void) {
  KvString* name = _fcommandline();
  KvString* greeting = __kvStrConst("Hello, ");
  if (__kvStrCompare(__kvStrLoad(&name), __kvStrConst("")) == 0) {
    __kvStrStore(&name, __kvStrConst("world"));
  }
  greeting = __kvStrConcat(greeting, __kvStrLoad(&name));
  greeting = __kvStrConcat(greeting, __kvStrConst("!"));
  _fdebuglog(greeting);
  __kvStrRelease(name);
  _fend();
}
