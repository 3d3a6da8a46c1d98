// End, Stop, RuntimeError, DebugLog and the three debug routines.
#include "host/runtime_commands.h"

#include <cstring>

#include "base/kv_ex.h"
#include "host/runtime_host.h"

namespace korvo::cmd {
namespace {

using platform::RuntimeHost;

char gErrorBuffer[256];

}  // namespace

void End() { endQuietly(); }

void Stop() {
  RuntimeHost* host = RuntimeHost::current();
  if (!host) return;
  if (!host->suspended()) host->suspendByRequest();
  if (!host->idle()) endQuietly();
}

void RuntimeError(KvString* message) {
  {
    core::StringArg text(message);
    const std::string_view view = text.view();
    const std::size_t n = view.size() < 255 ? view.size() : 255;
    std::memcpy(gErrorBuffer, view.data(), n);
    gErrorBuffer[n] = 0;
  }
  raiseError(gErrorBuffer);
}

void DebugLog(KvString* text) {
  core::StringArg arg(text);
  if (DebugHooks* h = currentHooks()) h->log(arg.c_str());
}

void kvDebugStmt(std::int32_t a, std::int32_t b) {
  RuntimeHost* host = RuntimeHost::current();
  if (!host) return;
  if (DebugHooks* h = host->hooks()) h->statement(a, b);
  if (!host->idle()) endQuietly();
}

void kvDebugEnter(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (DebugHooks* h = currentHooks()) h->enter(a, b, c);
}

void kvDebugLeave() {
  if (DebugHooks* h = currentHooks()) h->leave();
}

}  // namespace korvo::cmd
