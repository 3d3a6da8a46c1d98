// The runtime map of the linker, read from the command table through the interface slots
// an external driver would use.
#include "startup/command_table.h"
#include "startup/module_linker.h"
#include "startup/runtime_interface.h"

namespace korvo {

SymbolMap buildRuntimeMap(RuntimeInterface& runtime) {
  SymbolMap map;
  while (const char* text = runtime.nextSymbol()) {
    map[linkerName(text)] = static_cast<std::uintptr_t>(runtime.symbolAddress(text));
  }
  return map;
}

}  // namespace korvo
