// transferToRunLoop: the far side of every command boundary.
#include "base/run_loop_jump.h"

#include "base/command_registry.h"

namespace korvo {

RunLoopJump& runLoopJump() {
  static RunLoopJump jump;
  return jump;
}

void transferToRunLoop(const char* message) {
  RunLoopJump& jump = runLoopJump();
  if (!jump.armed) throw KvEx{message};
  jump.message = message;
  siglongjmp(jump.target, 1);
}

}  // namespace korvo
