// The jump target that commands use to hand a KvEx to the run loop without unwinding
// through compiled code.
#pragma once

#include <csetjmp>

namespace korvo {

// Armed by the run loop around the program's main code.
struct RunLoopJump {
  sigjmp_buf target;
  const char* message = nullptr;
  bool armed = false;
};

RunLoopJump& runLoopJump();

}  // namespace korvo
