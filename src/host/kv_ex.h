// The one exception type of the runtime and the routines that raise it.
#pragma once

namespace korvo {

// Unwinds to the run loop. A null message is a quiet end (End, close button, end request).
struct KvEx {
  const char* message;  // runtime constant or the static error buffer; never owned
};

// Reports a runtime error through the host (hooks) and throws KvEx carrying it.
[[noreturn]] void raiseError(const char* message);

// Ends the program without a message.
[[noreturn]] void endQuietly();

// True while the program was given debug hooks: handle and range checks run only then.
bool debugMode();
void setDebugMode(bool on);

// Where raiseError sends a message before throwing (the host's fatal()); none by default.
using FatalSink = void (*)(const char* message);
void setFatalSink(FatalSink sink);

}  // namespace korvo
