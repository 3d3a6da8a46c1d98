#include "stdlib/multiplay/session_dialog.h"

namespace korvo::stdlib {

std::int32_t runSessionDialog() { return 0; }

}  // namespace korvo::stdlib
