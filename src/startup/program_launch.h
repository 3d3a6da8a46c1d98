// The road from a module image to a finished process, shared by the built-in entry point
// (image from resource 1111) and korvo-run (image from a file).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/debug_hooks.h"

namespace korvo {

class RuntimeInterface;

// Produces the image bytes; nullopt when there are none.
using ImageLoader = std::function<std::optional<std::vector<std::uint8_t>>()>;

// startUp, the runtime map, the image, linking (a failure shows its message box and ends the
// process with its exit code), runProgram with the parameters, shutDown, then exit status 0,
// or 1 when the program ended in an error (scripts must be able to tell a failure).
[[noreturn]] void launchProgram(RuntimeInterface& runtime, const ImageLoader& load, const std::string& parameters,
                                DebugHooks* hooks);

// The console hooks when KORVO_DEBUG=1, else none (the default hooks).
DebugHooks* hooksFromEnvironment();

// The process's own command line, rebuilt from its argument vector.
std::string processCommandLine();

}  // namespace korvo

extern "C" {
// The entry point: runs the program carried as resource 1111 of the running executable.
[[noreturn]] void kvWinMain();
}
