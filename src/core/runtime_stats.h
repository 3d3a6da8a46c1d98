// RuntimeStats: the language core's counters as log lines for a debugger.
#pragma once

namespace korvo::cmd {

// Logs the live strings, live objects and objects not yet back on a free list.
void RuntimeStats();

}  // namespace korvo::cmd
