// The runtime module's registrations, in table order.
#include "host/runtime_commands.h"
#include "host/runtime_module.h"
#include "host/system_commands.h"

namespace korvo {

void registerRuntimeCommands(Registrar& r) {
  using namespace cmd;
  r.add("End", entry<&End>());
  r.add("Stop", entry<&Stop>());
  r.add("AppTitle$title$close_prompt=\"\"", entry<&AppTitle>());
  r.add("RuntimeError$message", entry<&RuntimeError>());
  r.add("ExecFile$command", entry<&ExecFile>());
  r.add("Delay%millisecs", entry<&Delay>());
  r.add("%MilliSecs", entry<&MilliSecs>());
  r.add("$CommandLine", entry<&CommandLine>());
  r.add("$SystemProperty$property", entry<&SystemProperty>());
  r.add("$GetEnv$env_var", entry<&GetEnv>());
  r.add("SetEnv$env_var$value", entry<&SetEnv>());
  r.add("%CreateTimer%hertz", entry<&CreateTimer>());
  r.add("%WaitTimer%timer", entry<&WaitTimer>());
  r.add("FreeTimer%timer", entry<&FreeTimer>());
  r.add("DebugLog$text", entry<&DebugLog>());
  r.add("_kvDebugStmt", entry<&kvDebugStmt>());
  r.add("_kvDebugEnter", entry<&kvDebugEnter>());
  r.add("_kvDebugLeave", entry<&kvDebugLeave>());
}

}  // namespace korvo
