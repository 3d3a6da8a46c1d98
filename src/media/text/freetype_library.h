// The process's FreeType library, opened on first use and kept for the process's life.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace korvo::platform {

// The shared library handle; FreeType is used only on the program's thread.
FT_Library freetype();

}  // namespace korvo::platform
