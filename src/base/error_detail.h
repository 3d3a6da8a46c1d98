// Details for a programmer debugging from a terminal that the debug hooks' own texts leave
// out: which command raised a runtime error, and why a load gave 0. The hooks' texts are
// fixed by their protocol, so these go their own way, and only once the launcher turned them
// on (the console hooks); otherwise nothing is said.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

struct ErrorDetailSinks {
  void (*line)(const std::string& text);          // writes one line
  std::string (*commandName)(const void* entry);  // a command's name from its registered address
};

// Turns the details on (both sinks set) or off (empty).
void setErrorDetailSinks(const ErrorDetailSinks& sinks);
bool errorDetailsWanted();

// At the command boundary, after a runtime error was reported: names the command whose
// registered address is entry.
void noteRaisingCommand(const void* entry);

// At a load that gives 0: "what \"file\" not loaded: why".
void noteFailedLoad(std::string_view what, std::string_view file, std::string_view why);

// The usual reason a file could not be opened for reading: "not found", "a folder" or
// what the system said.
std::string whyUnreadable(std::string_view resolvedPath);

}  // namespace korvo
