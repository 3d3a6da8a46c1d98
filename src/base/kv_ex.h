// The one exception type of the runtime and the routines that raise it.
#pragma once

namespace korvo {

class DebugHooks;

// Unwinds to the run loop. A null message is a quiet end (End, close button, end request).
struct KvEx {
  const char* message;  // runtime constant or the static error buffer; never owned
};

// The runtime error of a command that could not get the memory it needed, or that was asked
// to build a string longer than a program can hold.
inline constexpr char kOutOfMemory[] = "Out of memory";

// Reports a runtime error through the host (hooks) and throws KvEx carrying it.
[[noreturn]] void raiseError(const char* message);

// raiseError's first step alone: passes a non-null message to the host (the hooks).
void reportError(const char* message);

// Ends the program without a message.
[[noreturn]] void endQuietly();

// How the running program ended, set by the run loop before the modules are destroyed: a
// module finishes what the program left half done (a file being replaced) only after an
// orderly end.
enum class ProgramEnd {
  kOrderly,      // End, or the main code returned
  kInterrupted,  // the window's close or an end request
  kFailed,       // a runtime error or a translated fault
};
ProgramEnd programEnd();
void setProgramEnd(ProgramEnd end);

// True while the program was given debug hooks: handle and range checks run only then.
bool debugMode();
void setDebugMode(bool on);

// Where raiseError sends a message before throwing (the host's fatal()); none by default.
using FatalSink = void (*)(const char* message);
void setFatalSink(FatalSink sink);

// The running program's debug hooks, or null (no host, or the end request was handled). The
// host installs the source so that the language core can log without knowing the host.
DebugHooks* currentHooks();
using HooksSource = DebugHooks* (*)();
void setHooksSource(HooksSource source);

}  // namespace korvo
