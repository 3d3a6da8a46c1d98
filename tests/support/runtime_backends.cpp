// Linked into every test of the whole runtime: the process chooses its backends at start, as
// the runtime's entry point does (KORVO_VIDEO=headless under ctest), so a test that makes a
// host and its modules directly finds them chosen.
#include "startup/backend_tables.h"

namespace {

const bool kBackendsInstalled = [] {
  korvo::installBackends();
  return true;
}();

}  // namespace
