// raiseError, the process-wide debug flag and how the program ended.
#include "base/kv_ex.h"

namespace korvo {
namespace {
bool gDebugMode = false;
FatalSink gFatalSink = nullptr;
HooksSource gHooksSource = nullptr;
ProgramEnd gProgramEnd = ProgramEnd::kOrderly;
}  // namespace

void reportError(const char* message) {
  if (message && gFatalSink) gFatalSink(message);
}

void raiseError(const char* message) {
  reportError(message);
  throw KvEx{message};
}

void endQuietly() { throw KvEx{nullptr}; }

ProgramEnd programEnd() { return gProgramEnd; }
void setProgramEnd(ProgramEnd end) { gProgramEnd = end; }

bool debugMode() { return gDebugMode; }
void setDebugMode(bool on) { gDebugMode = on; }
void setFatalSink(FatalSink sink) { gFatalSink = sink; }
DebugHooks* currentHooks() { return gHooksSource ? gHooksSource() : nullptr; }
void setHooksSource(HooksSource source) { gHooksSource = source; }

}  // namespace korvo
