// Turns relocatable objects into a module image: one code block with __MAIN at offset 0,
// the objects' global symbols exported, and their relocations turned into patches.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "startup/module_image.h"
#include "pack/elf_object.h"

namespace korvo::tools {

// True when the runtime's command table defines the linker-facing name.
using RuntimeNames = std::function<bool(const std::string& name)>;

// Throws std::runtime_error naming the problem (an undefined symbol, an unsupported
// relocation, a missing __MAIN, ...).
ModuleImage packObjects(const std::vector<ElfObject>& objects, const RuntimeNames& runtimeNames);

}  // namespace korvo::tools
