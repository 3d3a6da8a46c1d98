// The session dialog of StartNetGame: the runtime's own dialog, drawn over the program's
// picture in its window (which comes back afterwards) and worked with the mouse and the
// keyboard, headless by the input script.
#pragma once

#include <cstdint>
#include <memory>

#include "stdlib/multiplay/net_session.h"

namespace korvo::stdlib {

struct DialogOutcome {
  std::int32_t result = 0;  // 0 cancelled or failed, 1 joined a game, 2 created one
  std::unique_ptr<net::NetSession> session;
};

// Shows the dialog until the user joins or creates a game, or cancels. Ends the program
// quietly when the host is told to end meanwhile.
DialogOutcome runSessionDialog();

}  // namespace korvo::stdlib
