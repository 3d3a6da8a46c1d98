// The host's system commands. Each one that waits runs the event pump and ends the program
// quietly when the pump says so.
#include "host/system_commands.h"

#include <cstdlib>

#include "base/kv_ex.h"
#include "host/runtime_host.h"

namespace korvo::cmd {
namespace {

using platform::RuntimeHost;

RuntimeHost& host() { return *RuntimeHost::current(); }

}  // namespace

void AppTitle(KvString* title, KvString* closePrompt) {
  core::StringArg t(title), p(closePrompt);
  host().setTitle(t.str(), p.str());
}

void ExecFile(KvString* command) {
  core::StringArg c(command);
  host().execute(c.str());
  if (!host().idle()) endQuietly();
}

void Delay(std::int32_t millisecs) {
  if (!host().delay(millisecs)) endQuietly();
}

std::int32_t MilliSecs() { return static_cast<std::int32_t>(host().milliSecs()); }

KvString* CommandLine() { return core::newString(host().commandLine()); }

KvString* SystemProperty(KvString* property) {
  core::StringArg name(property);
  return core::newString(host().systemProperty(name.str()));
}

KvString* GetEnv(KvString* name) {
  core::StringArg n(name);
  const char* value = std::getenv(n.c_str());
  return core::newString(value ? value : "");
}

void SetEnv(KvString* name, KvString* value) {
  core::StringArg n(name), v(value);
  if (*n.c_str()) setenv(n.c_str(), v.c_str(), 1);
}

std::int32_t CreateTimer(std::int32_t hertz) { return host().createTimer(hertz); }

std::int32_t WaitTimer(std::int32_t timer) {
  const std::int32_t ticks = host().waitTimer(timer);
  if (!host().idle()) endQuietly();
  return ticks;
}

void FreeTimer(std::int32_t timer) { host().freeTimer(timer); }

void ShowPointer() { host().setPointerVisible(true); }
void HidePointer() { host().setPointerVisible(false); }

}  // namespace korvo::cmd
