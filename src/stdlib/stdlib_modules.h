// The standard library's runtime modules.
#pragma once

#include "base/runtime_module.h"

namespace korvo {

KORVO_DECLARE_MODULE(Math)
KORVO_DECLARE_MODULE(String)
KORVO_DECLARE_MODULE(Stream)
KORVO_DECLARE_MODULE(Sockets)
KORVO_DECLARE_MODULE(Filesystem)
KORVO_DECLARE_MODULE(Bank)
KORVO_DECLARE_MODULE(Multiplay)

}  // namespace korvo
