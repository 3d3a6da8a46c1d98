// The default and console debug hooks.
#include "startup/standard_hooks.h"

#include <cstdio>

#include "backend/message_box.h"

namespace korvo {

void DefaultDebugHooks::message(const char* text, bool serious) {
  if (!serious) return;
  platform::showMessageBox({"Error!", text ? text : "", platform::BoxButtons::kOk, platform::BoxIcon::kNone});
}

void ConsoleDebugHooks::log(const char* text) {
  std::printf("%s\n", text ? text : "");
  std::fflush(stdout);
}

void ConsoleDebugHooks::message(const char* text, bool serious) {
  std::fprintf(stderr, "%s%s\n", serious ? "Error! " : "", text ? text : "");
  std::fflush(stderr);
}

}  // namespace korvo
