// The installed session dialog.
#include "host/session_dialog.h"

namespace korvo::platform {
namespace {

SessionDialogRunner& installedRunner() {
  static SessionDialogRunner runner = nullptr;
  return runner;
}

}  // namespace

void setSessionDialogRunner(SessionDialogRunner runner) { installedRunner() = runner; }

std::int32_t runSessionDialog(SessionDialogActions& actions) {
  SessionDialogRunner runner = installedRunner();
  return runner ? runner(actions) : 0;
}

}  // namespace korvo::platform
