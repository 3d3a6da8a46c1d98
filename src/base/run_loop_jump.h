// The jump target that commands use to hand a KvEx to the run loop without unwinding
// through compiled code.
#pragma once

#include <csetjmp>

namespace korvo {

// Armed by the run loop around the program's main code.
struct RunLoopJump {
  sigjmp_buf target;
  const char* message = nullptr;
  // Set by the fault translator: the message has not reached the hooks yet.
  bool unreported = false;
  bool armed = false;
};

// The process's one jump target (there is one program thread).
RunLoopJump& runLoopJump();

}  // namespace korvo
